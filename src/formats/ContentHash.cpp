#include "ContentHash.h"

#define XXH_INLINE_ALL
#include <xxhash.h>

namespace cvx {

struct StreamHash::State {
    XXH3_state_t xxh;
};

std::string Hash128::hex() const {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (const std::uint64_t half : {high, low}) {
        for (int shift = 60; shift >= 0; shift -= 4) {
            text += kDigits[(half >> shift) & 0xF];
        }
    }
    return text;
}

std::uint64_t hash64(std::span<const std::uint8_t> bytes) {
    return XXH3_64bits(bytes.data(), bytes.size());
}

StreamHash::StreamHash() : m_state(std::make_unique<State>()) {
    XXH3_128bits_reset(&m_state->xxh);
}

StreamHash::~StreamHash() = default;

void StreamHash::add(std::span<const std::uint8_t> bytes) {
    XXH3_128bits_update(&m_state->xxh, bytes.data(), bytes.size());
}

Hash128 StreamHash::digest() const {
    const XXH128_hash_t hash = XXH3_128bits_digest(&m_state->xxh);
    return {hash.low64, hash.high64};
}

}  // namespace cvx
