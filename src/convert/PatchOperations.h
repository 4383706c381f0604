#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "ModelSource.h"
#include "Outcome.h"
#include "PatchPlan.h"
#include "Workspace.h"

namespace cvx {

// The commands that share mods: make a patch of a mod, apply patches to an original, merge two
// mods of one base. Each is a plan (every file checked, everything decided, what it would replace
// found) and a run of it that returns its outcome; a front end asks about `inTheWay` between the
// two. Every side (original, mod, base) is a model file or the index file of a set, read as a
// join gives it.

// Making a patch: the two sides open, and the patch file to write.
struct MakePatchPlan {
    std::optional<ModelSource> original, mod;
    std::filesystem::path patch;  // absolute
    // A file there that is no patch and not empty, which the run would replace.
    std::optional<WorkInTheWay> inTheWay;
    std::vector<JoinedSet::LeftOut> leftOut;  // of sides that are sets
    std::optional<Failure> refusal;           // when set, nothing may run
};

// Plans writing the patch from `original` to `mod` into `patch`. Refused (with 53 as the code
// expected): a side that is no model or set (as diff refuses it), a patch file named by a pattern
// (64), or one that is a folder, a model or a file of a set (75).
MakePatchPlan planMakePatch(FileSystem& fileSystem, const std::filesystem::path& original,
                            const std::filesystem::path& mod, const std::filesystem::path& patch);

// Writes the patch of `plan`, all or nothing; returns the failure, if any.
std::optional<Failure> runPatchPlan(Workspace& workspace, MakePatchPlan& plan);

// Applying patches, or merging two mods: the original open, everything decided, and the model
// file to write.
struct ApplyPlan {
    std::optional<ModelSource> original;
    std::optional<PatchPlan> patches;
    std::filesystem::path destination;  // absolute
    // With the destination the original itself: the original's copy to keep beside it
    // ("robot.p.orig"); empty when one is there already, which stays as it is.
    std::filesystem::path keep;
    bool inPlace = false;
    // A model other than the original, or a file that is no model and not empty, which the run
    // would replace.
    std::optional<WorkInTheWay> inTheWay;
    std::vector<std::string> notes;           // what the plan found that the user should know
    std::vector<JoinedSet::LeftOut> leftOut;  // of sides that are sets
    std::optional<Failure> refusal;           // when set, nothing may run
};

// Plans applying the patch files `patches`, in order, to `original`, writing the model file
// `destination`. Refused (with 53 as the code expected): a side that is no model or set, a patch
// file that is no patch or is damaged, runs found nowhere in the original (9), two patches that
// change an element differently without `prefer` (5), a destination that is a pattern (64), a
// folder, a file of a set, a patch, or a side of the set of `original` (75). The destination may
// be the original itself when that is a model file.
ApplyPlan planApply(FileSystem& fileSystem, const std::filesystem::path& original,
                    const std::vector<std::filesystem::path>& patches,
                    const std::filesystem::path& destination,
                    PatchPlan::Prefer prefer = PatchPlan::Prefer::None);

// Plans merging the mods `a` and `b` of `base` into the model file `destination`, as applying the
// patches from `base` to each would (First prefers a, Last b). The destination may be `base`
// itself, never a or b.
ApplyPlan planMerge(FileSystem& fileSystem, const std::filesystem::path& base,
                    const std::filesystem::path& a, const std::filesystem::path& b,
                    const std::filesystem::path& destination,
                    PatchPlan::Prefer prefer = PatchPlan::Prefer::None);

// How a run of an apply or a merge ended.
struct ApplyOutcome {
    bool written = false;
    bool kept = false;  // the original's copy was written beside it
    std::vector<std::string> notes;
    std::optional<Failure> failure;
};

// Writes the model of `plan`, and the original's copy when it replaces the original, all or
// nothing: after a failure every file is as it was. Closes the original.
ApplyOutcome runApplyPlan(Workspace& workspace, ApplyPlan& plan);

}  // namespace cvx
