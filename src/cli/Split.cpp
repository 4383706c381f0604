#include <map>

#include "CliUserInterface.h"
#include "Command.h"
#include "TextOut.h"
#include "convert/mdlFuncts.h"
#include "files/PathText.h"
#include "session/Session.h"

namespace cvx {
namespace {

namespace fs = std::filesystem;

// The folder that a split of the model `path` (absolute) writes into, by the rule the split
// follows; empty when it would write nothing.
fs::path splitFolderOf(FileSystem& fileSystem, const fs::path& path, bool ownFolder) {
    const fs::path dir = mdlFuncts::GetDir(fileSystem, path);
    if (dir == path) {
        return {};  // no model
    }
    try {
        return ownFolder ? dir / ownFolderOf(fileSystem, path) : dir;
    } catch (const RunError&) {
        return {};  // no name for a set: nothing written
    }
}

}  // namespace

// Splits each model as if it were alone, after making sure that no two of them write their sets
// into one folder. A model refused for a reason of its own is named, and the others go on.
ExitStatus runSplit(const Invocation& call) {
    FileSystem& fileSystem = nativeFileSystem();
    const bool ownFolder = call.has("--own-folder");
    std::vector<fs::path> paths;
    std::map<fs::path, std::string> folders;  // where a set goes, and whose it is
    for (std::size_t i = 0; i < call.operands.size(); ++i) {
        paths.push_back(resolveAgainstCurrentDirectory(fileSystem, call.operands[i]));
        const fs::path folder = splitFolderOf(fileSystem, paths.back(), ownFolder);
        const auto [other, added] = folders.emplace(folder, call.given[i]);
        if (!added && !folder.empty()) {
            writeText(call.err,
                      format("cindervaxel-cli: %s and %s would both write their section files "
                             "into %s; %s\n",
                             other->second.c_str(), call.given[i].c_str(), toText(folder).c_str(),
                             ownFolder ? "split them one at a time"
                                       : "split them with --own-folder, each into a folder of "
                                         "its own"));
            return kExitBadCommandLine;
        }
    }
    ExitStatus status = kExitOk;
    for (const fs::path& path : paths) {
        Workspace workspace(fileSystem);
        workspace.durable = call.has("--sync");
        CliUserInterface ui(call.err, call.has("--force"));
        split(workspace, ui, path, ownFolder);
        status = ui.messageShown() ? kExitMessage : status;
    }
    return status;
}

}  // namespace cvx
