#include "PatchPlan.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <future>
#include <map>
#include <memory>
#include <optional>
#include <unordered_map>
#include <utility>

#include "MakePatch.h"
#include "files/PathText.h"
#include "formats/CheckedInt32.h"

namespace cvx {
namespace {

namespace fs = std::filesystem;

constexpr std::int64_t kBlock = std::int64_t{1} << 20;
// Places where a long run's ends match whose bytes are read to find it, at most.
constexpr int kMostTries = 64;

const std::string kMakeAnew =
    "apply it to the model it was made from, or make the patch anew from this one";

bool same(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
}

// What a run is found by: the hashes of at most `keep` neighbours each side (`front` of them in
// front) and of the elements it replaces; of a long run, of its first and last elements only,
// with the `gap` elements between them, in front of hashes[gapAt], told by the hash of all its
// bytes.
// Each hash is compared as far as masks[p] keeps it.
struct Pattern {
    std::vector<std::uint64_t> hashes, masks;
    std::int64_t front = 0, gapAt = 0, gap = 0;

    // The elements it spans, and where the one of hashes[p] stands among them.
    std::int64_t length() const { return std::ssize(hashes) + gap; }
    std::int64_t offsetOf(std::size_t p) const {
        const auto at = static_cast<std::int64_t>(p);
        return at < gapAt ? at : at + gap;
    }
    bool matches(std::size_t p, std::uint64_t hash) const { return (hash & masks[p]) == hashes[p]; }
    // Runs are looked up by the lower half of their last hash, which every mask keeps.
    std::uint32_t key() const { return static_cast<std::uint32_t>(hashes.back()); }
};

// A run's pattern; `mask` says what its patch keeps of the hashes that find a run.
Pattern patternOf(const ModelPatch::Hunk& hunk, std::size_t keep, std::uint64_t mask) {
    const auto front = static_cast<std::ptrdiff_t>(std::min(keep, hunk.before.size()));
    const auto back = static_cast<std::ptrdiff_t>(std::min(keep, hunk.after.size()));
    Pattern pattern;
    const auto add = [&](auto from, auto to, std::uint64_t keeps) {
        pattern.hashes.insert(pattern.hashes.end(), from, to);
        pattern.masks.resize(pattern.hashes.size(), keeps);
    };
    add(hunk.before.end() - front, hunk.before.end(), mask);
    add(hunk.old.begin(), hunk.old.end(), hunk.longRun() ? mask : ~std::uint64_t{0});
    add(hunk.after.begin(), hunk.after.begin() + back, mask);
    pattern.front = front;
    pattern.gapAt = pattern.front + std::ssize(hunk.old) / 2;
    pattern.gap = hunk.longRun() ? hunk.removed - std::ssize(hunk.old) : 0;
    return pattern;
}

// Whether the bytes of the long run `hunk`, were it to begin at element `at` of `part`, are
// those it replaces.
bool wholeAt(const FilePart& part, const SectionInfo& info, const ModelPatch::Hunk& hunk,
             std::int64_t at) {
    const std::int64_t size = elementSize(info);
    return !hunk.whole ||
           bytesHash(part, at * size, std::min((at + hunk.removed) * size, part.length)) ==
               *hunk.whole;
}

// Whether the elements of `part` from `first` on are those of `pattern`.
bool standsAt(const FilePart& part, const SectionInfo& info, const ModelPatch::Hunk& hunk,
              const Pattern& pattern, std::int64_t first, std::int64_t count) {
    if (first < 0 || first + pattern.length() > count) {
        return false;
    }
    std::vector<std::uint64_t> hashes = elementHashes(part, info, first, pattern.gapAt);
    const std::vector<std::uint64_t> tail =
        elementHashes(part, info, first + pattern.gapAt + pattern.gap,
                      std::ssize(pattern.hashes) - pattern.gapAt);
    hashes.insert(hashes.end(), tail.begin(), tail.end());
    for (std::size_t p = 0; p < hashes.size(); ++p) {
        if (!pattern.matches(p, hashes[p])) {
            return false;
        }
    }
    return wholeAt(part, info, hunk, first + pattern.front);
}

std::string elementsText(const ModelPatch::Hunk& hunk) {
    return hunk.removed <= 1 ? "element " + std::to_string(hunk.position)
                             : "elements " + std::to_string(hunk.position) + " to " +
                                   std::to_string(hunk.end() - 1);
}

// Where the runs of `edit` apply in the section `part` of the original: each at its place (moved
// as the run before it was), or else where its neighbours and the elements it replaces stand in
// that order, the nearest such place taken; where that is nowhere, with one neighbour each side,
// then, for a run that replaces elements, with none. Throws code 9, naming `file`, for a run
// found nowhere.
std::vector<std::int64_t> locate(const FilePart& part, const SectionInfo& info,
                                 const ModelPatch::SectionEdit& edit, std::uint64_t mask,
                                 const fs::path& file) {
    const std::int64_t count = elementCount(info, part.length);
    std::vector<std::int64_t> at(edit.hunks.size(), -1), expected(edit.hunks.size());
    for (const std::size_t keep :
         {std::size_t{ModelPatch::kMostNeighbours}, std::size_t{1}, std::size_t{0}}) {
        std::vector<Pattern> patterns;
        std::unordered_multimap<std::uint32_t, std::size_t> byLast;  // the runs to look for
        std::size_t ring = 1;
        std::int64_t shift = 0;
        for (std::size_t i = 0; i < edit.hunks.size(); ++i) {
            const ModelPatch::Hunk& hunk = edit.hunks[i];
            const Pattern& pattern = patterns.emplace_back(patternOf(hunk, keep, mask));
            expected[i] = hunk.position + shift;
            if (at[i] >= 0) {
                shift = at[i] - hunk.position;
            } else if (pattern.hashes.empty() && hunk.before.empty() && hunk.after.empty()) {
                at[i] = std::min(expected[i], count);  // into a section that had no elements
            } else if (!pattern.hashes.empty() &&
                       standsAt(part, info, hunk, pattern, expected[i] - pattern.front, count)) {
                at[i] = expected[i];
                shift = at[i] - hunk.position;
            } else if (!pattern.hashes.empty()) {
                byLast.emplace(pattern.key(), i);
                ring = std::max(ring, static_cast<std::size_t>(pattern.length()));
            }
        }
        if (byLast.empty()) {
            continue;
        }
        // The runs not at their place: the section read through once, each element's hash kept
        // in a ring long enough for the longest run, and compared where it ends a run's hashes.
        // A long run's bytes are read where its ends match, a few times at most.
        std::vector<std::uint64_t> last(ring);
        std::vector<int> tries(edit.hunks.size(), kMostTries);
        const std::int64_t perBlock = kBlock / elementSize(info);
        for (std::int64_t k0 = 0; k0 < count; k0 += perBlock) {
            const std::vector<std::uint64_t> hashes =
                elementHashes(part, info, k0, std::min(perBlock, count - k0));
            for (std::size_t k = 0; k < hashes.size(); ++k) {
                const std::int64_t j = k0 + static_cast<std::int64_t>(k);
                last[static_cast<std::size_t>(j) % ring] = hashes[k];
                const auto [from, to] = byLast.equal_range(static_cast<std::uint32_t>(hashes[k]));
                for (auto it = from; it != to; ++it) {
                    const std::size_t i = it->second;
                    const Pattern& pattern = patterns[i];
                    const std::int64_t first = j - pattern.length() + 1;
                    bool match = first >= 0;
                    for (std::size_t p = 0; match && p < pattern.hashes.size(); ++p) {
                        match = pattern.matches(
                            p, last[static_cast<std::size_t>(first + pattern.offsetOf(p)) % ring]);
                    }
                    const std::int64_t place = first + pattern.front;
                    if (match &&
                        (at[i] < 0 ||
                         std::abs(place - expected[i]) < std::abs(at[i] - expected[i])) &&
                        (!edit.hunks[i].longRun() ||
                         (tries[i]-- > 0 && wholeAt(part, info, edit.hunks[i], place)))) {
                        at[i] = place;
                    }
                }
            }
        }
    }
    for (std::size_t i = 0; i < at.size(); ++i) {
        const ModelPatch::Hunk& hunk = edit.hunks[i];
        const std::string where = std::string(info.fileName) + ": its run at " + elementsText(hunk);
        if (at[i] < 0) {
            throw RunError(ErrorCode::SubscriptOutOfRange,
                           where + " is found nowhere in the original: the elements it replaces " +
                               "stand with their neighbours neither there nor anywhere else",
                           file, kMakeAnew);
        }
        if (i > 0 && (at[i] < at[i - 1] + edit.hunks[i - 1].removed ||
                      (at[i] == at[i - 1] && hunk.removed == 0))) {
            throw RunError(ErrorCode::SubscriptOutOfRange,
                           where + " is found at element " + std::to_string(at[i]) +
                               " of the original, in front of the run before it",
                           file, kMakeAnew);
        }
    }
    return at;
}

// Writes the result to `out`: long stretches of the original by FileHandle::copyFrom, which lets
// the kernel copy them, short ones and the plan's bytes gathered in a buffer first, so that a
// patch of many small pieces does not cost a system call for each.
class ResultWriter {
public:
    explicit ResultWriter(FileHandle& out)
        : m_out(out), m_buffer(std::make_unique_for_overwrite<std::uint8_t[]>(kGather)) {}

