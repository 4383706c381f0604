#pragma once

#include <cstdint>
#include <span>

namespace cvx {

// Little-endian 32-bit words, assembled from single bytes so that neither the host's byte order
// nor its alignment rules play a part.

// Returns the signed 32-bit little-endian word stored in `bytes`.
inline std::int32_t loadI32Le(std::span<const std::uint8_t, 4> bytes) {
    const std::uint32_t value = std::uint32_t{bytes[0]} | (std::uint32_t{bytes[1]} << 8) |
                                (std::uint32_t{bytes[2]} << 16) | (std::uint32_t{bytes[3]} << 24);
    return static_cast<std::int32_t>(value);
}

// Stores `value` into `bytes` as a little-endian two's-complement word.
inline void storeI32Le(std::int32_t value, std::span<std::uint8_t, 4> bytes) {
    const auto bits = static_cast<std::uint32_t>(value);
    bytes[0] = static_cast<std::uint8_t>(bits);
    bytes[1] = static_cast<std::uint8_t>(bits >> 8);
    bytes[2] = static_cast<std::uint8_t>(bits >> 16);
    bytes[3] = static_cast<std::uint8_t>(bits >> 24);
}

}  // namespace cvx
