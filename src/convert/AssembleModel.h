#pragma once

#include <cstdint>
#include <string>

#include "UserInterface.h"
#include "Workspace.h"
#include "files/FileTable.h"

namespace cvx {

// How a join ended. The operation reports it; what follows is the front end's: after
// LengthDiffers the window ends the program and the command line exits with status 3
// (kExitEnded), while a watch says so and waits for the next change.
enum class JoinResult {
    Joined,         // the model was written
    NotJoined,      // a message was shown, or the user kept the destination: nothing was written
    LengthDiffers,  // a section file's length differs from the index (FilLen): told, nothing
                    // written
};

// Joins the set of section files beside the index file `IndexPath` into the model file
// `DestPath`, and returns how it ended.
//
// Both paths are taken against the current directory as it is when the run starts; the current
// directory then becomes the index file's directory and stays so. The run is busy (SetBusy) from
// its start to its end. A section file whose length differs from the index (after the user asked
// for the check) is told by FilLen, a missing section file by IsFile; every other failure by the
// error report (ErrorReport.h), with 53 as the code it expects: among them 64 for a pattern where a
// name belongs, 62 for a file shorter than the bytes it must give, 9 for a negative count, 6 for an
// overflow, 52 for value3 bytes without a listed value3.bin, 76 or 75 for an unusable destination
// or a file of the wrong kind. A destination that holds something else than a model is work of the
// user's: the run asks `ui.AskToReplace` before anything else is asked and, answered No, ends
// without writing. The destination is replaced in one step once the whole model is written; after
// any failure it is exactly as it was. Bytes of the section files that header.bin's counts leave
// out are told of with `ui.ShowNote`.
JoinResult AssembleModel(Workspace& workspace, UserInterface& ui,
                         const std::filesystem::path& IndexPath,
                         const std::filesystem::path& DestPath);

// Opens the section file `File` (a bare name in the current directory) as `number` and
// returns true when it exists as a regular file. Otherwise tells the user it is missing, closes
// all files and returns false. Errors of the open itself are thrown.
bool IsFile(Workspace& workspace, UserInterface& ui, const std::string& File, FileNumber number);

// Returns true when the section file `File`, open as `number`, is `Must` bytes long. Otherwise
// tells the user, closes all files and returns false: the join ends with
// JoinResult::LengthDiffers.
bool FilLen(Workspace& workspace, UserInterface& ui, const std::string& File, FileNumber number,
            std::int32_t Must);

}  // namespace cvx
