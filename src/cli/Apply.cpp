#include "CliUserInterface.h"
#include "Command.h"
#include "TextOut.h"
#include "session/Session.h"

namespace cvx {

std::optional<PatchPlan::Prefer> preferenceOf(const Invocation& call, std::string_view first,
                                              std::string_view last) {
    const std::vector<std::string> values = call.valuesOf("--prefer");
    if (values.empty()) {
        return PatchPlan::Prefer::None;
    }
    if (values.front() == first || values.front() == last) {
        return values.front() == first ? PatchPlan::Prefer::First : PatchPlan::Prefer::Last;
    }
    writeText(call.err, format("cindervaxel-cli: --prefer takes %s or %s here, not '%s'\nTry "
                               "'cindervaxel-cli --help' for more information.\n",
                               std::string(first).c_str(), std::string(last).c_str(),
                               values.front().c_str()));
    return std::nullopt;
}

// apply ORIGINAL PATCH... DEST
ExitStatus runApply(const Invocation& call) {
    const std::optional<PatchPlan::Prefer> prefer = preferenceOf(call, "first", "last");
    if (!prefer) {
        return kExitBadCommandLine;
    }
    Workspace workspace(nativeFileSystem());
    workspace.durable = call.has("--sync");
    CliUserInterface ui(call.err, call.has("--force"));
    const std::vector<std::filesystem::path> patches(call.operands.begin() + 1,
                                                     call.operands.end() - 1);
    return apply(workspace, ui, call.operands.front(), patches, call.operands.back(), *prefer)
               ? kExitOk
               : kExitMessage;
}

}  // namespace cvx
