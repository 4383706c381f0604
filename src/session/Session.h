#pragma once

#include <filesystem>
#include <optional>

#include "UserInterface.h"
#include "convert/AssembleModel.h"
#include "convert/DisassembleModel.h"
#include "convert/PatchOperations.h"

namespace cvx {

// What both front ends do around an operation: plan it, ask the questions that the plan raises
// through the front end's UserInterface, run it, and tell its outcome (a message, or notes). The
// run is busy (SetBusy) from the plan to the outcome.

// Whether a join checks each section file's length against the index: the command line says it
// with an option, the window asks.
enum class LengthCheck { Check, Skip, Ask };

// Joins the set of the index file `index` into the model file `destination` (AssembleModel).
// A file of the user's in the way is replaced only when AskToReplace answers Yes; Cancel at the
// length question ends the join. Failures are told with 53 as the code expected; bytes that the
// replaced model held in no section, and bytes of section files beyond header.bin's counts, as
// notes.
JoinResult join(Workspace& workspace, UserInterface& ui, const std::filesystem::path& index,
                const std::filesystem::path& destination, LengthCheck lengths,
                bool destinationIsOurs = false);

// Checks what a join would be given, as `join` does before it reads the set (a set that lacks a
// file may be whole later), asking AskToReplace where it would, and returns true when a join may
// go on; otherwise it has told why and nothing was written.
bool checkJoin(Workspace& workspace, UserInterface& ui, const std::filesystem::path& index,
               const std::filesystem::path& destination, bool destinationIsOurs = false);

// Splits the model file `source` (DisassembleModel), into its own folder with `ownFolder`. Files
// of the user's in the way are replaced only when AskToReplace answers Yes. Failures are told
// with 76 as the code expected; bytes of the model in no section as a note. Returns what the
// split gave; nothing when it wrote nothing.
std::optional<SplitDone> split(Workspace& workspace, UserInterface& ui,
                               const std::filesystem::path& source, bool ownFolder);

// Writes the patch from the model or set `original` to `mod` into `patch` (planMakePatch). A file
// there that is no patch is replaced only when AskToReplace answers Yes. Failures are told with 53
// as the code expected. Returns true when the patch was written.
bool writePatch(Workspace& workspace, UserInterface& ui, const std::filesystem::path& original,
                const std::filesystem::path& mod, const std::filesystem::path& patch);

// Applies the patch files `patches`, in order, to `original` (a model file or the index file of a
// split set), writing the model file `destination`, which may be `original` itself: the original
// is then kept beside it as NAME.orig, unless that file is there already. Another model or a file
// that is no model is replaced only when AskToReplace answers Yes. Failures are told with 53 as
// the code expected; what the user should know (an updated original, runs that moved, changes
// made twice, conflicts a preference settled, the copy kept) as notes. Returns true when the
// model was written.
bool apply(Workspace& workspace, UserInterface& ui, const std::filesystem::path& original,
           const std::vector<std::filesystem::path>& patches,
           const std::filesystem::path& destination,
           PatchPlan::Prefer prefer = PatchPlan::Prefer::None);

// Merges the mods `a` and `b` of `base` into `destination` (planMerge), as `apply` does.
bool merge(Workspace& workspace, UserInterface& ui, const std::filesystem::path& base,
           const std::filesystem::path& a, const std::filesystem::path& b,
           const std::filesystem::path& destination,
           PatchPlan::Prefer prefer = PatchPlan::Prefer::None);

}  // namespace cvx
