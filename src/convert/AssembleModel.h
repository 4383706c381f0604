#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "JoinedSet.h"
#include "Outcome.h"
#include "Workspace.h"
#include "files/ReadHandle.h"

namespace cvx {

// How a join ended. What follows is the front end's: after LengthDiffers the command line exits
// with status 3 and the window stays as it was, while a watch says so and waits for the next
// change, unless the join was Refused.
enum class JoinResult {
    Joined,         // the model was written
    NotJoined,      // trouble with the set, or the user cancelled: nothing was written
    LengthDiffers,  // a section file's length differs from the index (FilLen): nothing written
    Refused,        // the index or the destination was refused, or the user kept the
                    // destination: no change to the set mends that; nothing was written
};

// What a join of the set of `index` into `destination` would do, found before anything is
// written. A front end asks about `inTheWay`, and whether to check the lengths, before it runs it.
struct JoinPlan {
    std::filesystem::path index, destination;  // absolute
    std::filesystem::path folder;              // the set's
    // A file of the user's that the join would replace: another model, or a file that is no
    // model. The set's own model and an empty file are replaced as a matter of course.
    std::optional<WorkInTheWay> inTheWay;
    std::int64_t replacedUnowned = 0;  // bytes that the model there holds in no section
    std::optional<Failure> refusal;    // when set, nothing may run
};

// Plans the join of the set of the index file `IndexPath` into the model file `DestPath`, both
// taken against the current directory as it is; the current directory never changes. Refused,
// with the code and message a join gives: the index missing or no index (53 / 75 with "File does
// not exist!"), a pattern (64), the model and the index swapped or of the wrong kind (75), an
// index cut short (62), a destination among the set's files (75), a section file that the index
// lists missing (SectionMissing). With `destinationIsOurs`, the model there is one that the
// caller's earlier join wrote, never in the way. `words` name the front end's commands.
JoinPlan planJoin(FileSystem& fileSystem, const std::filesystem::path& IndexPath,
                  const std::filesystem::path& DestPath, const Wording& words,
                  bool destinationIsOurs = false);

// How a run of a join ended, and what the user should know of a join that went well.
struct JoinOutcome {
    JoinResult result = JoinResult::NotJoined;
    std::optional<Failure> failure;
    std::int64_t droppedUnowned = 0;          // bytes in no section of the model replaced
    std::vector<JoinedSet::LeftOut> leftOut;  // section files' bytes beyond the counts
};

// Runs `plan`: checks each section file's length against the index first when `checkLengths`
// (LengthDiffers with the first that differs), reads the set as header.bin's counts give it and
// writes the model. Errors: 62 for a file shorter than the bytes it must give, 9 for a negative
// count, 6 for an overflow, 52 for value3 bytes without a listed value3.bin, and the codes of
// failing reads and writes, each NotJoined. The destination is
// replaced in one step once the whole model is written; after any failure it is exactly as it
// was.
JoinOutcome AssembleModel(Workspace& workspace, const JoinPlan& plan, bool checkLengths);

// Returns true when the section file `File` (a bare name) lies in the folder `Folder` as a
// regular file.
bool IsFile(FileSystem& fileSystem, const std::filesystem::path& Folder, const std::string& File);

// Returns true when the section file open as `file` is `Must` bytes long.
bool FilLen(FileHandle& file, std::int32_t Must);

}  // namespace cvx
