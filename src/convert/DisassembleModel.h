#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "Outcome.h"
#include "Workspace.h"
#include "files/ReadHandle.h"
#include "formats/ModelHeader.h"
#include "formats/ModelLayout.h"
#include "formats/SectionIndex.h"

namespace cvx {

// One file that a split writes: the index (no section) or a section file.
struct SplitOutput {
    std::filesystem::path path;
    std::optional<Section> section;
    bool unchanged = false;  // it holds what the split would write already
};

// What a split of a model would do, found before anything is written or made. A front end asks
// about `inTheWay` before it runs it. The model stays open from the plan to the run.
struct SplitPlan {
    std::filesystem::path source;     // the model, absolute
    std::filesystem::path directory;  // the model's folder
    std::filesystem::path folder;     // where the files go: the model's folder or its own
    bool makeFolder = false;          // its own folder is not there yet: the run makes it
    std::string withoutOwnFolder;     // the front end's words for a split without it
    std::filesystem::path modelName;  // as the folder lists it
    ModelLayout layout;
    std::filesystem::path indexFile;
    SectionIndex::Bytes record{};  // the index record that the split writes
    std::vector<SplitOutput> outputs;
    // Files of the user's that the split would replace: the set of another model, or this
    // model's edited one. A file that holds exactly what the split writes stays untouched.
    std::vector<WorkInTheWay> inTheWay;
    ReadHandle model;
    std::optional<Failure> refusal;  // when set, nothing may run
};

// Plans the split of the model file `SourcePath` into its section files and its index file
// `<model>.asm`, in the model's directory or, with `CreateOwnFolder`, its own folder inside it
// (ownFolderOf). A relative `SourcePath` is taken against the current directory as it is; the
// current directory never changes. Refused, with 76 (no such model file) as the code it expects:
// 64 a pattern for a name, 62 a file shorter than its sections, 9 a negative count, 6 an overflow
// or a ModelType outside 0..255, 5 a file name without ".", 75 an index or a section file given
// as the model, an own folder that cannot be had or an output that would replace the model
// itself, or a folder or device where an output goes. `words` name the front end's commands.
SplitPlan planSplit(Workspace& workspace, const std::filesystem::path& SourcePath,
                    bool CreateOwnFolder, const Wording& words);

// What a split gave.
struct SplitDone {
    std::filesystem::path folder;  // where the set lies
    std::filesystem::path index;   // the index file's name
    std::size_t files = 0;         // the index and the section files
    std::size_t written = 0;       // of those, the ones that did not hold their bytes already
};

// How a run of a split ended: what it gave, or its failure.
struct SplitOutcome {
    std::optional<SplitDone> done;
    std::optional<Failure> failure;
};

// Runs `plan`, replacing the files in its way. Every file is written whole before the first takes
// its name, so a failure before that leaves every file as it was (an own folder that the run made
// is removed again); a failure among the renames names the files that are new and those that are
// not. Closes the model.
SplitOutcome DisassembleModel(Workspace& workspace, SplitPlan& plan);

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

// Checks the model file `SourcePath` as a split would, and returns what it found. Throws what a
// split's plan refuses, with the same message.
ModelSummary inspectModel(Workspace& workspace, const std::filesystem::path& SourcePath,
                          const Wording& words = kCommandLineWording);

}  // namespace cvx
