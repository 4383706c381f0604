#pragma once

#include <cstdint>
#include <vector>

#include "formats/ModelHeader.h"

namespace cvx::test {

using Bytes = std::vector<std::uint8_t>;

// The seven header words of a test model.
struct Counts {
    std::int32_t ModelType = 1;
    std::int32_t NumVerts = 0;
    std::int32_t NumExtra = 0;
    std::int32_t NumValue3 = 0;
    std::int32_t NumLines = 0;
    std::int32_t NumPolys = 0;
    std::int32_t NumHundrets = 0;
};

// The worked example: NumVerts 2, NumExtra 1, NumValue3 3, NumLines 4, NumPolys 1, NumHundrets 1.
inline constexpr Counts kWorkedExample{1, 2, 1, 3, 4, 1, 1};

// Returns a header with `counts` and pseudo-random opaque bytes drawn from `seed`.
ModelHeader makeHeader(const Counts& counts, std::uint32_t seed = 1);

// Returns a model file for `counts`: the header, the sections with pseudo-random bytes (so that
// a section written to the wrong place shows), and `unowned` extra bytes between fiftysix and
// bbox. Negative counts are taken as 0 for the body.
Bytes makeModel(const Counts& counts, std::int32_t unowned = 0, std::uint32_t seed = 1);

// Returns `size` pseudo-random bytes drawn from `seed`.
Bytes randomBytes(std::size_t size, std::uint32_t seed);

// Returns `bytes[offset, offset + length)`.
Bytes slice(const Bytes& bytes, std::size_t offset, std::size_t length);

}  // namespace cvx::test