    void add(std::span<const std::uint8_t> bytes) {
        while (!bytes.empty()) {
            const std::size_t n =
                std::min(bytes.size(), static_cast<std::size_t>(kGather - m_used));
            std::copy_n(bytes.begin(), n, m_buffer.get() + m_used);
            m_used += static_cast<std::int64_t>(n);
            bytes = bytes.subspan(n);
            if (m_used == kGather) {
                flush();
            }
        }
    }

    // Writes the bytes [from, to) of `part`.
    void copy(const FilePart& part, std::int64_t from, std::int64_t to) {
        if (to - from >= kShortest) {
            flush();
            m_out.copyFrom(*part.file, part.offset + from, to - from);
            return;
        }
        while (from < to) {
            const std::int64_t n = std::min(to - from, kGather - m_used);
            readExactly(*part.file, part.offset + from,
                        {m_buffer.get() + m_used, static_cast<std::size_t>(n)});
            m_used += n;
            from += n;
            if (m_used == kGather) {
                flush();
            }
        }
    }

    void flush() {
        if (m_used > 0) {
            m_out.write({m_buffer.get(), static_cast<std::size_t>(m_used)});
            m_used = 0;
        }
    }

private:
    // The buffer's size, and the shortest stretch that the kernel copies: one that takes it
    // longer to start than to copy goes through the buffer.
    static constexpr std::int64_t kGather = std::int64_t{256} << 10, kShortest = 64 << 10;

