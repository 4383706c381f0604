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
// The current directory becomes the model's directory and, when `CreateOwnFolder` is set, the
// model's own folder inside it (ownFolderOf), made when missing; the directory is not restored.
// The run greys out "Disassemble!" first and enables it again at its end. Every failure is
// reported through `ui.ShowMessage` with title "Error": "File does not exist!" for code 76 (no
// such model file), otherwise the unknown-error text with the code; below it the file, the cause
// and the next step. Failures found before the first output file is written leave every output
// file untouched: 62 a file shorter than its sections, 9 a negative count, 6 an overflow or a
// ModelType outside 0..255, 5 a file name without ".", 75 an own folder that cannot be had or an
// output that would replace the model itself. An own folder that the run made is removed again
// when the run fails before writing into it. Each output file is replaced whole or not at all.
// Bytes of the model that no section holds are told of with `ui.ShowNote`.
void DisassembleModel(Workspace& workspace, UserInterface& ui, const std::string& SourcePath,
                      bool CreateOwnFolder);

// Returns the name of the model `source`'s own folder: its file name as the directory lists it,
// without its last extension. Throws code 5 for a name without an extension, 75 for one that
// gives no folder ("", "." or "..").
std::string ownFolderOf(FileSystem& fileSystem, const std::filesystem::path& source);

// What a split of a model would find, without writing anything.
struct ModelSummary {
    std::string path;  // the model file, as an absolute path
    ModelHeader header;
    ModelLayout layout;
    std::string indexFileName;  // the index file that a split writes
};

// Checks the model file `SourcePath` as DisassembleModel would, refusing what a split refuses
// with the same message, and returns what it found; nothing when it showed a message. Changes
// the current directory to the model's directory, as a split does.
std::optional<ModelSummary> inspectModel(Workspace& workspace, UserInterface& ui,
                                         const std::string& SourcePath);

}  // namespace cvx
