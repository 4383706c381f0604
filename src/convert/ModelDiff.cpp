#include "ModelDiff.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <span>
#include <tuple>

#include "ModelSource.h"
#include "files/ReadHandle.h"

namespace cvx {
namespace {

namespace fs = std::filesystem;
using Bytes = std::span<const std::uint8_t>;

// Bytes read at a time from each side: large enough that the comparison runs at the speed of
// reading, small enough that memory stays at a few MiB whatever the size of the models.
constexpr std::int64_t kBlock = std::int64_t{1} << 20;

// One buffer of a block for each side, for every comparison.
struct Buffers {
    std::unique_ptr<std::uint8_t[]> a = std::make_unique_for_overwrite<std::uint8_t[]>(kBlock);
    std::unique_ptr<std::uint8_t[]> b = std::make_unique_for_overwrite<std::uint8_t[]>(kBlock);
};

bool same(Bytes a, Bytes b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size()) == 0);
}

// One side of a part being compared, and the hash of its model, which takes the part's bytes in
// order: those of each block read from where it left off, the rest once the comparison is done.
struct Side {
    const FilePart& part;
    StreamHash& hash;
    std::int64_t hashed = 0;  // bytes of the part in the hash

    void hashRead(std::int64_t from, Bytes bytes) {
        const std::int64_t to = from + static_cast<std::int64_t>(bytes.size());
        if (from <= hashed && to > hashed) {
            hash.add(bytes.subspan(static_cast<std::size_t>(hashed - from)));
            hashed = to;
        }
    }
    void hashRest(std::uint8_t* buffer) {
        while (hashed < part.length) {
            const std::span<std::uint8_t> bytes(
                buffer, static_cast<std::size_t>(std::min(kBlock, part.length - hashed)));
            readExactly(*part.file, part.offset + hashed, bytes);
            hashRead(hashed, bytes);
        }
    }
};

// Reads the elements [first, first + count) of `side` into `buffer`: `size` bytes each, the last
// element of the part as many as are left.
Bytes load(Side& side, std::int64_t size, std::int64_t first, std::int64_t count,
           std::uint8_t* buffer) {
    const std::int64_t from = first * size, to = std::min((first + count) * size, side.part.length);
    const std::span<std::uint8_t> bytes(buffer, static_cast<std::size_t>(to - from));
    readExactly(*side.part.file, side.part.offset + from, bytes);
    side.hashRead(from, bytes);
    return bytes;
}

// The element that begins at `at` in `bytes`.
Bytes element(Bytes bytes, std::int64_t at, std::int64_t size) {
    const auto begin = static_cast<std::size_t>(at);
    return bytes.subspan(begin, std::min(static_cast<std::size_t>(size), bytes.size() - begin));
}

// Compares element firstA + step * k of `a` with element firstB + step * k of `b` for k = 0, 1,
// ..., count - 1 in turn (step 1 or -1), a block at a time, and calls `differs(k)` for each pair
// that is not the same, until it returns false.
template <typename Differs>
void compareElements(Side& a, Side& b, std::int64_t size, std::int64_t firstA, std::int64_t firstB,
                     int step, std::int64_t count, Buffers& buffers, Differs differs) {
    const std::int64_t perBlock = kBlock / size;
    for (std::int64_t k0 = 0; k0 < count; k0 += perBlock) {
        const std::int64_t n = std::min(perBlock, count - k0);
        const std::int64_t lowA = step > 0 ? firstA + k0 : firstA - k0 - n + 1;
        const std::int64_t lowB = step > 0 ? firstB + k0 : firstB - k0 - n + 1;
        const Bytes bytesA = load(a, size, lowA, n, buffers.a.get());
        const Bytes bytesB = load(b, size, lowB, n, buffers.b.get());
        if (same(bytesA, bytesB)) {
            continue;
        }
        for (std::int64_t k = k0; k < k0 + n; ++k) {
            if (!same(element(bytesA, (firstA + step * k - lowA) * size, size),
                      element(bytesB, (firstB + step * k - lowB) * size, size)) &&
                !differs(k)) {
                return;
            }
        }
    }
}

// Adds `position` to `runs` of first and last positions, extending the last run when it ends
// right before it.
void addTo(std::vector<ModelDiff::Run>& runs, std::int64_t position) {
    if (!runs.empty() && runs.back().second == position - 1) {
        runs.back().second = position;
    } else {
        runs.emplace_back(position, position);
    }
}

