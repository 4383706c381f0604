#include "MakePatch.h"

#include <algorithm>
#include <memory>

#include "ModelDiff.h"
#include "formats/CheckedInt32.h"

namespace cvx {
namespace {

constexpr std::int64_t kBlock = std::int64_t{1} << 20;

// The section's runs as ModelDiff found them, each as a run of the patch: at its place in the
// original, with the hashes of what it replaces and of its neighbours, and the mod's elements.
ModelPatch::SectionEdit editOf(const ModelDiff::Section& found, const FilePart& original,
                               const FilePart& mod) {
    const SectionInfo& info = sectionInfo(found.section);
    const auto count = [&](std::int64_t length) {
        return checked::narrow(elementCount(info, length), info.fileName);
    };
    ModelPatch::SectionEdit edit{found.section, count(found.lengthA), count(found.lengthB), {}};
    for (const auto& [first, last] : found.changed) {
        const auto n = static_cast<std::int32_t>(last - first + 1);
        edit.hunks.push_back({static_cast<std::int32_t>(first), n, n, {}, {}, {}, {}});
    }
    for (const auto& [at, n] : found.inserted) {
        edit.hunks.push_back(
            {static_cast<std::int32_t>(at), 0, static_cast<std::int32_t>(n), {}, {}, {}, {}});
    }
    for (const auto& [at, n] : found.removed) {
        edit.hunks.push_back(
            {static_cast<std::int32_t>(at), static_cast<std::int32_t>(n), 0, {}, {}, {}, {}});
    }
    const std::int64_t size = elementSize(info);
    std::int64_t shift = 0;  // where the mod's elements stand against the original's
    for (ModelPatch::Hunk& hunk : edit.hunks) {
        const std::int32_t before = std::min(ModelPatch::kNeighbours, hunk.position);
        const std::int32_t after =
            std::min(ModelPatch::kNeighbours, edit.elementsBefore - hunk.end());
        const std::vector<std::uint64_t> hashes =
            elementHashes(original, info, hunk.position - before, before + hunk.removed + after);
        const auto cut = [&](std::int32_t n) { return hashes.begin() + n; };
        hunk.before.assign(hashes.begin(), cut(before));
        hunk.old.assign(cut(before), cut(before + hunk.removed));
        hunk.after.assign(cut(before + hunk.removed), hashes.end());
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
        patch.sections.push_back(editOf(section, original.parts[i], mod.parts[i]));
    }
    return patch;
}

}  // namespace cvx
