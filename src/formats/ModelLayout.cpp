#include "ModelLayout.h"

#include <string>

#include "CheckedInt32.h"
#include "RunError.h"

namespace cvx {

ModelLayout ModelLayout::compute(const ModelHeader& header, std::int32_t fileLength) {
    const SectionLengths lengths = sectionLengths(header);

    ModelLayout layout;
    layout.m_fileLength = fileLength;
    layout.m_hasValue3 = header.NumValue3() > 0;

    std::int32_t offset = 0;
    for (Section section : {Section::Header, Section::Additional, Section::Value3, Section::Color,
                            Section::Edges, Section::Poly, Section::Hundrets, Section::Fiftysix}) {
        const std::int32_t length = lengths[indexOf(section)];
        layout.m_extents[indexOf(section)] = {offset, length};
        offset = checked::add(offset, length, "FrontEnd");
    }
    layout.m_frontEnd = offset;

    const std::int32_t bboxLength = lengths[indexOf(Section::Bbox)];
    const std::int32_t unknownLength = lengths[indexOf(Section::Unknown)];
    layout.m_modelLength =
        checked::add(checked::add(offset, bboxLength, "ModelLength"), unknownLength, "ModelLength");

    if (fileLength < layout.m_modelLength) {
        throw RunError(ErrorCode::InputPastEndOfFile,
                       "the header's counts need " + std::to_string(layout.m_modelLength) +
                           " bytes, the file has " + std::to_string(fileLength));
    }

    // With fileLength >= ModelLength these cannot leave the range, but stay checked all the same.
    const std::int32_t unknownOffset = checked::sub(fileLength, unknownLength, "unknown offset");
    layout.m_extents[indexOf(Section::Unknown)] = {unknownOffset, unknownLength};
    layout.m_extents[indexOf(Section::Bbox)] = {
        checked::sub(unknownOffset, bboxLength, "bbox offset"), bboxLength};
    return layout;
}

}  // namespace cvx
