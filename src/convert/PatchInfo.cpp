#include "PatchInfo.h"

namespace cvx {

PatchInfo PatchInfo::of(const ModelPatch& patch) {
    PatchInfo info;
    info.originalLength = patch.originalLength;
    info.resultLength = patch.resultLength;
    info.originalHash = patch.originalHash.hex();
    info.resultHash = patch.resultHash.hex();
    for (const ModelPatch::CountChange& change : patch.counts) {
        info.counts.push_back(
            {kCountTable[indexOf(change.count)].name, change.before, change.after});
    }
    for (const ModelPatch::HeaderRun& run : patch.header) {
        info.header.push_back(
            {run.offset, run.offset + static_cast<std::int32_t>(run.before.size()) - 1});
    }
    if (patch.unowned) {
        info.unowned = Unowned{patch.unowned->lengthBefore,
                               static_cast<std::int32_t>(patch.unowned->after.size())};
    }
    for (const ModelPatch::SectionEdit& edit : patch.sections) {
        const SectionInfo& section = sectionInfo(edit.section);
        SectionRuns& runs = info.sections.emplace_back(SectionRuns{
            section.fileName, elementSize(section), edit.elementsBefore, edit.elementsAfter, {}});
        for (const ModelPatch::Hunk& hunk : edit.hunks) {
            runs.runs.push_back({hunk.position, hunk.removed, hunk.inserted});
        }
    }
    return info;
}

}  // namespace cvx
