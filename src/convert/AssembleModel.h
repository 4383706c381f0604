#pragma once

#include <cstdint>
#include <string>

#include "UserInterface.h"
#include "Workspace.h"
#include "files/ReadHandle.h"

namespace cvx {

// How a join ended. The operation reports it; what follows is the front end's: after
// LengthDiffers the command line exits with status 3 and the window stays as it was,
// while a watch says so and waits for the next change, unless the join was Refused at its start.
enum class JoinResult {
    Joined,         // the model was written
    NotJoined,      // trouble with the set, told, or the user cancelled: nothing was written
    LengthDiffers,  // a section file's length differs from the index (FilLen): told, nothing
                    // written
    Refused,        // the index or the destination was refused, or the user kept the
                    // destination: no change to the set mends that; nothing was written
};

// Joins the set of section files beside the index file `IndexPath` into the model file
// `DestPath`, and returns how it ended.
//
// Both paths are taken against the current directory as it is when the run starts, and the
// section files are opened in the index file's folder; the current directory never changes. The run
// is busy (SetBusy) from its start to its end. A section file whose length differs from the index
// (after the user asked for the check) is told by FilLen, a missing section file by IsFile; every
// other failure by the error report (ErrorReport.h), with 53 as the code it expects: among them 64
// for a pattern where a name belongs, 62 for a file shorter than the bytes it must give, 9 for a
// negative count, 6 for an overflow, 52 for value3 bytes without a listed value3.bin, 76 or 75 for
// an unusable destination or a file of the wrong kind.
//
// An existing destination is replaced as a matter of course only when it is empty or the set's
// own model: one named as the set (robot.p for robot.asm, in any folder), one whose header is
// header.bin's but for ModelType and the counts (a copy of the model the set came from), or, with
// `destinationIsOurs`, the model that the caller's earlier join wrote. Any other file is work of
// the user's: the run asks `ui.AskToReplace` before the length question and, answered No or
// Cancel, ends without writing. Cancel at the length question ends it too. The destination is
// replaced in one step once the whole model is written; after any failure it is exactly as it
// was. Bytes that the replaced model held in no section, and bytes of the section files that
// header.bin's counts leave out, are told of with `ui.ShowNote`.
JoinResult AssembleModel(Workspace& workspace, UserInterface& ui,
                         const std::filesystem::path& IndexPath,
                         const std::filesystem::path& DestPath, bool destinationIsOurs = false);

// Checks the index file and the destination as AssembleModel does before it reads the set, asking
// `ui.AskToReplace` where it would, and returns true when a join may go on; otherwise it has told
// why (as AssembleModel would) and nothing was written. For a caller that must know at once
// whether a join can ever start.
bool checkJoin(Workspace& workspace, UserInterface& ui, const std::filesystem::path& IndexPath,
               const std::filesystem::path& DestPath, bool destinationIsOurs = false);

// Opens the section file `File` (a bare name) in the folder `Folder` into `opened` and returns
// true when it exists there as a regular file. Otherwise tells the user it is missing and returns
// false: the join ends, closing the files it opened. Errors of the open itself are thrown.
bool IsFile(Workspace& workspace, UserInterface& ui, const std::filesystem::path& Folder,
            const std::string& File, ReadHandle& opened);

// Returns true when the section file `File`, open as `file`, is `Must` bytes long. Otherwise
// tells the user and returns false: the join ends with JoinResult::LengthDiffers, closing the
// files it opened.
bool FilLen(Workspace& workspace, UserInterface& ui, const std::string& File, FileHandle& file,
            std::int32_t Must);

}  // namespace cvx
