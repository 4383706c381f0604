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
constexpr std::int64_t kBlock = std::int64_t{1} << 17;

// One buffer of a block for each side, for every comparison.
struct Buffers {
    std::unique_ptr<std::uint8_t[]> a = std::make_unique_for_overwrite<std::uint8_t[]>(kBlock);
    std::unique_ptr<std::uint8_t[]> b = std::make_unique_for_overwrite<std::uint8_t[]>(kBlock);
};

bool same(Bytes a, Bytes b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size()) == 0);
}

// One side of a part being compared, read front to back through a buffer of a block: each byte
// is read once, and goes into the model's hash as it is read, so the hash takes the part's
// bytes in order. The buffer holds the bytes [start, end) of the part; a comparison asks for a
// window at or after `start`, and what it skips is read and hashed on the way.
class Reader {
public:
    Reader(const FilePart& part, StreamHash& hash, std::uint8_t* buffer)
        : m_part(part), m_hash(&hash), m_buffer(buffer) {}
    // A reader that reads again what a hashing one has read, and hashes nothing.
    Reader(const FilePart& part, std::uint8_t* buffer) : m_part(part), m_buffer(buffer) {}

    std::int64_t length() const { return m_part.length; }

    // Returns the bytes of the part from `from` on that the buffer holds, up to `to`: at least
    // `least` of them, or all up to `to` when fewer are left. `least` is at most a block, and
    // `from` is at or after the `from` of every earlier call.
    Bytes window(std::int64_t from, std::int64_t to, std::int64_t least) {
        if (m_end < std::min(to, from + least)) {
            refill(from);
        }
        const auto begin = static_cast<std::size_t>(from - m_start);
        return {m_buffer + begin, static_cast<std::size_t>(std::min(to, m_end) - from)};
    }

    // Reads (and hashes) what is left of the part.
    void finish() {
        if (m_end < m_part.length) {
            refill(m_part.length);
        }
    }

private:
    // Makes the buffer begin at `from`: keeps the bytes from there on that it holds, reads and
    // hashes those before it that it does not hold, and fills it up from the end.
    void refill(std::int64_t from) {
        if (from < m_end) {
            std::memmove(m_buffer, m_buffer + (from - m_start),
                         static_cast<std::size_t>(m_end - from));
        } else {
            if (m_hash == nullptr) {
                m_end = from;  // nothing to hash: what lies before `from` is not read
            }
            while (m_end < from) {
                read(m_buffer, std::min(kBlock, from - m_end));
            }
        }
        m_start = from;
        read(m_buffer + (m_end - m_start), std::min(m_start + kBlock, m_part.length) - m_end);
    }

    void read(std::uint8_t* into, std::int64_t count) {
        if (count == 0) {
            return;
        }
        const std::span<std::uint8_t> bytes(into, static_cast<std::size_t>(count));
        readExactly(*m_part.file, m_part.offset + m_end, bytes);
        if (m_hash != nullptr) {
            m_hash->add(bytes);
        }
        m_end += count;
    }

    const FilePart& m_part;
    StreamHash* m_hash = nullptr;
    std::uint8_t* m_buffer;
    std::int64_t m_start = 0, m_end = 0;
};

// Goes through element firstA + k of `a` and element firstB + k of `b` for k = 0, 1, ...,
// count - 1, as many at a time as both buffers hold: calls `visit(k0, bytesA, bytesB)` with the
// bytes of the n elements from k0 on of each side when they are not the same, until it returns
// false. The last element of a part may be shorter.
template <typename Visit>
void compareBlocks(Reader& a, Reader& b, std::int64_t size, std::int64_t firstA,
                   std::int64_t firstB, std::int64_t count, Visit visit) {
    const std::int64_t toA = std::min((firstA + count) * size, a.length());
    const std::int64_t toB = std::min((firstB + count) * size, b.length());
    for (std::int64_t k0 = 0; k0 < count;) {
        const std::int64_t fromA = (firstA + k0) * size, fromB = (firstB + k0) * size;
        Bytes bytesA = a.window(fromA, toA, size);
        Bytes bytesB = b.window(fromB, toB, size);
        // The elements that both windows hold whole, or up to the end of the run.
        const auto held = [&](Bytes bytes, std::int64_t from, std::int64_t to) {
            const auto n = static_cast<std::int64_t>(bytes.size());
            return from + n == to ? (n + size - 1) / size : n / size;
        };
        const std::int64_t n =
            std::min({count - k0, held(bytesA, fromA, toA), held(bytesB, fromB, toB)});
        bytesA = bytesA.first(static_cast<std::size_t>(std::min(n * size, std::ssize(bytesA))));
        bytesB = bytesB.first(static_cast<std::size_t>(std::min(n * size, std::ssize(bytesB))));
        if (!same(bytesA, bytesB) && !visit(k0, bytesA, bytesB)) {
            return;
        }
        k0 += n;
    }
}

