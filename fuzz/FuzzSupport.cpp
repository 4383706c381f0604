#include "FuzzSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace cvx::fuzz {

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "FINDING: %s\n", what);
        std::fflush(stderr);
        std::abort();
    }
}

const std::array<const char*, 10> kSectionFiles = {
    "header.bin", "additional.bin", "value3.bin",   "color.bin", "edges.bin",
    "poly.bin",   "hundrets.bin",   "fiftysix.bin", "bbox.bin",  "unknown.bin"};

HeaderWords readHeaderWords(std::span<const std::uint8_t> header) {
    auto word = [&](std::size_t offset) {
        const std::uint32_t bits =
            std::uint32_t{header[offset]} | (std::uint32_t{header[offset + 1]} << 8) |
            (std::uint32_t{header[offset + 2]} << 16) | (std::uint32_t{header[offset + 3]} << 24);
        return static_cast<std::int64_t>(static_cast<std::int32_t>(bits));
    };
    return {word(8), word(12), word(16), word(24), word(32), word(36), word(48)};
}

Lengths lengthsFor(const HeaderWords& w) {
    Lengths lengths;
    for (const std::int64_t count :
         {w.NumVerts, w.NumExtra, w.NumValue3, w.NumLines, w.NumPolys, w.NumHundrets}) {
        if (count < 0) {
            lengths.code = 9;
            return lengths;
        }
    }
    lengths.section = {128,
                       12 * (w.NumVerts + w.NumExtra),
                       8 * w.NumValue3,
                       4 * (w.NumVerts + w.NumPolys),
                       4 * w.NumLines,
                       24 * w.NumPolys,
                       100 * w.NumHundrets,
                       56 * w.NumHundrets + 4,
                       24,
                       4 * w.NumVerts};
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
    for (const std::int64_t length : lengths.section) {
        lengths.total += length;
        if (length > kMax) {
            lengths.code = 6;
        }
    }
    if (lengths.total > kMax) {
        lengths.code = 6;
    }
    return lengths;
}

std::string messageFor(int code, int expected) {
    return code == expected ? "File does not exist!"
                            : "An unkown Error has occured!\r\nError Code: " + std::to_string(code);
}

JoinInput JoinInput::decode(std::span<const std::uint8_t> data) {
    JoinInput input;
    if (data.empty()) {
        return input;
    }
    input.answerNo = (data[0] & 1) != 0;
    std::size_t at = 1;
    for (std::optional<Bytes>& file : input.files) {
        if (data.size() - at < 2) {
            break;
        }
        const std::size_t length = data[at] | (std::size_t{data[at + 1]} << 8);
        at += 2;
        if (length == 0xFFFF) {
            continue;
        }
        const std::size_t taken = std::min(length, data.size() - at);
        file = Bytes(data.begin() + static_cast<std::ptrdiff_t>(at),
                     data.begin() + static_cast<std::ptrdiff_t>(at + taken));
        at += taken;
    }
    return input;
}

Bytes JoinInput::encode() const {
    Bytes data{static_cast<std::uint8_t>(answerNo ? 1 : 0)};
    for (const std::optional<Bytes>& file : files) {
        const std::size_t length = file ? std::min<std::size_t>(file->size(), 0xFFFE) : 0xFFFF;
        data.push_back(static_cast<std::uint8_t>(length));
        data.push_back(static_cast<std::uint8_t>(length >> 8));
        if (file) {
            data.insert(data.end(), file->begin(),
                        file->begin() + static_cast<std::ptrdiff_t>(length));
        }
    }
    return data;
}

}  // namespace cvx::fuzz
