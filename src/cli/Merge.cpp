#include "CliUserInterface.h"
#include "Command.h"
#include "session/Session.h"

namespace cvx {

// merge BASE A B DEST
ExitStatus runMerge(const Invocation& call) {
    const std::optional<PatchPlan::Prefer> prefer = preferenceOf(call, "a", "b");
    if (!prefer) {
        return kExitBadCommandLine;
    }
    Workspace workspace(nativeFileSystem());
    workspace.durable = call.has("--sync");
    CliUserInterface ui(call.err, call.has("--force"));
    return merge(workspace, ui, call.operands[0], call.operands[1], call.operands[2],
                 call.operands[3], *prefer)
               ? kExitOk
               : kExitMessage;
}

}  // namespace cvx