// The element that begins at `at` in `bytes`.
Bytes element(Bytes bytes, std::int64_t at, std::int64_t size) {
    const auto begin = static_cast<std::size_t>(at);
    return bytes.subspan(begin, std::min(static_cast<std::size_t>(size), bytes.size() - begin));
}

// How many elements `bytes` holds, the last maybe shorter.
std::int64_t elementsIn(Bytes bytes, std::int64_t size) {
    return (std::ssize(bytes) + size - 1) / size;
}

// Compares the elements as compareBlocks() does, and calls `differs(k)` for each pair that is
// not the same, in order, until it returns false.
template <typename Differs>
void compareElements(Reader& a, Reader& b, std::int64_t size, std::int64_t firstA,
                     std::int64_t firstB, std::int64_t count, Differs differs) {
    compareBlocks(
        a, b, size, firstA, firstB, count, [&](std::int64_t k0, Bytes bytesA, Bytes bytesB) {
            for (std::int64_t k = 0; k < elementsIn(bytesA, size); ++k) {
                if (!same(element(bytesA, k * size, size), element(bytesB, k * size, size)) &&
                    !differs(k0 + k)) {
                    return false;
                }
            }
            return true;
        });
}

// Returns the last k whose pair of elements, as compareBlocks() takes them, is not the same; -1
// when all are. Only the blocks that differ are looked into, each from its end.
std::int64_t lastDiffering(Reader& a, Reader& b, std::int64_t size, std::int64_t firstA,
                           std::int64_t firstB, std::int64_t count) {
    std::int64_t last = -1;
    compareBlocks(
        a, b, size, firstA, firstB, count, [&](std::int64_t k0, Bytes bytesA, Bytes bytesB) {
            for (std::int64_t k = elementsIn(bytesA, size) - 1; k >= 0; --k) {
                if (!same(element(bytesA, k * size, size), element(bytesB, k * size, size))) {
                    last = k0 + k;
                    break;
                }
            }
            return true;
        });
    return last;
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

// Compares a section front to back, reading each side once. Where both sides have as many
// elements, those at the same place are compared one by one. Otherwise the elements that both
// begin with are set apart, then those that both end with, and what lies between is compared
// by place; what one side has more of is inserted (only B has it) or removed (only A has it).
// The elements that both end with are found front to back, as the run behind the last pair
// that differs, so that the hash takes each side's bytes in order; the elements between are read
// again, which a mod that inserts or removes a run leaves none of.
ModelDiff::Section compareSection(const SectionInfo& info, const FilePart& partA,
                                  const FilePart& partB, StreamHash& hashA, StreamHash& hashB,
                                  Buffers& buffers) {
    const std::int32_t size = elementSize(info);
    ModelDiff::Section result{info.section, size, partA.length, partB.length, {}, {}, {}};
    const std::int64_t countA = elementCount(info, partA.length);
    const std::int64_t countB = elementCount(info, partB.length);
    Reader a(partA, hashA, buffers.a.get()), b(partB, hashB, buffers.b.get());
    std::int64_t lead = 0, trail = 0;
    if (countA == countB) {
        compareElements(a, b, size, 0, 0, countA, [&](std::int64_t k) {
            addTo(result.changed, k);
            return true;
        });
    } else {
        lead = std::min(countA, countB);
        compareElements(a, b, size, 0, 0, lead, [&](std::int64_t k) {
            lead = k;
            return false;
        });
        const std::int64_t pairs = std::min(countA, countB) - lead;
        trail = pairs - 1 - lastDiffering(a, b, size, countA - pairs, countB - pairs, pairs);
    }
    a.finish();
    b.finish();
    if (countA != countB) {
        const std::int64_t restA = countA - lead - trail, restB = countB - lead - trail;
        const std::int64_t aligned = std::min(restA, restB);
        Reader againA(partA, buffers.a.get()), againB(partB, buffers.b.get());
        compareElements(againA, againB, size, lead, lead, aligned, [&](std::int64_t k) {
            addTo(result.changed, lead + k);
            return true;
        });
        if (restB > aligned) {
            result.inserted.emplace_back(lead + aligned, restB - aligned);
        }
        if (restA > aligned) {
            result.removed.emplace_back(lead + aligned, restA - aligned);
        }
    }
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
        const FilePart &partA = sideA.unowned, &partB = sideB.unowned;
        Unowned& unowned = diff.m_unowned;
        unowned = {static_cast<std::int32_t>(partA.offset), static_cast<std::int32_t>(partA.length),
                   static_cast<std::int32_t>(partB.offset), static_cast<std::int32_t>(partB.length),
                   partA.length != partB.length};
        Reader a(partA, hashA, buffers.a.get()), b(partB, hashB, buffers.b.get());
        if (!unowned.differ) {
            compareElements(a, b, 1, 0, 0, partA.length, [&](std::int64_t) {
                unowned.differ = true;
                return false;
            });
        }
        a.finish();
        b.finish();
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
            compareSection(info, sideA.parts[i], sideB.parts[i], hashA, hashB, buffers);
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
