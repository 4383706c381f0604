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

    // The front sections one behind the other.
    std::int32_t offset = 0;
    for (const SectionInfo& info : sectionTable()) {
        if (!info.fromEnd) {
            const std::int32_t length = lengths[indexOf(info.section)];
            layout.m_extents[indexOf(info.section)] = {offset, length};
            offset = checked::add(offset, length, "FrontEnd");
        }
    }
    layout.m_frontEnd = offset;
    layout.m_modelLength = modelLengthOf(header);

    if (fileLength < layout.m_modelLength) {
        throw RunError(ErrorCode::InputPastEndOfFile,
                       "the header's counts need " + std::to_string(layout.m_modelLength) +
                           " bytes, the file has " + std::to_string(fileLength));
    }

    // The sections from the end, each directly in front of the one after it. With fileLength >=
    // the model's length these cannot leave the range, but stay checked all the same.
    std::int32_t end = fileLength;
    for (auto info = sectionTable().rbegin(); info != sectionTable().rend() && info->fromEnd;
         ++info) {
        const std::int32_t length = lengths[indexOf(info->section)];
        end = checked::narrow(std::int64_t{end} - length, "offset from the end");
        layout.m_extents[indexOf(info->section)] = {end, length};
    }
    return layout;
}

}  // namespace cvx
