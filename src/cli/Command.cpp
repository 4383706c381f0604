#include "Command.h"

#include "TextOut.h"
#include "session/ErrorReport.h"

namespace cvx {

// Shows the message of `error` and returns the status for it.
ExitStatus failed(const Invocation& call, const RunError& error) {
    writeError(call.err, detailLine(error), error.code());
    return kExitMessage;
}

// Reads the set of the index `given`, as check and recount take it; on a failure to read, shows
// the message and gives nothing.
std::optional<SectionSet> readSet(const Invocation& call, SectionSet::Index index) {
    try {
        return SectionSet::read(nativeFileSystem(), call.operands[0], index);
    } catch (const RunError& error) {
        failed(call, error);
        return std::nullopt;
    }
}

// Writes `problems` to `err`; a file refused as the index with its code, as every command tells
// of a missing file or one of the wrong kind.
void printProblems(const std::vector<Problem>& problems, std::FILE* err, bool refused) {
    for (const Problem& problem : problems) {
        std::optional<ErrorCode> code;
        if (refused && &problem == &problems.back()) {
            const std::string& why = problems.front().code;
            code = why == "no-index"       ? ErrorCode::FileNotFound
                   : why == "index-length" ? ErrorCode::InputPastEndOfFile
                                           : ErrorCode::PathFileAccessError;
        }
        writeError(err, lineOf(problem), code);
    }
}

}  // namespace cvx