ModelDiff::Section compareSection(const SectionInfo& info, Side a, Side b, Buffers& buffers) {
    const std::int32_t size = elementSize(info);
    ModelDiff::Section result{info.section, size, a.part.length, b.part.length, {}, {}, {}};
    const std::int64_t countA = elementCount(info, a.part.length);
    const std::int64_t countB = elementCount(info, b.part.length);
    // The elements that both begin with, then those that both end with, of the rest. Where both
    // sides have as many elements, those between are all of them.
    std::int64_t lead = countA == countB ? 0 : std::min(countA, countB);
    compareElements(a, b, size, 0, 0, 1, lead, buffers, [&](std::int64_t k) {
        lead = k;
        return false;
    });
    std::int64_t trail = countA == countB ? 0 : std::min(countA, countB) - lead;
    compareElements(a, b, size, countA - 1, countB - 1, -1, trail, buffers, [&](std::int64_t k) {
        trail = k;
        return false;
    });
    // Between them, the elements at the same place on both sides one by one; what one side has
    // more of follows them.
    const std::int64_t restA = countA - lead - trail, restB = countB - lead - trail;
    const std::int64_t aligned = std::min(restA, restB);
    compareElements(a, b, size, lead, lead, 1, aligned, buffers, [&](std::int64_t k) {
        addTo(result.changed, lead + k);
        return true;
    });
    if (restB > aligned) {
        result.inserted.emplace_back(lead + aligned, restB - aligned);
    }
    if (restA > aligned) {
        result.removed.emplace_back(lead + aligned, restA - aligned);
    }
    a.hashRest(buffers.a.get());
    b.hashRest(buffers.b.get());
    return result;
}

}  // namespace

ModelDiff ModelDiff::compare(FileSystem& fileSystem, const fs::path& a, const fs::path& b) {
    std::vector<JoinedSet::LeftOut> leftOut;
    const ModelSource sideA = ModelSource::open(fileSystem, a, leftOut);
    const ModelSource sideB = ModelSource::open(fileSystem, b, leftOut);
    ModelDiff diff = compare(sideA, sideB);
    diff.m_leftOut = std::move(leftOut);
    return diff;
}

ModelDiff ModelDiff::compare(const ModelSource& sideA, const ModelSource& sideB) {
    ModelDiff diff;
    const ModelHeader& headerA = sideA.header;
    const ModelHeader& headerB = sideB.header;
    for (const CountWord& word : kCountTable) {
        if (headerA.count(word.count) != headerB.count(word.count)) {
            diff.m_counts.push_back(
                {word.name, headerA.count(word.count), headerB.count(word.count)});
        }
    }
    for (std::size_t at = 0; at < ModelHeader::kSize; ++at) {
        const bool inCount = std::any_of(
            kCountTable.begin(), kCountTable.end(),
            [&](const CountWord& word) { return at >= word.offset && at < word.offset + 4; });
        if (!inCount && headerA.bytes()[at] != headerB.bytes()[at]) {
            addTo(diff.m_header, static_cast<std::int64_t>(at));
        }
    }

    StreamHash hashA, hashB;
    hashA.add(headerA.bytes());
    hashB.add(headerB.bytes());
    Buffers buffers;
    // The unowned bytes lie between the front sections and those from the end: compared in
    // their place, so that both models are hashed in order.
    auto compareUnowned = [&] {
        Side a{sideA.unowned, hashA}, b{sideB.unowned, hashB};
        Unowned& unowned = diff.m_unowned;
        unowned = {static_cast<std::int32_t>(a.part.offset),
                   static_cast<std::int32_t>(a.part.length),
                   static_cast<std::int32_t>(b.part.offset),
                   static_cast<std::int32_t>(b.part.length), a.part.length != b.part.length};
        if (!unowned.differ) {
            compareElements(a, b, 1, 0, 0, 1, a.part.length, buffers, [&](std::int64_t) {
                unowned.differ = true;
                return true;
            });
        }
        a.hashRest(buffers.a.get());
        b.hashRest(buffers.b.get());
    };
    for (const SectionInfo& info : sectionTable()) {
        const std::size_t i = indexOf(info.section);
        if (info.section == cvx::Section::Header) {
            continue;
        }
        if (info.section == cvx::Section::Bbox) {
            compareUnowned();
        }
        Section section =
            compareSection(info, {sideA.parts[i], hashA}, {sideB.parts[i], hashB}, buffers);
        if (!section.changed.empty() || !section.inserted.empty() || !section.removed.empty()) {
            diff.m_sections.push_back(std::move(section));
        }
    }
    for (auto [side, hash, model] :
         {std::tuple(&sideA, &hashA, &diff.m_modelA), std::tuple(&sideB, &hashB, &diff.m_modelB)}) {
        model->hash = hash->digest();
        model->length = side->unowned.length;
        for (const FilePart& part : side->parts) {
            model->length += part.length;
        }
    }
    return diff;
}

}  // namespace cvx
