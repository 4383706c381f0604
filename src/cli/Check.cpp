#include "Command.h"
#include "JsonText.h"
#include "TextOut.h"
#include "session/ErrorReport.h"

namespace cvx {
namespace {

Json lengthJson(const std::optional<std::int64_t>& length) {
    return length ? Json(*length) : Json();
}

Json problemJson(const Problem& problem) {
    return {{"code", problem.code},
            {"file", problem.file},
            {"onDisk", lengthJson(problem.onDisk)},
            {"wanted", problem.wanted},
            {"remedy", wordsOf(problem.remedy)},
            {"message", lineOf(problem)}};
}

}  // namespace

ExitStatus runCheck(const Invocation& call) {
    const std::optional<SectionSet> set = readSet(call, SectionSet::Index::AsItIs);
    if (!set) {
        return kExitMessage;
    }
    const std::vector<Problem> problems = set->problems();
    if (call.has("--json")) {
        Json rows = Json::array(), listed = Json::array();
        for (const SectionSet::Row& row : set->rows()) {
            rows.push_back({{"file", sectionInfo(row.section).fileName},
                            {"onDisk", lengthJson(row.onDisk)},
                            {"inIndex", lengthJson(row.inIndex)},
                            {"fromHeader", lengthJson(row.fromHeader)},
                            {"agrees", row.agrees}});
        }
        for (const Problem& problem : problems) {
            listed.push_back(problemJson(problem));
        }
        const Json document = {{"index", call.given[0]},
                               {"joinsExactly", problems.empty()},
                               {"rows", rows},
                               {"problems", listed},
                               {"notes", set->notes()}};
        writeText(call.out, format("%s\n", dump(document).c_str()));
        return problems.empty() ? kExitOk : kExitMessage;
    }
    if (set->refusal()) {
        printProblems(problems, call.err, true);
        return kExitMessage;
    }
    auto length = [](const std::optional<std::int64_t>& value, const char* none) {
        return value ? std::to_string(*value) : std::string(none);
    };
    writeText(call.out, format("%-16s %12s %12s %12s\n", "Section file", "On disk", "In index",
                               "From header"));
    for (const SectionSet::Row& row : set->rows()) {
        writeText(
            call.out,
            format("%-16s %12s %12s %12s   %s\n",
                   std::string(sectionInfo(row.section).fileName).c_str(),
                   length(row.onDisk, "missing").c_str(), length(row.inIndex, "not in set").c_str(),
                   length(row.fromHeader, "-").c_str(), row.agrees ? "ok" : "differs"));
    }
    for (const Problem& problem : problems) {
        writeText(call.out, format("%s%s\n", &problem == &problems.front() ? "\n" : "",
                                   lineOf(problem).c_str()));
    }
    for (const std::string& note : set->notes()) {
        writeText(call.out, "\nNote: " + note + "\n");
    }
    if (problems.empty()) {
        writeText(call.out, "\nA join gives a model made of exactly these files.\n");
    }
    return problems.empty() ? kExitOk : kExitMessage;
}

}  // namespace cvx
