#pragma once

#include <filesystem>
#include <optional>

#include "UserInterface.h"
#include "convert/AssembleModel.h"
#include "convert/DisassembleModel.h"

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

}  // namespace cvx
