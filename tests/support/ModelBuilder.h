#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <numeric>
#include <random>
#include <vector>

#include "formats/ByteOrder.h"

namespace cvx::test {

using Bytes = std::vector<std::uint8_t>;

// The seven header words of a test model.
struct Counts {
    std::int32_t ModelType = 1, NumVerts = 0, NumExtra = 0, NumValue3 = 0, NumLines = 0,
                 NumPolys = 0, NumHundrets = 0;
};

// NumVerts 2, NumExtra 1, NumValue3 3, NumLines 4, NumPolys 1, NumHundrets 1: a 432-byte model.
inline constexpr Counts kWorkedExample{1, 2, 1, 3, 4, 1, 1};

inline Bytes randomBytes(std::size_t size, std::uint32_t seed) {
    std::mt19937 random(seed);
    Bytes bytes(size);
    std::generate(bytes.begin(), bytes.end(), [&] { return static_cast<std::uint8_t>(random()); });
    return bytes;
}

// Stores `value` as the little-endian word at `offset` of `bytes`.
inline void putWord(Bytes& bytes, std::size_t offset, std::int32_t value) {
    storeI32Le(value, std::span<std::uint8_t>(bytes).subspan(offset).first<4>());
}

// The length of each of the ten sections in file order, worked out here on its own in 64 bits;
// a negative count counts as 0.
inline std::array<std::int64_t, 10> lengthsOf(const Counts& c) {
    auto n = [](std::int32_t count) { return std::int64_t{std::max(count, 0)}; };
    const std::int64_t v = n(c.NumVerts), e = n(c.NumExtra), v3 = n(c.NumValue3);
    const std::int64_t l = n(c.NumLines), p = n(c.NumPolys), h = n(c.NumHundrets);
    return {128, 12 * (v + e), 8 * v3, 4 * (v + p), 4 * l, 24 * p, 100 * h, 56 * h + 4, 24, 4 * v};
}

// A model file for `counts`: pseudo-random opaque header bytes and sections (so that a byte in the
// wrong place shows), with `unowned` bytes between fiftysix and bbox. With `bodyless`, the header
// alone, for counts whose sections could not be held.
inline Bytes makeModel(const Counts& c, std::size_t unowned = 0, std::uint32_t seed = 1,
                       bool bodyless = false) {
    const auto lengths = lengthsOf(c);
    Bytes model = randomBytes(
        bodyless ? 128 : std::accumulate(lengths.begin(), lengths.end(), unowned), seed);
    const std::int32_t words[] = {c.ModelType, c.NumVerts, c.NumExtra,   c.NumValue3,
                                  c.NumLines,  c.NumPolys, c.NumHundrets};
    for (std::size_t i = 0; i < 7; ++i) {
        putWord(model, std::array{8, 12, 16, 24, 32, 36, 48}[i], words[i]);
    }
    return model;
}

}  // namespace cvx::test