    FileHandle& m_out;
    std::unique_ptr<std::uint8_t[]> m_buffer;
    std::int64_t m_used = 0;
};

}  // namespace

// The bytes [from, to) of the original's `part`, or `bytes` of the plan (a header, a piece);
// `result` when the result holds them, `original` when the original does (both for the bytes
// that the result keeps).
struct PatchPlan::Stretch {
    const FilePart* part = nullptr;
    std::int64_t from = 0, to = 0;
    std::span<const std::uint8_t> bytes;
    bool result = false, original = false;
};

std::vector<PatchPlan::Stretch> PatchPlan::layout(const ModelSource& original) const {
    std::vector<Stretch> stretches;
    stretches.push_back({nullptr, 0, 0, original.header.bytes(), false, true});
    stretches.push_back({nullptr, 0, 0, m_header.bytes(), true, false});
    auto keep = [&](const FilePart& part, std::int64_t from, std::int64_t to, bool kept) {
        if (from < to) {
            stretches.push_back({&part, from, to, {}, kept, true});
        }
    };
    for (const SectionInfo& info : sectionTable()) {
        if (info.section == Section::Header) {
            continue;
        }
        if (info.section == Section::Bbox) {  // the bytes in no section lie in front of bbox
            keep(original.unowned, 0, original.unowned.length, !m_unowned);
            if (m_unowned) {
                stretches.push_back({nullptr, 0, 0, *m_unowned, true, false});
            }
        }
        const FilePart& part = original.parts[indexOf(info.section)];
        const std::int64_t size = elementSize(info);
        std::int64_t done = 0;
        for (const Piece& piece : m_pieces[indexOf(info.section)]) {
            const std::int64_t from = piece.position * size;
            const std::int64_t to = std::min(from + piece.removed * size, part.length);
            keep(part, done, from, true);
            keep(part, from, to, false);
            stretches.push_back({nullptr, 0, 0, piece.bytes, true, false});
            done = to;
        }
        keep(part, done, part.length, true);
    }
    return stretches;
}

Hash128 PatchPlan::hashOf(const std::vector<Stretch>& stretches, bool ofOriginal,
                          const std::atomic<bool>& stop) {
    // A block that stays in the processor's cache between the read and the hash.
    constexpr std::int64_t kHashBlock = std::int64_t{256} << 10;
    StreamHash hash;
    const auto buffer = std::make_unique_for_overwrite<std::uint8_t[]>(kHashBlock);
    for (const Stretch& stretch : stretches) {
        if (!(ofOriginal ? stretch.original : stretch.result)) {
            continue;
        }
        if (!stretch.part) {
            hash.add(stretch.bytes);
            continue;
        }
        for (std::int64_t at = stretch.from; at < stretch.to && !stop; at += kHashBlock) {
            const std::span<std::uint8_t> bytes(
                buffer.get(), static_cast<std::size_t>(std::min(kHashBlock, stretch.to - at)));
            readExactly(*stretch.part->file, stretch.part->offset + at, bytes);
            hash.add(bytes);
        }
    }
    return hash.digest();
}

void PatchPlan::refuseApplied(const ModelSource& original) const {
    std::int64_t length = original.unowned.length;
    for (const FilePart& part : original.parts) {
        length += part.length;
    }
    // The original's stretches cover it whole, whatever pieces the plan holds so far.
    std::optional<Hash128> hash;
    const std::atomic<bool> stop = false;
    for (const Named& named : m_patches) {
        if (named.patch.resultLength == length &&
            (hash ? *hash : hash.emplace(hashOf(layout(original), true, stop))) ==
                named.patch.resultHash) {
            throw RunError(
                ErrorCode::SubscriptOutOfRange,
                "the original given is the model it gives already: the patch was applied to "
                "that model before",
                named.file,
                "apply it to the model it was made from; applied in place, it kept "
                "that one beside the model, its name ending in .orig");
        }
    }
}

PatchPlan PatchPlan::make(const ModelSource& original, std::vector<Named> patches, Prefer prefer) {
    PatchPlan plan;
    plan.m_patches = std::move(patches);
    const std::size_t n = plan.m_patches.size();
    plan.m_moved.assign(n, 0);
    plan.m_runs.assign(n, 0);
    plan.m_repeats.assign(n, 0);
    plan.m_other.assign(n, false);
    try {
        plan.planHeader(original, prefer);
        plan.planUnowned(original, prefer);
        for (const SectionInfo& info : sectionTable()) {
            if (info.section != Section::Header) {
                plan.planSection(original, info, prefer);
            }
        }
        plan.settle(original);
    } catch (const RunError& error) {
        if (error.code() == ErrorCode::SubscriptOutOfRange) {
            plan.refuseApplied(original);
        }
        throw;
    }
    return plan;
}

PatchPlan PatchPlan::merge(const ModelSource& base, const ModelSource& a, const fs::path& aFile,
                           const ModelSource& b, const fs::path& bFile, Prefer prefer) {
    std::vector<Named> patches;
    patches.push_back({aFile, makePatch(base, a)});
    patches.push_back({bFile, makePatch(base, b)});
    return make(base, std::move(patches), prefer);
}

bool PatchPlan::conflict(std::size_t earlier, std::size_t later, const std::string& what,
                         Prefer prefer) {
    const std::string both = toText(m_patches[earlier].file) + " and " +
                             toText(m_patches[later].file) + " change " + what + " differently";
    if (prefer == Prefer::None) {
        throw RunError(ErrorCode::InvalidArgument, both, m_patches[later].file,
                       "prefer the first or the last of them, or leave one out");
    }
    const std::size_t winner = prefer == Prefer::First ? earlier : later;
    m_notes.push_back(both + "; the change of " + toText(m_patches[winner].file) + " is taken");
    return winner == later;
}

void PatchPlan::planHeader(const ModelSource& original, Prefer prefer) {
    ModelHeader::Bytes bytes = original.header.bytes();
    std::array<std::size_t, ModelHeader::kSize> from{};  // the patch that set each byte, + 1
    for (std::size_t i = 0; i < m_patches.size(); ++i) {
        for (const ModelPatch::HeaderRun& run : m_patches[i].patch.header) {
            const auto first = original.header.bytes().begin() + run.offset;
            const std::span<const std::uint8_t> now(first, first + std::ssize(run.before));
            const std::string what = "header.bin bytes " + std::to_string(run.offset) + " to " +
                                     std::to_string(run.offset + std::ssize(run.before) - 1);
            if (same(now, run.after)) {
                m_other[i] = true;  // an original with the change made already
                continue;
            }
            if (!same(now, run.before)) {
                throw RunError(ErrorCode::SubscriptOutOfRange,
                               what + " of the original are not those it was made from",
                               m_patches[i].file, kMakeAnew);
            }
            for (std::size_t k = 0; k < run.after.size(); ++k) {
                const std::size_t at = static_cast<std::size_t>(run.offset) + k;
                if (from[at] == 0 || bytes[at] == run.after[k] ||
                    conflict(from[at] - 1, i, "header.bin byte " + std::to_string(at), prefer)) {
                    bytes[at] = run.after[k];
                    from[at] = i + 1;
                }
            }
        }
    }
    m_header = ModelHeader(bytes);
}

void PatchPlan::planUnowned(const ModelSource& original, Prefer prefer) {
    std::optional<std::vector<std::uint8_t>> now;
    std::size_t from = 0;
    for (std::size_t i = 0; i < m_patches.size(); ++i) {
        const std::optional<ModelPatch::Unowned>& unowned = m_patches[i].patch.unowned;
        if (!unowned) {
            continue;
        }
        if (!now) {
            now = readPart(original.unowned, 0, original.unowned.length);
        }
        if (same(*now, unowned->after)) {
            m_other[i] = true;
            continue;
        }
        if (std::ssize(*now) != unowned->lengthBefore || hash64(*now) != unowned->hashBefore) {
            throw RunError(ErrorCode::SubscriptOutOfRange,
                           "the original's " + std::to_string(now->size()) +
                               " bytes in no section are not those it was made from",
                           m_patches[i].file, kMakeAnew);
        }
        if (!m_unowned || same(*m_unowned, unowned->after) ||
            conflict(from, i, "the bytes in no section", prefer)) {
            m_unowned = std::span<const std::uint8_t>(unowned->after);
            from = i;
        }
    }
}

void PatchPlan::planSection(const ModelSource& original, const SectionInfo& info, Prefer prefer) {
    const FilePart& part = original.parts[indexOf(info.section)];
    const std::int64_t size = elementSize(info);
    // Each patch's runs where they apply, those that change elements one element each, so that
    // patches that change neighbouring elements of one run combine. Inserted elements sort in
    // front of a run replacing elements at the same place.
    using Key = std::pair<std::int64_t, bool>;
    std::map<Key, Piece> taken;
    for (std::size_t i = 0; i < m_patches.size(); ++i) {
        const auto& sections = m_patches[i].patch.sections;
        const auto edit = std::find_if(sections.begin(), sections.end(),
                                       [&](const auto& e) { return e.section == info.section; });
        if (edit == sections.end()) {
            continue;
        }
        const std::vector<std::int64_t> at =
            locate(part, info, *edit, m_patches[i].patch.anchorMask(), m_patches[i].file);
        for (std::size_t h = 0; h < at.size(); ++h) {
            const ModelPatch::Hunk& hunk = edit->hunks[h];
            m_runs[i] += 1;
            m_moved[i] += at[h] != hunk.position;
            const bool single = hunk.removed == hunk.inserted;
            const std::span<const std::uint8_t> bytes(hunk.bytes);
            for (std::int64_t e = 0; e < (single ? hunk.removed : 1); ++e) {
                const auto offset = static_cast<std::size_t>(e * size);
                const Piece piece{at[h] + e, single ? 1 : hunk.removed,
                                  single ? bytes.subspan(offset, std::min(bytes.size() - offset,
                                                                          std::size_t(size)))
                                         : bytes,
                                  i};
                // The pieces taken already that touch this one: those whose elements it
                // replaces too, or among which it inserts.
                auto touches = [&](const Piece& other) {
                    const std::int64_t a = piece.position, b = other.position;
                    if (piece.removed == 0 || other.removed == 0) {
                        return piece.removed == other.removed
                                   ? a == b
                                   : (piece.removed == 0 ? b < a && a < b + other.removed
                                                         : a < b && b < a + piece.removed);
                    }
                    return a < b + other.removed && b < a + piece.removed;
                };
                auto it = taken.lower_bound({piece.position, false});
                if (it != taken.begin()) {
                    --it;
                }
                std::vector<std::map<Key, Piece>::iterator> touched;
                for (; it != taken.end() &&
                       it->first.first < piece.position + std::max<std::int64_t>(piece.removed, 1);
                     ++it) {
                    if (touches(it->second)) {
                        touched.push_back(it);
                    }
                }
                if (touched.size() == 1 && touched[0]->second.position == piece.position &&
                    touched[0]->second.removed == piece.removed &&
                    same(touched[0]->second.bytes, piece.bytes)) {
                    m_repeats[i] += 1;
                    continue;
                }
                const std::string what =
                    "element " +
                    std::to_string(touched.empty()
                                       ? 0
                                       : std::max(piece.position, touched[0]->second.position)) +
                    " of " + std::string(info.fileName);
                if (!touched.empty() && !conflict(touched[0]->second.patch, i, what, prefer)) {
                    continue;
                }
                for (const auto& loser : touched) {
                    taken.erase(loser);
                }
                taken.emplace(Key{piece.position, piece.removed > 0}, piece);
            }
        }
    }
    // Elements changed one after the other by one patch go out as one piece again.
    std::vector<Piece>& pieces = m_pieces[indexOf(info.section)];
    for (const auto& [key, piece] : taken) {
        Piece* last = pieces.empty() ? nullptr : &pieces.back();
        if (last && last->patch == piece.patch && last->removed > 0 && piece.removed > 0 &&
            last->position + last->removed == piece.position &&
            last->bytes.data() + last->bytes.size() == piece.bytes.data()) {
            last->removed += piece.removed;
            last->bytes = {last->bytes.data(), last->bytes.size() + piece.bytes.size()};
        } else {
            pieces.push_back(piece);
        }
    }
}

void PatchPlan::settle(const ModelSource& original) {
    std::array<std::int64_t, kSectionCount> lengths{};
    std::string changed;
    for (const SectionInfo& info : sectionTable()) {
        const std::int64_t size = elementSize(info),
                           before = original.parts[indexOf(info.section)].length;
        std::int64_t& length = lengths[indexOf(info.section)] = before;
        for (const Piece& piece : m_pieces[indexOf(info.section)]) {
            length +=
                std::ssize(piece.bytes) -
                (std::min((piece.position + piece.removed) * size, before) - piece.position * size);
        }
        if (length != before) {
            changed += (changed.empty() ? "" : ", ") + std::string(info.fileName) + " " +
                       std::to_string(length) + " bytes";
        }
    }
    const std::optional<CountValues> counts = countsForLengths(lengths);
    if (!counts) {
        throw RunError(ErrorCode::SubscriptOutOfRange,
                       "applied together, the patches give " + changed +
                           ": lengths that no counts of a header give",
                       m_patches.back().file,
                       "apply the patches one at a time, or make them anew from this original");
    }
    for (const CountWord& word : kCountTable) {
        m_header.setCount(word.count, static_cast<std::int32_t>((*counts)[indexOf(word.count)]));
    }
    const std::int64_t unowned = m_unowned ? std::ssize(*m_unowned) : original.unowned.length;
    m_length = checked::narrow(modelLengthFor(*counts) + unowned, "the result's length");

    std::int64_t originalLength = original.unowned.length;
    for (const FilePart& part : original.parts) {
        originalLength += part.length;
    }
    for (std::size_t i = 0; i < m_patches.size(); ++i) {
        const std::string name = toText(m_patches[i].file);
        m_other[i] =
            m_other[i] || m_moved[i] > 0 || m_patches[i].patch.originalLength != originalLength;
        if (m_other[i]) {
            m_notes.push_back(name + " was made from another original than this one: " +
                              std::to_string(m_moved[i]) + " of its " + std::to_string(m_runs[i]) +
                              " runs stand elsewhere in it and are applied there");
        }
        if (m_repeats[i] > 0) {
            const bool one = m_repeats[i] == 1;
            m_notes.push_back(
                std::to_string(m_repeats[i]) + (one ? " change of " : " changes of ") + name +
                (one ? " is" : " are") + " made by a patch before it too, and counts once");
        }
    }
}

std::vector<std::string> PatchPlan::run(const ModelSource& original, FileHandle& out) const {
    // A patch not known to meet another original may give the result it was made to give: its
    // hash tells. Of several, only the original's hash tells whether each was made from it.
    const bool single = m_patches.size() == 1 && !m_other[0];
    const bool ofOriginal =
        !single && std::find(m_other.begin(), m_other.end(), false) != m_other.end();

    const std::vector<Stretch> stretches = layout(original);

    // The hash is taken while the result is written: the kernel copies the original's bytes
    // without the program seeing them, so a second thread reads them for the hash meanwhile, on
    // the machine's other processor. Where no thread can start, it is taken afterwards.
    std::atomic<bool> stop = false;
    std::future<Hash128> hashing;
    if (single || ofOriginal) {
        hashing = std::async(std::launch::async | std::launch::deferred,
                             [&] { return hashOf(stretches, !single, stop); });
    }
    std::int64_t written = 0;
    try {
        ResultWriter writer(out);
        for (const Stretch& stretch : stretches) {
            if (stretch.result) {
                stretch.part ? writer.copy(*stretch.part, stretch.from, stretch.to)
                             : writer.add(stretch.bytes);
                written += stretch.part ? stretch.to - stretch.from : std::ssize(stretch.bytes);
            }
        }
        writer.flush();
        if (written != m_length) {
            throw RunError(ErrorCode::InternalError,
                           "the result came out " + std::to_string(written) + " bytes long, not " +
                               std::to_string(m_length));
        }
    } catch (...) {
        stop = true;  // the hash is not wanted any more; the future waits for its thread
        throw;
    }
    std::optional<Hash128> originalHash;
    if (single && hashing.get() != m_patches[0].patch.resultHash) {
        // Another original, or a damaged patch: the original's hash tells, read once more.
        originalHash = hashOf(stretches, true, stop);
        if (*originalHash == m_patches[0].patch.originalHash) {
            throw RunError(ErrorCode::PathFileAccessError,
                           "applied to the model it was made from, it does not give the model "
                           "it was made to give: it is damaged",
                           m_patches[0].file, "make the patch anew");
        }
    } else if (ofOriginal) {
        originalHash = hashing.get();
    }
    std::vector<std::string> notes;
    for (std::size_t i = 0; i < m_patches.size(); ++i) {
        if (!m_other[i] && originalHash && *originalHash != m_patches[i].patch.originalHash) {
            notes.push_back(toText(m_patches[i].file) +
                            " was made from another original than this one, though all its " +
                            std::to_string(m_runs[i]) + " runs stand in their place in it");
        }
    }
    return notes;
}

}  // namespace cvx
