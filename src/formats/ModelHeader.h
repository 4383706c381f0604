#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace cvx {

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
    static constexpr std::size_t kOffsetNumVerts = 12;
    static constexpr std::size_t kOffsetNumExtra = 16;
    static constexpr std::size_t kOffsetNumValue3 = 24;
    static constexpr std::size_t kOffsetNumLines = 32;
    static constexpr std::size_t kOffsetNumPolys = 36;
    static constexpr std::size_t kOffsetNumHundrets = 48;

    using Bytes = std::array<std::uint8_t, kSize>;

    ModelHeader() = default;
    explicit ModelHeader(const Bytes& bytes) : m_bytes(bytes) {}

    const Bytes& bytes() const { return m_bytes; }
    std::span<std::uint8_t, kSize> mutableBytes() { return m_bytes; }

    std::int32_t ModelType() const { return word(kOffsetModelType); }
    std::int32_t NumVerts() const { return word(kOffsetNumVerts); }
    std::int32_t NumExtra() const { return word(kOffsetNumExtra); }
    std::int32_t NumValue3() const { return word(kOffsetNumValue3); }
    std::int32_t NumLines() const { return word(kOffsetNumLines); }
    std::int32_t NumPolys() const { return word(kOffsetNumPolys); }
    std::int32_t NumHundrets() const { return word(kOffsetNumHundrets); }

    // Stores `value` as the little-endian word at `offset` (one of the kOffset constants).
    void setWord(std::size_t offset, std::int32_t value);

private:
    std::int32_t word(std::size_t offset) const;

    Bytes m_bytes{};
};

}  // namespace cvx
