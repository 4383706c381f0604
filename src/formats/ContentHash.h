#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace cvx {

// Hashes that tell whether bytes are those a patch was made from (XXH3): fast, and good against
// accidents, not against a forger. A model's is 128 bits; an element's 64.

// A 128-bit hash, as its two halves.
struct Hash128 {
    std::uint64_t low = 0, high = 0;

    bool operator==(const Hash128&) const = default;
    // Returns the 32 lower-case hex digits, the high half first.
    std::string hex() const;
};

// Returns the 64-bit hash of `bytes`.
std::uint64_t hash64(std::span<const std::uint8_t> bytes);

// The 128-bit hash of bytes given piece by piece: the same as of all of them at once.
class StreamHash {
public:
    StreamHash();
    ~StreamHash();
    StreamHash(const StreamHash&) = delete;
    StreamHash& operator=(const StreamHash&) = delete;

    void add(std::span<const std::uint8_t> bytes);
    // Returns the hash of everything added so far.
    Hash128 digest() const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

}  // namespace cvx
