#include "ModelDiff.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <span>

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

// Reads the elements [first, first + count) of `part` into `buffer`: `size` bytes each, the last
// element of the part as many as are left.
Bytes load(const FilePart& part, std::int64_t size, std::int64_t first, std::int64_t count,
           std::uint8_t* buffer) {
    const std::int64_t from = first * size, to = std::min((first + count) * size, part.length);
    const std::span<std::uint8_t> bytes(buffer, static_cast<std::size_t>(to - from));
    readExactly(*part.file, part.offset + from, bytes);
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
void compareElements(const FilePart& a, const FilePart& b, std::int64_t size, std::int64_t firstA,
                     std::int64_t firstB, int step, std::int64_t count, Buffers& buffers,
                     Differs differs) {
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

ModelDiff::Section compareSection(const SectionInfo& info, const FilePart& a, const FilePart& b,
                                  Buffers& buffers) {
    const std::int32_t size = info.perCount > 0 ? info.perCount : info.fixed;
    ModelDiff::Section result{info.section, size, a.length, b.length, {}, {}, {}};
    const std::int64_t countA = (a.length + size - 1) / size, countB = (b.length + size - 1) / size;
    // The elements that both begin with, then those that both end with, of the rest.
    std::int64_t lead = std::min(countA, countB);
    compareElements(a, b, size, 0, 0, 1, lead, buffers, [&](std::int64_t k) {
        lead = k;
        return false;
    });
    std::int64_t trail = std::min(countA, countB) - lead;
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
    return result;
}

}  // namespace

ModelDiff ModelDiff::compare(FileSystem& fileSystem, const fs::path& a, const fs::path& b) {
    ModelDiff diff;
    const ModelSource sideA = ModelSource::open(fileSystem, a, diff.m_leftOut);
    const ModelSource sideB = ModelSource::open(fileSystem, b, diff.m_leftOut);

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

    Buffers buffers;
    for (const SectionInfo& info : sectionTable()) {
        const std::size_t i = indexOf(info.section);
        if (info.section == cvx::Section::Header) {
            continue;
        }
        Section section = compareSection(info, sideA.parts[i], sideB.parts[i], buffers);
        if (!section.changed.empty() || !section.inserted.empty() || !section.removed.empty()) {
            diff.m_sections.push_back(std::move(section));
        }
    }

    const FilePart &unownedA = sideA.unowned, &unownedB = sideB.unowned;
    Unowned& unowned = diff.m_unowned;
    unowned = {static_cast<std::int32_t>(unownedA.offset),
               static_cast<std::int32_t>(unownedA.length),
               static_cast<std::int32_t>(unownedB.offset),
               static_cast<std::int32_t>(unownedB.length), unownedA.length != unownedB.length};
    if (!unowned.differ) {
        compareElements(unownedA, unownedB, 1, 0, 0, 1, unownedA.length, buffers,
                        [&](std::int64_t) {
                            unowned.differ = true;
                            return false;
                        });
    }
    return diff;
}

}  // namespace cvx
