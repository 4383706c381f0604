#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "ModelHeader.h"
#include "RunError.h"
#include "SectionTable.h"

namespace cvx {

// The one record of an index (.asm) file. It ties a set of section files together: whether the
// set has a value3.bin and the length in bytes of each section file but header.bin.
struct SectionIndex {
    static constexpr std::size_t kSize = 64;
    // The texts that a split writes at the record's start, one behind the other.
    static constexpr std::string_view kSignature = "CINDERVAXEL ";
    static constexpr std::string_view kVersion = "1.00";

    std::array<char, 12> Signature{};
    std::array<char, 4> Version{};
    std::uint8_t HeaderFlag = 0;
    std::uint8_t HasValue3 = 0;
    std::uint8_t ModelType = 0;
    std::uint8_t Reserved1 = 0;
    std::uint8_t Flag5 = 0;
    std::uint8_t Flag6 = 0;
    std::uint8_t Flag7 = 0;
    std::uint8_t Flag8 = 0;
    std::uint8_t Flag9 = 0;
    std::int32_t LenAdditional = 0;
    std::int32_t LenValue3 = 0;
    std::int32_t LenColor = 0;
    std::int32_t LenEdges = 0;
    std::int32_t LenPoly = 0;
    std::int32_t LenHundrets = 0;
    std::int32_t LenFiftysix = 0;
    std::int32_t LenBbox = 0;
    std::int32_t LenUnknown = 0;
    std::uint8_t Reserved2 = 0;
    std::uint8_t Reserved3 = 0;
    std::uint8_t Reserved4 = 0;

    using Bytes = std::array<std::uint8_t, kSize>;

    // Sets every field but Reserved1 to Reserved4 from `header`, in record order. Counts are not
    // checked for sign: a negative NumValue3 still sets HasValue3. Throws RunError(Overflow) when
    // ModelType lies outside 0..255 or a length leaves the signed 32-bit range; fields before the
    // failing one are already set then.
    void fillFromHeader(const ModelHeader& header);

    // Returns the record as the 64 bytes of an index file, field by field, little-endian.
    Bytes encode() const;

    // Returns the record held by the 64 bytes `bytes`, every field included. Checks nothing.
    static SectionIndex decode(std::span<const std::uint8_t, kSize> bytes);

    // True when `bytes` (at least one) begin as the record that a split writes does, with its
    // signature and version, as far as they go.
    static bool beginsLikeRecord(std::span<const std::uint8_t> bytes);

    // True when the header's `type` fits the record's ModelType byte: 0 to 255.
    static constexpr bool holdsModelType(std::int32_t type) { return type >= 0 && type <= 255; }

    // True when value3.bin belongs to the set: HasValue3 is exactly 1.
    bool listsValue3() const { return HasValue3 == 1; }

    // Returns the length that the record expects of the section file of `section`: 128 for
    // header.bin, which the record does not store; nothing for value3.bin when the set has none.
    std::optional<std::int32_t> expectedLength(Section section) const;

    friend bool operator==(const SectionIndex&, const SectionIndex&) = default;
};

}  // namespace cvx
