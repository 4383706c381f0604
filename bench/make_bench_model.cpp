// Writes a synthetic model file of about the requested size, for the benchmark.
//
//   make-bench-model FILE MEBIBYTES
//
// The counts are chosen so that every section has bytes; the bytes themselves are pseudo-random,
// so that nothing along the way can take a shortcut on repeated or zero data.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "formats/ModelHeader.h"
#include "formats/ModelLayout.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make-bench-model FILE MEBIBYTES\n");
        return 2;
    }
    const double mebibytes = std::strtod(argv[2], nullptr);
    // A model with NumVerts v has about 41.56 v bytes with the ratios below.
    const auto verts = static_cast<std::int32_t>(mebibytes * 1024 * 1024 / 41.56);

    using cvx::Count;
    cvx::ModelHeader header;
    header.setModelType(1);
    header.setCount(Count::NumVerts, verts);
    header.setCount(Count::NumExtra, 0);
    header.setCount(Count::NumValue3, verts / 4);
    header.setCount(Count::NumLines, verts);
    header.setCount(Count::NumPolys, verts / 2);
    header.setCount(Count::NumHundrets, verts / 100);
    const std::int32_t length = cvx::ModelLayout::compute(header, INT32_MAX).modelLength();

    std::FILE* out = std::fopen(argv[1], "wb");
    if (out == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    std::fwrite(header.bytes().data(), 1, header.bytes().size(), out);
    std::uint64_t state = 0x9E3779B97F4A7C15u;
    std::vector<std::uint64_t> block(1 << 17);  // 1 MiB
    std::int64_t left = length - static_cast<std::int64_t>(header.bytes().size());
    while (left > 0) {
        for (std::uint64_t& word : block) {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            word = state;
        }
        const auto chunk = static_cast<std::size_t>(
            std::min<std::int64_t>(left, static_cast<std::int64_t>(block.size() * 8)));
        if (std::fwrite(block.data(), 1, chunk, out) != chunk) {
            std::perror(argv[1]);
            return 1;
        }
        left -= static_cast<std::int64_t>(chunk);
    }
    if (std::fclose(out) != 0) {
        std::perror(argv[1]);
        return 1;
    }
    std::printf("%s: %d bytes\n", argv[1], length);
    return 0;
}
