#include "CliUserInterface.h"
#include "Command.h"
#include "session/Session.h"

namespace cvx {

ExitStatus runPatch(const Invocation& call) {
    Workspace workspace(nativeFileSystem());
    workspace.durable = call.has("--sync");
    CliUserInterface ui(call.err, call.has("--force"));
    return writePatch(workspace, ui, call.operands[0], call.operands[1], call.operands[2])
               ? kExitOk
               : kExitMessage;
}

}  // namespace cvx
