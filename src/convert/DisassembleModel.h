#pragma once

#include <optional>
#include <string>

#include "UserInterface.h"
#include "Workspace.h"
#include "formats/ModelHeader.h"
#include "formats/ModelLayout.h"

namespace cvx {

// Splits the model file `SourcePath` into its section files and its index file `<model>.asm`.
//
// The files go into the model's directory or, when `CreateOwnFolder` is set, into the model's own
// folder inside it (ownFolderOf), made when missing. A relative `SourcePath` is taken against the
// current directory as it is when the run starts; the current directory never changes. The run is
// busy (SetBusy) from its start to its end. Every failure is reported through `ui.ShowMessage` by
// the error report (ErrorReport.h), with 76 (no such model file) as the code it expects; below it
// the file, the cause and the next step. Refused before anything is written: 64 a pattern for a
// name, 62 a file shorter than its sections, 9 a negative count, 6 an overflow or a ModelType
// outside 0..255, 5 a file name without ".", 75 an index or a section file given as the model, an
// own folder that cannot be had or an output that would replace the model itself.
//
// A file already where an output goes that holds exactly its bytes is left untouched. One that
// holds anything else is work of the user's (the set of another model, or this model's edited
// set): the run asks `ui.AskToReplace` and, answered No or Cancel, ends without writing. Every
// output is written whole before the first takes its name, so a failure before that leaves every
// file as it was (an own folder that the run made is removed again); a failure among the renames
// names the files that are new and those that are not. Bytes of the model that no section holds are
// told of with `ui.ShowNote`.
//
// Returns what the split gave; nothing when it wrote nothing.
struct SplitDone {
    std::filesystem::path folder;  // where the set lies
    std::filesystem::path index;   // the index file's name
    std::size_t files = 0;         // the index and the section files
    std::size_t written = 0;       // of those, the ones that did not hold their bytes already
};
std::optional<SplitDone> DisassembleModel(Workspace& workspace, UserInterface& ui,
                                          const std::filesystem::path& SourcePath,
                                          bool CreateOwnFolder);

// Returns the name of the model `source`'s own folder: its file name as the directory lists it,
// without its last extension. Throws code 5 for a name without an extension, 75 for one that
// gives no folder ("", "." or ".."), with the next step in `words`.
std::filesystem::path ownFolderOf(FileSystem& fileSystem, const std::filesystem::path& source,
                                  const Wording& words = kCommandLineWording);

// What a split of a model would find, without writing anything.
struct ModelSummary {
    std::filesystem::path path;  // the model file, as an absolute path
    ModelHeader header;
    ModelLayout layout;
    std::filesystem::path indexFileName;  // the index file that a split writes
};

// Checks the model file `SourcePath` as DisassembleModel would, refusing what a split refuses
// with the same message, and returns what it found; nothing when it showed a message.
std::optional<ModelSummary> inspectModel(Workspace& workspace, UserInterface& ui,
                                         const std::filesystem::path& SourcePath);

}  // namespace cvx
