#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
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

// One row of the section table: all that the program knows of a section. The contents of a
// section are never interpreted; its length in bytes is `perCount` times the sum of its `counts`
// in the header, plus `fixed`.
struct SectionInfo {
    Section section;
    std::string_view fileName;                   // the section file, a bare lower-case name
    std::int32_t perCount;                       // bytes for each unit of the counts
    std::array<std::optional<Count>, 2> counts;  // the count words it follows; none: fixed size
    std::int32_t fixed;                          // bytes besides: the header, bbox, one more word
    int indexField;  // its length's place among the nine of the index record; -1: none kept
    bool optional;   // in a model only when its count is above 0 (its file likewise)
    bool fromEnd;    // placed from the end of the model file rather than behind the one before
    std::optional<Count> solves;  // the count that its file's length tells, given the others
};

// Returns the ten sections in file order.
const std::array<SectionInfo, kSectionCount>& sectionTable();

inline const SectionInfo& sectionInfo(Section section) {
    return sectionTable()[indexOf(section)];
}

// Returns the length in bytes that `info`'s rule gives for `counts`, exactly, taken as they are:
// a negative count gives a negative length.
std::int64_t lengthFor(const SectionInfo& info, const CountValues& counts);

// Returns the count words of `info`'s rule with their values, as a modder reads them:
// "NumVerts 2 and NumPolys 1"; empty for a section of fixed size.
std::string countsText(const SectionInfo& info, const CountValues& counts);

// Length in bytes of every section, indexed by `indexOf(Section)`.
using SectionLengths = std::array<std::int32_t, kSectionCount>;

// Returns the length in bytes of each section of a model with `header`; an optional section
// whose count is 0 has none. Throws code 9 for a negative count, code 6 for a length that leaves
// the signed 32-bit range.
SectionLengths sectionLengths(const ModelHeader& header);

// Returns the length of a model file made of the sections that `counts` give, exactly: the sum of
// their lengths. The one place that sums them.
std::int64_t modelLengthFor(const CountValues& counts);

// Returns the length of a model file made of the sections of `header`. Throws code 9 for a
// negative count, code 6 when a length or the sum leaves the signed 32-bit range.
std::int32_t modelLengthOf(const ModelHeader& header);

// Returns the size in bytes of the section's elements, the records that diff and patches count:
// `perCount`, or the whole section for one of fixed size. A section with both (fiftysix.bin)
// ends in a shorter element of `fixed` bytes.
constexpr std::int32_t elementSize(const SectionInfo& info) {
    return info.perCount > 0 ? info.perCount : info.fixed;
}

// Returns how many elements `length` bytes of the section are, a shorter last one included.
constexpr std::int64_t elementCount(const SectionInfo& info, std::int64_t length) {
    return (length + elementSize(info) - 1) / elementSize(info);
}

// Returns the counts that give every section exactly the length in bytes of `lengths` (by
// section), each count taken from the section that `solves` names; nothing when none do.
std::optional<CountValues> countsForLengths(const std::array<std::int64_t, kSectionCount>& lengths);

}  // namespace cvx
