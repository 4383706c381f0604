#include "Command.h"
#include "TextOut.h"

namespace cvx {

ExitStatus runRecount(const Invocation& call) {
    const std::optional<SectionSet> set =
        readSet(call, call.has("--new-index") ? SectionSet::Index::New : SectionSet::Index::AsItIs);
    if (!set) {
        return kExitMessage;
    }
    const SectionSet::Recount recount =
        set->recount(call.has("--add-value3")    ? SectionSet::Value3::Add
                     : call.has("--drop-value3") ? SectionSet::Value3::Drop
                                                 : SectionSet::Value3::AsIndexed);
    if (!recount.problems.empty()) {
        printProblems(recount.problems, call.err, set->refusal().has_value());
        writeText(call.err, "Nothing was changed.\n");
        return kExitMessage;
    }
    if (recount.changes.empty()) {
        writeText(call.out, "Nothing to change: header.bin and " + set->indexName() +
                                " agree with the section files.\n");
        return kExitOk;
    }
    try {
        set->write(nativeFileSystem(), recount);
    } catch (const RunError& error) {
        return failed(call, error);
    }
    for (const std::string& change : recount.changes) {
        writeText(call.out, format("%s\n", change.c_str()));
    }
    return kExitOk;
}

}  // namespace cvx
