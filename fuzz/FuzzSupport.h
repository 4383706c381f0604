#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace cvx::fuzz {

using Bytes = std::vector<std::uint8_t>;

// Stops the process with `what` when `condition` is false, so that libFuzzer keeps the input as
// a finding (and the replay test fails).
void require(bool condition, const char* what);

// The ten section files in file order.
extern const std::array<const char*, 10> kSectionFiles;

// The words of a 128-byte header, read here on their own rather than through the formats library,
// so that the targets check the library against a second reading of the format.
struct HeaderWords {
    std::int64_t ModelType, NumVerts, NumExtra, NumValue3, NumLines, NumPolys, NumHundrets;
};
HeaderWords readHeaderWords(std::span<const std::uint8_t> header);

// What the counts of a header ask for: the length of each of the ten sections (value3 0 when
// NumValue3 <= 0) and their sum, in 64-bit arithmetic. `code` is 9 for a negative count, 6 when a
// length or the sum leaves the signed 32-bit range, 0 otherwise.
struct Lengths {
    std::array<std::int64_t, 10> section{};
    std::int64_t total = 0;
    int code = 0;
};
Lengths lengthsFor(const HeaderWords& words);

// The message an operation shows for `code`: "File does not exist!" for the one code it expects,
// the unknown-error text otherwise.
std::string messageFor(int code, int expected);

// The input of the join target: a set of files and an answer, packed into one byte string.
//
//   byte 0        bit 0 set: answer No to the length question, else Yes
//   then 12 entries, in this order: the index file, the ten section files in file order, and the
//   destination as it was before the run. Each entry is a 16-bit little-endian length L and L
//   bytes; L = 0xFFFF means the file is absent. Entries missing at the end are absent; a length
//   beyond the end takes what is there.
struct JoinInput {
    static constexpr std::size_t kEntries = 12;
    static constexpr std::size_t kIndex = 0;
    static constexpr std::size_t kDestination = 11;

    bool answerNo = false;
    std::array<std::optional<Bytes>, kEntries> files;

    static JoinInput decode(std::span<const std::uint8_t> data);
    Bytes encode() const;
};

}  // namespace cvx::fuzz
