#include "CliUserInterface.h"
#include "Command.h"
#include "JoinWatch.h"
#include "session/Session.h"

namespace cvx {
namespace {

// join --watch: runs until an interrupt ends the program.
ExitStatus watch(const Invocation& call) {
    try {
        JoinWatch watch(call.operands[0], call.operands[1],
                        {call.has("--recount"), !call.has("--no-check-lengths"),
                         call.has("--force"), call.has("--sync")},
                        call.out, call.err);
        return watch.run();
    } catch (const RunError& error) {
        return failed(call, error);
    }
}

}  // namespace

ExitStatus runJoin(const Invocation& call) {
    if (call.has("--watch")) {
        return watch(call);
    }
    Workspace workspace(nativeFileSystem());
    workspace.durable = call.has("--sync");
    CliUserInterface ui(call.err, call.has("--force"));
    if (join(workspace, ui, call.operands[0], call.operands[1],
             call.has("--no-check-lengths") ? LengthCheck::Skip : LengthCheck::Check) ==
        JoinResult::LengthDiffers) {
        return kExitLengthDiffers;  // a set to mend first, told apart from other failures
    }
    return ui.messageShown() ? kExitMessage : kExitOk;
}

}  // namespace cvx
