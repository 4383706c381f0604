#include "ModelBuilder.h"

#include <algorithm>
#include <random>

namespace cvx::test {

Bytes randomBytes(std::size_t size, std::uint32_t seed) {
    std::mt19937 random(seed);
    Bytes bytes(size);
    std::generate(bytes.begin(), bytes.end(), [&] { return static_cast<std::uint8_t>(random()); });
    return bytes;
}

ModelHeader makeHeader(const Counts& counts, std::uint32_t seed) {
    ModelHeader::Bytes bytes{};
    const Bytes opaque = randomBytes(bytes.size(), seed);
    std::copy(opaque.begin(), opaque.end(), bytes.begin());
    ModelHeader header(bytes);
    header.setWord(ModelHeader::kOffsetModelType, counts.ModelType);
    header.setWord(ModelHeader::kOffsetNumVerts, counts.NumVerts);
    header.setWord(ModelHeader::kOffsetNumExtra, counts.NumExtra);
    header.setWord(ModelHeader::kOffsetNumValue3, counts.NumValue3);
    header.setWord(ModelHeader::kOffsetNumLines, counts.NumLines);
    header.setWord(ModelHeader::kOffsetNumPolys, counts.NumPolys);
    header.setWord(ModelHeader::kOffsetNumHundrets, counts.NumHundrets);
    return header;
}

Bytes makeModel(const Counts& counts, std::int32_t unowned, std::uint32_t seed) {
    auto n = [](std::int32_t count) { return static_cast<std::size_t>(std::max(count, 0)); };
    const std::size_t verts = n(counts.NumVerts);
    const std::size_t body = 12 * (verts + n(counts.NumExtra)) + 8 * n(counts.NumValue3) +
                             4 * (verts + n(counts.NumPolys)) + 4 * n(counts.NumLines) +
                             24 * n(counts.NumPolys) + 156 * n(counts.NumHundrets) + 4 +
                             n(unowned) + 24 + 4 * verts;
    const ModelHeader header = makeHeader(counts, seed);
    Bytes model(header.bytes().begin(), header.bytes().end());
    const Bytes rest = randomBytes(body, seed + 1);
    model.insert(model.end(), rest.begin(), rest.end());
    return model;
}

Bytes slice(const Bytes& bytes, std::size_t offset, std::size_t length) {
    return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                 bytes.begin() + static_cast<std::ptrdiff_t>(offset + length));
}

}  // namespace cvx::test
