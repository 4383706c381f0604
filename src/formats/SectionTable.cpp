#include "SectionTable.h"

#include <string>

#include "CheckedInt32.h"
#include "RunError.h"

namespace cvx {
namespace {

std::int32_t one(const ModelHeader&) {
    return 1;
}

std::int32_t additionalCount(const ModelHeader& h) {
    return checked::add(h.NumVerts(), h.NumExtra(), "NumVerts + NumExtra");
}

// The value3 section exists only for a positive count.
std::int32_t value3Count(const ModelHeader& h) {
    return h.NumValue3() > 0 ? h.NumValue3() : 0;
}

std::int32_t colorCount(const ModelHeader& h) {
    return checked::add(h.NumVerts(), h.NumPolys(), "NumVerts + NumPolys");
}

std::int32_t edgesCount(const ModelHeader& h) {
    return h.NumLines();
}
std::int32_t polyCount(const ModelHeader& h) {
    return h.NumPolys();
}

std::int32_t hundretsCount(const ModelHeader& h) {
    return checked::mul(25, h.NumHundrets(), "25 x NumHundrets");
}

// Fourteen words per hundret plus one more, also when NumHundrets is 0.
std::int32_t fiftysixCount(const ModelHeader& h) {
    return checked::add(checked::mul(14, h.NumHundrets(), "14 x NumHundrets"), 1,
                        "14 x NumHundrets + 1");
}

std::int32_t unknownCount(const ModelHeader& h) {
    return h.NumVerts();
}

constexpr std::array<SectionInfo, kSectionCount> kTable{{
    {Section::Header, "header.bin", static_cast<std::int32_t>(ModelHeader::kSize), one},
    {Section::Additional, "additional.bin", 12, additionalCount},
    {Section::Value3, "value3.bin", 8, value3Count},
    {Section::Color, "color.bin", 4, colorCount},
    {Section::Edges, "edges.bin", 4, edgesCount},
    {Section::Poly, "poly.bin", 24, polyCount},
    {Section::Hundrets, "hundrets.bin", 4, hundretsCount},
    {Section::Fiftysix, "fiftysix.bin", 4, fiftysixCount},
    {Section::Bbox, "bbox.bin", 24, one},
    {Section::Unknown, "unknown.bin", 4, unknownCount},
}};

}  // namespace

const std::array<SectionInfo, kSectionCount>& sectionTable() {
    return kTable;
}

void requireNonNegativeCounts(const ModelHeader& header) {
    const struct {
        const char* name;
        std::int32_t value;
    } counts[] = {
        {"NumVerts", header.NumVerts()},   {"NumExtra", header.NumExtra()},
        {"NumValue3", header.NumValue3()}, {"NumLines", header.NumLines()},
        {"NumPolys", header.NumPolys()},   {"NumHundrets", header.NumHundrets()},
    };
    for (const auto& count : counts) {
        if (count.value < 0) {
            throw RunError(ErrorCode::SubscriptOutOfRange,
                           "the header's " + std::string(count.name) + " is " +
                               std::to_string(count.value) + ", below 0");
        }
    }
}

SectionLengths sectionLengths(const ModelHeader& header) {
    requireNonNegativeCounts(header);
    SectionLengths lengths{};
    for (const SectionInfo& info : kTable) {
        lengths[indexOf(info.section)] =
            checked::mul(info.elementSize, info.elementCount(header), info.fileName);
    }
    return lengths;
}

std::int32_t totalLength(const SectionLengths& lengths) {
    std::int32_t total = 0;
    for (const std::int32_t length : lengths) {
        total = checked::add(total, length, "ModelLength");
    }
    return total;
}

}  // namespace cvx
