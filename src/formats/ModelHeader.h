#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace cvx {

// The six header words that count a model's elements and so size its sections.
enum class Count : std::uint8_t { NumVerts, NumExtra, NumValue3, NumLines, NumPolys, NumHundrets };

inline constexpr std::size_t kCountWords = 6;

constexpr std::size_t indexOf(Count count) {
    return static_cast<std::size_t>(count);
}

// A count word: its name, as modders know it, and its offset in the header.
struct CountWord {
    Count count;
    std::string_view name;
    std::size_t offset;
};

// The count words in header order, the one list of their names and places.
inline constexpr std::array<CountWord, kCountWords> kCountTable{{
    {Count::NumVerts, "NumVerts", 12},
    {Count::NumExtra, "NumExtra", 16},
    {Count::NumValue3, "NumValue3", 24},
    {Count::NumLines, "NumLines", 32},
    {Count::NumPolys, "NumPolys", 36},
    {Count::NumHundrets, "NumHundrets", 48},
}};

// The value of each count word, indexed by `indexOf(Count)`, wide enough for any sum or product
// of them to be exact.
using CountValues = std::array<std::int64_t, kCountWords>;

// The first 128 bytes of a model file.
//
//   offset | width | field
//   -------+-------+-------------
//      0   |   8   | (opaque)
//      8   |   4   | ModelType
//     12   |   4   | NumVerts
//     16   |   4   | NumExtra
//     20   |   4   | (opaque)
//     24   |   4   | NumValue3
//     28   |   4   | (opaque)
//     32   |   4   | NumLines
//     36   |   4   | NumPolys
//     40   |   8   | (opaque)
//     48   |   4   | NumHundrets
//     52   |  76   | (opaque)
//
// The words are signed 32-bit little-endian. The header keeps all 128 bytes exactly as read, so
// the 100 opaque bytes pass unchanged from model file to header.bin and back.
class ModelHeader {
public:
    static constexpr std::size_t kSize = 128;
    static constexpr std::size_t kOffsetModelType = 8;

    using Bytes = std::array<std::uint8_t, kSize>;

    ModelHeader() = default;
    explicit ModelHeader(const Bytes& bytes) : m_bytes(bytes) {}

    const Bytes& bytes() const { return m_bytes; }

    std::int32_t ModelType() const { return word(kOffsetModelType); }
    void setModelType(std::int32_t value) { setWord(kOffsetModelType, value); }

    std::int32_t count(Count which) const { return word(kCountTable[indexOf(which)].offset); }
    void setCount(Count which, std::int32_t value) {
        setWord(kCountTable[indexOf(which)].offset, value);
    }
    CountValues counts() const;

    std::int32_t NumValue3() const { return count(Count::NumValue3); }

    // True when the 100 opaque bytes, all but ModelType and the counts, equal `other`'s: the
    // header of the same model, whatever its counts and type say now.
    bool sameOpaqueBytes(const ModelHeader& other) const;

private:
    std::int32_t word(std::size_t offset) const;
    void setWord(std::size_t offset, std::int32_t value);

    Bytes m_bytes{};
};

}  // namespace cvx
