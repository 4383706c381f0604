#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "ModelHeader.h"

namespace cvx {

// The ten sections of a model file, in file order.
enum class Section : std::uint8_t {
    Header,
    Additional,
    Value3,
    Color,
    Edges,
    Poly,
    Hundrets,
    Fiftysix,
    Bbox,
    Unknown,
};

inline constexpr std::size_t kSectionCount = 10;

constexpr std::size_t indexOf(Section section) {
    return static_cast<std::size_t>(section);
}

// One row of the section table. The contents of an element are never interpreted; the element
// size and count only say how many bytes the section holds.
struct SectionInfo {
    Section section;
    std::string_view fileName;  // the section file, a bare lower-case name
    std::int32_t elementSize;   // bytes per element
    // The element count for a header, in checked 32-bit arithmetic (code 6 on overflow). A
    // negative header count gives a negative element count; callers refuse those first.
    std::int32_t (*elementCount)(const ModelHeader& header);
};

// Returns the ten sections in file order.
const std::array<SectionInfo, kSectionCount>& sectionTable();

inline const SectionInfo& sectionInfo(Section section) {
    return sectionTable()[indexOf(section)];
}

// Length in bytes of every section, indexed by `indexOf(Section)`.
using SectionLengths = std::array<std::int32_t, kSectionCount>;

// Throws RunError(SubscriptOutOfRange, code 9) when any of the six counts of `header` is
// negative: such a count would ask for an inverted element range.
void requireNonNegativeCounts(const ModelHeader& header);

// Returns the length in bytes of each section described by `header`: element size times element
// count, checked. Throws code 9 for a negative count, code 6 for an overflow.
SectionLengths sectionLengths(const ModelHeader& header);

// Returns the sum of `lengths`, the length of a model file made of these sections. Throws code 6
// when it leaves the signed 32-bit range.
std::int32_t totalLength(const SectionLengths& lengths);

}  // namespace cvx
