#include "MakePatch.h"

#include <algorithm>
#include <memory>

#include "ModelDiff.h"
#include "formats/CheckedInt32.h"

namespace cvx {
namespace {

constexpr std::int64_t kBlock = std::int64_t{1} << 20;

// The section's runs as ModelDiff found them, each as a run of the patch: at its place in the
// original, with the hashes of what it replaces and of its neighbours (those that find a run
// kept as `mask` keeps them), and the mod's elements.
ModelPatch::SectionEdit editOf(const ModelDiff::Section& found, const FilePart& original,
                               const FilePart& mod, std::uint64_t mask) {
    const SectionInfo& info = sectionInfo(found.section);
    const auto count = [&](std::int64_t length) {
        return checked::narrow(elementCount(info, length), info.fileName);
    };
    ModelPatch::SectionEdit edit{found.section, count(found.lengthA), count(found.lengthB), {}};
    const auto add = [&](std::int64_t position, std::int64_t removed, std::int64_t inserted) {
        ModelPatch::Hunk& hunk = edit.hunks.emplace_back();
        hunk.position = static_cast<std::int32_t>(position);
        hunk.removed = static_cast<std::int32_t>(removed);
        hunk.inserted = static_cast<std::int32_t>(inserted);
    };
    for (const auto& [first, last] : found.changed) {
        add(first, last - first + 1, last - first + 1);
    }
    for (const auto& [at, n] : found.inserted) {
        add(at, 0, n);
    }
    for (const auto& [at, n] : found.removed) {
        add(at, n, 0);
    }
    const std::int64_t size = elementSize(info);
    std::int64_t shift = 0;  // where the mod's elements stand against the original's
    for (ModelPatch::Hunk& hunk : edit.hunks) {
        const std::int32_t before = std::min(ModelPatch::kNeighbours, hunk.position);
        const std::int32_t after =
            std::min(ModelPatch::kNeighbours, edit.elementsBefore - hunk.end());
        // Of a long run, the hashes of its first and last elements and of all its bytes.
        const bool longRun = hunk.removed > ModelPatch::kLongRun;
        const std::int32_t head = longRun ? ModelPatch::kEdge : hunk.removed,
                           tail = longRun ? ModelPatch::kEdge : 0;
        const std::vector<std::uint64_t> front =
            elementHashes(original, info, hunk.position - before, before + head);
        const std::vector<std::uint64_t> back =
            elementHashes(original, info, hunk.end() - tail, tail + after);
        hunk.before.assign(front.begin(), front.begin() + before);
        hunk.old.assign(front.begin() + before, front.end());
        hunk.old.insert(hunk.old.end(), back.begin(), back.begin() + tail);
        hunk.after.assign(back.begin() + tail, back.end());
        const auto anchors = [&](std::vector<std::uint64_t>& hashes) {
            for (std::uint64_t& hash : hashes) {
                hash &= mask;
            }
        };
        anchors(hunk.before);
        anchors(hunk.after);
        if (longRun) {
            anchors(hunk.old);
            hunk.whole = bytesHash(original, hunk.position * size,
                                   std::min(std::int64_t{hunk.end()} * size, original.length));
        }
        const std::int64_t at = hunk.position + shift;
        hunk.bytes = readPart(mod, at * size, std::min((at + hunk.inserted) * size, mod.length));
        shift += hunk.inserted - hunk.removed;
    }
    return edit;
}

std::vector<std::uint8_t> headerBytes(const ModelHeader& header, std::int64_t first,
                                      std::int64_t last) {
    return {header.bytes().begin() + first, header.bytes().begin() + last + 1};
}

}  // namespace

std::vector<std::uint64_t> elementHashes(const FilePart& part, const SectionInfo& info,
                                         std::int64_t first, std::int64_t count) {
    const std::int64_t size = elementSize(info), perBlock = kBlock / size;
    std::vector<std::uint64_t> hashes;
    hashes.reserve(static_cast<std::size_t>(count));
    for (std::int64_t k = first; k < first + count; k += perBlock) {
        const std::int64_t end = std::min(first + count, k + perBlock);
        const std::vector<std::uint8_t> bytes =
            readPart(part, k * size, std::min(end * size, part.length));
        for (std::size_t at = 0; at < bytes.size(); at += static_cast<std::size_t>(size)) {
            hashes.push_back(hash64(std::span(bytes).subspan(
                at, std::min(bytes.size() - at, static_cast<std::size_t>(size)))));
        }
    }
    return hashes;
}

Hash128 bytesHash(const FilePart& part, std::int64_t from, std::int64_t to) {
    StreamHash hash;
    for (std::int64_t at = from; at < to; at += kBlock) {
        hash.add(readPart(part, at, std::min(to, at + kBlock)));
    }
    return hash.digest();
}

ModelPatch makePatch(const ModelSource& original, const ModelSource& mod) {
    const ModelDiff diff = ModelDiff::compare(original, mod);
    ModelPatch patch;
    patch.originalLength = checked::narrow(diff.modelA().length, "the original's length");
    patch.resultLength = checked::narrow(diff.modelB().length, "the mod's length");
    patch.originalHash = diff.modelA().hash;
    patch.resultHash = diff.modelB().hash;
    for (const CountWord& word : kCountTable) {
        const std::int32_t before = original.header.count(word.count);
        const std::int32_t after = mod.header.count(word.count);
        if (before != after) {
            patch.counts.push_back({word.count, before, after});
        }
    }
    for (const auto& [first, last] : diff.headerBytes()) {
        patch.header.push_back({static_cast<std::int32_t>(first),
                                headerBytes(original.header, first, last),
                                headerBytes(mod.header, first, last)});
    }
    if (diff.unowned().differ) {
        const FilePart &before = original.unowned, &after = mod.unowned;
        patch.unowned = ModelPatch::Unowned{static_cast<std::int32_t>(before.length),
                                            hash64(readPart(before, 0, before.length)),
                                            readPart(after, 0, after.length)};
    }
    for (const ModelDiff::Section& section : diff.sections()) {
        const std::size_t i = indexOf(section.section);
        patch.sections.push_back(
            editOf(section, original.parts[i], mod.parts[i], patch.anchorMask()));
    }
    return patch;
}

}  // namespace cvx
