#include "ContentHash.h"

#define XXH_INLINE_ALL
#include <xxhash.h>

#ifdef CINDERVAXEL_XXH3_AVX2
#include "ContentHashAvx2.h"
#endif

namespace cvx {
namespace {

// Long input goes through XXH3's AVX2 code where the processor has it (and the system keeps its
// registers), else through the SSE2 code every 64-bit x86 processor has: the hash is the same.
#ifdef CINDERVAXEL_XXH3_AVX2
const bool kAvx2 = __builtin_cpu_supports("avx2");
#endif

}  // namespace

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
#ifdef CINDERVAXEL_XXH3_AVX2
    if (kAvx2) {
        avx2::update128(&m_state->xxh, bytes.data(), bytes.size());
        return;
    }
#endif
    XXH3_128bits_update(&m_state->xxh, bytes.data(), bytes.size());
}

Hash128 StreamHash::digest() const {
    const XXH128_hash_t hash = XXH3_128bits_digest(&m_state->xxh);
    return {hash.low64, hash.high64};
}

}  // namespace cvx
