#include "CommandLine.h"

#include <algorithm>
#include <cinttypes>
#include <cstdint>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string_view>
#include <variant>

#include "CliUserInterface.h"
#include "JoinWatch.h"
#include "TextOut.h"
#include "cindervaxel/Version.h"
#include "convert/AssembleModel.h"
#include "convert/DisassembleModel.h"
#include "convert/ErrorReport.h"
#include "convert/GivenFile.h"
#include "convert/ModelDiff.h"
#include "convert/SectionSet.h"
#include "convert/mdlFuncts.h"
#include "files/PathText.h"

namespace cvx {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

constexpr int kExitOk = 0;
constexpr int kExitMessage = 1;
constexpr int kExitUsage = kExitBadCommandLine;

// A command line as a command takes it: its options, and its operands as paths and, for
// messages and documents, as they were given.
struct Invocation {
    std::vector<std::string> options;
    std::vector<fs::path> operands;
    std::vector<std::string> given;
    std::FILE* out;
    std::FILE* err;
    // The values of the options that take one, each option's in the order given.
    std::map<std::string, std::vector<std::string>, std::less<>> values = {};

    bool has(std::string_view option) const {
        return std::find(options.begin(), options.end(), option) != options.end();
    }
    std::vector<std::string> valuesOf(std::string_view option) const {
        const auto found = values.find(option);
        return found == values.end() ? std::vector<std::string>() : found->second;
    }
};

// A command: its operands as the help names them, its options, one line of help, and what runs
// it. The help, the usage errors and the manual page (made from the help) all come from these
// rows.
struct Command {
    std::string_view name;
    std::string_view operands;  // "MODEL..." or "INDEX DEST"
    std::size_t fewest, most;
    std::vector<std::string_view> options;  // "--json", or "--label LABEL" for one with a value
    std::string_view help;
    int (*run)(const Invocation&);
    // Options that exclude each other.
    std::vector<std::string_view> oneOf = {};
    // An option that is taken only with another: {"--recount", "--watch"}.
    std::vector<std::string_view> onlyWith = {};
    // How many times an option that takes a value may be given: --label once for A, once for B.
    std::size_t valuesAtMost = 1;
};

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

// Splits each model as if it were alone, after making sure that no two of them write their sets
// into one folder. A model refused for a reason of its own is named, and the others go on.
int split(const Invocation& call) {
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
            return kExitUsage;
        }
    }
    int status = kExitOk;
    for (const fs::path& path : paths) {
        Workspace workspace(fileSystem);
        workspace.durable = call.has("--sync");
        CliUserInterface ui(call.err, Answer::Yes, call.has("--force"));
        DisassembleModel(workspace, ui, path, ownFolder);
        status = ui.messageShown() ? kExitMessage : status;
    }
    return status;
}

int failed(const Invocation& call, const RunError& error);

// join --watch: runs until an interrupt ends the program.
int watch(const Invocation& call) {
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

int join(const Invocation& call) {
    if (call.has("--watch")) {
        return watch(call);
    }
    Workspace workspace(nativeFileSystem());
    workspace.durable = call.has("--sync");
    CliUserInterface ui(call.err, call.has("--no-check-lengths") ? Answer::No : Answer::Yes,
                        call.has("--force"));
    if (AssembleModel(workspace, ui, call.operands[0], call.operands[1]) ==
        JoinResult::LengthDiffers) {
        return kExitEnded;  // a set to mend first, told apart from other failures
    }
    return ui.messageShown() ? kExitMessage : kExitOk;
}

// Returns `document` as text; a path that is not UTF-8 keeps its readable part.
std::string dump(const Json& document) {
    return document.dump(2, ' ', false, Json::error_handler_t::replace);
}

Json countsOf(const ModelHeader& header) {
    Json counts = {{"ModelType", header.ModelType()}};
    for (const CountWord& word : kCountTable) {
        counts[std::string(word.name)] = header.count(word.count);
    }
    return counts;
}

Json summaryJson(const ModelSummary& summary) {
    const ModelLayout& layout = summary.layout;
    Json sections = Json::array();
    for (const SectionInfo& info : sectionTable()) {
        const bool present = !info.optional || layout.hasValue3();
        const SectionExtent extent = layout[info.section];
        sections.push_back({{"file", info.fileName},
                            {"present", present},
                            {"offset", present ? Json(extent.offset) : Json()},
                            {"length", extent.length}});
    }
    Json unowned = {{"count", layout.unownedBytes()}};
    if (layout.unownedBytes() > 0) {
        unowned["first"] = layout.frontEnd();
        unowned["last"] = layout.frontEnd() + layout.unownedBytes() - 1;
    }
    return {{"model", toText(summary.path)},
            {"counts", countsOf(summary.header)},
            {"sections", sections},
            {"fileLength", layout.fileLength()},
            {"modelLength", layout.modelLength()},
            {"unownedBytes", unowned},
            {"index", toText(summary.indexFileName)}};
}

// The summary as a table for people.
void printSummary(const Json& summary, std::FILE* out) {
    auto text = [](const Json& value) { return value.get<std::string>(); };
    writeText(out, format("%-14s %s\n", "Model file", text(summary["model"]).c_str()));
    for (const auto& [name, value] : summary["counts"].items()) {
        writeText(out, format("%-14s %s\n", name.c_str(), value.dump().c_str()));
    }
    writeText(out, format("\n%-16s %12s %12s\n", "Section file", "Offset", "Length"));
    for (const Json& section : summary["sections"]) {
        const bool present = section["present"];
        writeText(out, format("%-16s %12s %12s\n", text(section["file"]).c_str(),
                              present ? section["offset"].dump().c_str() : "-",
                              present ? section["length"].dump().c_str() : "absent"));
    }
    writeText(out, format("\n%-16s %12s\n", "FileLength", summary["fileLength"].dump().c_str()));
    writeText(out, format("%-16s %12s\n", "ModelLength", summary["modelLength"].dump().c_str()));
    const Json& unowned = summary["unownedBytes"];
    writeText(out, format("%-16s %12s", "Unowned bytes", unowned["count"].dump().c_str()));
    if (unowned.contains("first")) {
        writeText(out, format("   (offsets %s to %s)", unowned["first"].dump().c_str(),
                              unowned["last"].dump().c_str()));
    }
    writeText(out, format("\n%-16s %s\n", "Index file", text(summary["index"]).c_str()));
}

int info(const Invocation& call) {
    Workspace workspace(nativeFileSystem());
    CliUserInterface ui(call.err, Answer::Yes);
    const std::optional<ModelSummary> summary = inspectModel(workspace, ui, call.operands[0]);
    if (!summary) {
        return kExitMessage;
    }
    const Json document = summaryJson(*summary);
    if (call.has("--json")) {
        writeText(call.out, format("%s\n", dump(document).c_str()));
    } else {
        printSummary(document, call.out);
    }
    return kExitOk;
}

Json lengthJson(const std::optional<std::int64_t>& length) {
    return length ? Json(*length) : Json();
}

Json problemJson(const Problem& problem) {
    return {{"code", problem.code},
            {"file", problem.file},
            {"onDisk", lengthJson(problem.onDisk)},
            {"wanted", problem.wanted},
            {"remedy", problem.remedy},
            {"message", problem.text}};
}

// Shows the message of `error`, as the operations do, and returns the status for it.
int failed(const Invocation& call, const RunError& error) {
    CliUserInterface ui(call.err, Answer::Yes);
    reportError(ui, error, ErrorCode::FileNotFound);
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
        writeText(err, "cindervaxel-cli: " + problem.text + "\n");
    }
    if (refused) {
        const std::string& why = problems.front().code;
        const ErrorCode code = why == "no-index"       ? ErrorCode::FileNotFound
                               : why == "index-length" ? ErrorCode::InputPastEndOfFile
                                                       : ErrorCode::PathFileAccessError;
        writeText(err, "Error Code: " + std::to_string(codeNumber(code)) + "\n");
    }
}

int check(const Invocation& call) {
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
                                   problem.text.c_str()));
    }
    for (const std::string& note : set->notes()) {
        writeText(call.out, "\nNote: " + note + "\n");
    }
    if (problems.empty()) {
        writeText(call.out, "\nA join gives a model made of exactly these files.\n");
    }
    return problems.empty() ? kExitOk : kExitMessage;
}

int recount(const Invocation& call) {
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

constexpr int kExitDifferent = 1;
constexpr int kExitTrouble = 2;

// Runs as "[first, last], ..." in JSON.
Json runsJson(const std::vector<ModelDiff::Run>& runs) {
    Json list = Json::array();
    for (const auto& [first, second] : runs) {
        list.push_back({first, second});
    }
    return list;
}

// Runs of positions as people read them, `noun` "element": "element 0 changed", "elements 4-7
// changed", "elements 0, 4-7 and 9 changed"; the verb `one` for a single position, else `many`.
std::string positionsText(const std::vector<ModelDiff::Run>& runs, const std::string& noun,
                          const std::string& one, const std::string& many) {
    std::string list;
    for (const auto& [first, last] : runs) {
        list += (list.empty()                   ? ""
                 : &first == &runs.back().first ? " and "
                                                : ", ") +
                std::to_string(first) + (last > first ? "-" + std::to_string(last) : "");
    }
    const bool single = runs.size() == 1 && runs[0].first == runs[0].second;
    return noun + (single ? " " : "s ") + list + " " + (single ? one : many);
}

// A run of elements that one side has more of: "1 element inserted at 12".
std::string surplusText(const ModelDiff::Run& run, const std::string& happened) {
    const auto [at, count] = run;
    return std::to_string(count) + (count == 1 ? " element " : " elements ") + happened + " at " +
           std::to_string(at);
}

// The names that diff prints for A and B: the labels given, and the paths as given for the sides
// without one.
std::vector<std::string> namesOf(const Invocation& call) {
    std::vector<std::string> names = call.valuesOf("--label");
    names.insert(names.end(), call.given.begin() + std::ssize(names), call.given.end());
    return names;
}

Json diffJson(const ModelDiff& diff, const std::vector<std::string>& names) {
    Json counts = Json::array(), sections = Json::array();
    for (const ModelDiff::Count& count : diff.counts()) {
        counts.push_back({{"name", count.name}, {"a", count.a}, {"b", count.b}});
    }
    for (const ModelDiff::Section& section : diff.sections()) {
        sections.push_back({{"file", sectionInfo(section.section).fileName},
                            {"elementSize", section.elementSize},
                            {"lengthA", section.lengthA},
                            {"lengthB", section.lengthB},
                            {"changed", runsJson(section.changed)},
                            {"inserted", runsJson(section.inserted)},
                            {"removed", runsJson(section.removed)}});
    }
    const ModelDiff::Unowned& unowned = diff.unowned();
    return {{"a", names[0]},
            {"b", names[1]},
            {"same", diff.same()},
            {"counts", counts},
            {"header", runsJson(diff.headerBytes())},
            {"sections", sections},
            {"unowned",
             {{"a", {{"offset", unowned.offsetA}, {"length", unowned.lengthA}}},
              {"b", {{"offset", unowned.offsetB}, {"length", unowned.lengthB}}},
              {"differ", unowned.differ}}},
            {"notes", diff.notes()}};
}

// The differences for people, one line each, and a closing line.
void printDiff(const ModelDiff& diff, const std::vector<std::string>& names, std::FILE* out) {
    const std::string& a = names[0];
    const std::string& b = names[1];
    std::vector<std::string> parts;  // for the closing line
    for (const ModelDiff::Count& count : diff.counts()) {
        writeText(out, format("%s %d -> %d\n", std::string(count.name).c_str(), count.a, count.b));
    }
    if (!diff.counts().empty()) {
        parts.push_back(std::to_string(diff.counts().size()) +
                        (diff.counts().size() > 1 ? " counts" : " count"));
    }
    if (!diff.headerBytes().empty()) {
        writeText(out, "header.bin " +
                           positionsText(diff.headerBytes(), "byte", "differs", "differ") + "\n");
        parts.push_back("the header's other bytes");
    }
    for (const ModelDiff::Section& section : diff.sections()) {
        std::string text;
        auto add = [&](const std::string& part) { text += (text.empty() ? "" : "; ") + part; };
        if (!section.changed.empty()) {
            add(positionsText(section.changed, "element", "changed", "changed"));
        }
        for (const ModelDiff::Run& run : section.inserted) {
            add(surplusText(run, "inserted"));
        }
        for (const ModelDiff::Run& run : section.removed) {
            add(surplusText(run, "removed"));
        }
        writeText(out, format("%s (%d-byte elements): %s\n",
                              std::string(sectionInfo(section.section).fileName).c_str(),
                              section.elementSize, text.c_str()));
    }
    if (!diff.sections().empty()) {
        parts.push_back(std::to_string(diff.sections().size()) +
                        (diff.sections().size() > 1 ? " section files" : " section file"));
    }
    const ModelDiff::Unowned& unowned = diff.unowned();
    if (unowned.differ) {
        auto side = [](std::int32_t length, std::int32_t offset, const std::string& name) {
            return length > 0 ? std::to_string(length) + " at offset " + std::to_string(offset) +
                                    " in " + name
                              : "none in " + name;
        };
        writeText(out, "unowned bytes: " + side(unowned.lengthA, unowned.offsetA, a) + ", " +
                           side(unowned.lengthB, unowned.offsetB, b) +
                           (unowned.lengthA == unowned.lengthB ? ": their bytes differ\n" : "\n"));
        parts.push_back("the unowned bytes");
    }
    std::string closing;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        closing += (i == 0 ? " " : i + 1 < parts.size() ? ", " : " and ") + parts[i];
    }
    writeText(out, a + " and " + b + " " +
                       (diff.same() ? "give the same model" : "differ in" + closing) + ".\n");
}

int diff(const Invocation& call) {
    std::optional<ModelDiff> diff;
    try {
        diff = ModelDiff::compare(nativeFileSystem(), call.operands[0], call.operands[1]);
    } catch (const RunError& error) {
        failed(call, error);
        return kExitTrouble;
    }
    CliUserInterface ui(call.err, Answer::Yes);
    for (const std::string& note : diff->notes()) {
        ui.ShowNote(note);
    }
    if (call.has("--json")) {
        writeText(call.out, dump(diffJson(*diff, namesOf(call))) + "\n");
    } else {
        printDiff(*diff, namesOf(call), call.out);
    }
    return diff->same() ? kExitOk : kExitDifferent;
}

const Command kCommands[] = {
    {"split",
     "MODEL...",
     1,
     SIZE_MAX,
     {"--own-folder", "--force", "--sync"},
     "splits each MODEL into its section files and MODEL.asm",
     split},
    {"join",
     "INDEX DEST",
     2,
     2,
     {"--no-check-lengths", "--force", "--sync", "--watch", "--recount"},
     "joins the set of the index file INDEX into the model file DEST",
     join,
     {},
     {"--recount", "--watch"}},
    {"info", "MODEL", 1, 1, {"--json"}, "shows MODEL's counts and where each section lies", info},
    {"check",
     "INDEX",
     1,
     1,
     {"--json"},
     "says whether a join gives a model made of exactly the set's files",
     check},
    {"recount",
     "INDEX",
     1,
     1,
     {"--add-value3", "--drop-value3", "--new-index"},
     "sets header.bin's counts and the index from the section files",
     recount,
     {"--add-value3", "--drop-value3"}},
    {"diff",
     "A B",
     2,
     2,
     {"--json", "--label LABEL"},
     "says what changed between two models, each a model or an index file",
     diff,
     {},
     {},
     2},
};

// The options of the commands, each with its one line of help.
constexpr std::pair<std::string_view, std::string_view> kOptions[] = {
    {"--own-folder", "splits into a folder named after the model"},
    {"--force", "replaces files that hold other work (edits, another model)"},
    {"--sync", "puts each file on the disk before it takes its name"},
    {"--no-check-lengths", "joins without checking the lengths against the index"},
    {"--watch", "joins again after each save to the set, until Ctrl-C"},
    {"--recount", "with --watch: recounts the set before each join"},
    {"--json", "prints one JSON document instead of the table"},
    {"--label LABEL", "diff prints LABEL for A, and a second --label for B"},
    {"--add-value3", "takes value3.bin into the set"},
    {"--drop-value3", "leaves value3.bin out of the set"},
    {"--new-index", "writes an index that is missing or cut short anew"},
};

constexpr std::string_view kClosing =
    "A run writes every file whole before the first takes its name: a failure leaves each file "
    "as it was. Files that hold other work are replaced only with --force. Messages go to "
    "standard error: the file, the cause and what to do, then the error's code. Exit status: 0 "
    "done, 1 a message was shown or a check found problems, 2 bad command line, 3 a section "
    "file's length differs from the index; for diff, as for cmp: 0 the same, 1 different, 2 "
    "trouble.";

// Appends `words` to `text`, broken into lines of at most 79 columns at blanks outside brackets,
// each line after the first indented by `indent` blanks.
void wrap(std::string& text, std::string_view words, std::size_t indent) {
    std::size_t column = text.size() - std::min(text.size(), text.rfind('\n') + 1);
    for (std::size_t at = 0; at < words.size();) {
        std::size_t end = at;
        for (int depth = 0; end < words.size() && (words[end] != ' ' || depth > 0); ++end) {
            depth += words[end] == '[' ? 1 : words[end] == ']' ? -1 : 0;
        }
        const std::string_view word = words.substr(at, end - at);
        if (column + 1 + word.size() > 79 && column > indent) {
            text += '\n' + std::string(indent, ' ');
            column = indent;
        } else if (at > 0) {
            text += ' ';
            ++column;
        }
        text += word;
        column += word.size();
        at = end + 1;
    }
    text += '\n';
}

// The command's options as its line of the usage gives them: "[--a | --b] [--c [--d]]".
std::string synopsis(const Command& command) {
    std::string text;
    for (const std::string_view option : command.options) {
        const bool pairs = command.oneOf.size() == 2 && option == command.oneOf[1];
        const bool inner = !command.onlyWith.empty() && option == command.onlyWith[0];
        if (pairs) {
            text.insert(text.size() - 1, " | " + std::string(option));
        } else if (inner) {
            text.insert(text.size() - 1, " [" + std::string(option) + "]");
        } else {
            text += (text.empty() ? "[" : " [") + std::string(option) + "]" +
                    (option.find(' ') != option.npos && command.valuesAtMost > 1 ? "..." : "");
        }
    }
    return text + " " + std::string(command.operands);
}

// The help, from the table of commands and the table of options. A command whose options do not
// fit on its line of the usage has them after its line of help, so that each usage stays one
// line, as the manual page takes it.
std::string usage() {
    std::string text;
    auto fits = [](const Command& command) {
        return 23 + command.name.size() + 1 + synopsis(command).size() <= 79;
    };
    for (const Command& command : kCommands) {
        text +=
            std::string(text.empty() ? "Usage: " : "  or:  ") + "cindervaxel-cli " +
            std::string(command.name) + " " +
            (fits(command) ? synopsis(command) : "[OPTION]... " + std::string(command.operands)) +
            "\n";
    }
    text += "  or:  cindervaxel-cli --help | --version\n\n";
    wrap(text,
         "Splits Vexmoor .p model files into their section files and a MODEL.asm index, "
         "or joins such a set into a model file again, byte for byte.",
         0);
    text += '\n';
    for (const Command& command : kCommands) {
        text += "  " + std::string(command.name) + std::string(10 - command.name.size(), ' ');
        const std::string options = synopsis(command);
        wrap(text,
             std::string(command.help) +
                 (fits(command)
                      ? ""
                      : "; options: " +
                            options.substr(0, options.size() - command.operands.size() - 1)),
             12);
    }
    text += '\n';
    for (const auto& [option, help] : kOptions) {
        text += "  " + std::string(option) + std::string(20 - option.size(), ' ');
        wrap(text, help, 22);
    }
    text += '\n';
    wrap(text, kClosing, 0);
    return text;
}

// Returns the command that `args` call for, with its options and operands in `call`, or what is
// wrong with them.
std::variant<const Command*, std::string> parse(const std::vector<std::string>& args,
                                                Invocation& call) {
    if (args.empty()) {
        return "no command given";
    }
    const auto command = std::find_if(std::begin(kCommands), std::end(kCommands),
                                      [&](const Command& c) { return args[0] == c.name; });
    if (command == std::end(kCommands)) {
        return (args[0][0] == '-' ? "unknown option '" : "unknown command '") + args[0] + "'";
    }
    bool optionsEnded = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            // "--label LABEL" or "--label=LABEL" for an option that takes a value
            const std::string word = arg.substr(0, arg.find('='));
            const auto option =
                std::find_if(command->options.begin(), command->options.end(),
                             [&](std::string_view o) { return o.substr(0, o.find(' ')) == word; });
            const bool valued =
                option != command->options.end() && option->find(' ') != std::string_view::npos;
            if (option == command->options.end() || (!valued && word != arg)) {
                return "unknown option '" + arg + "'";
            }
            if (!valued) {
                call.options.push_back(arg);
            } else if (word != arg || i + 1 < args.size()) {
                call.values[word].push_back(word != arg ? arg.substr(word.size() + 1) : args[++i]);
            } else {
                return word + " needs " + std::string(option->substr(option->find(' ') + 1));
            }
        } else {
            call.operands.push_back(toPath(arg));  // the one place text becomes a path
            call.given.push_back(arg);
        }
    }
    // The operands as messages name them: "INDEX and DEST", "MODEL".
    std::string operands(command->operands.substr(0, command->operands.find("...")));
    if (const std::size_t blank = operands.find(' '); blank != std::string::npos) {
        operands.replace(blank, 1, " and ");
    }
    const std::string name(command->name);
    if (call.operands.size() < command->fewest) {
        return name + " needs " + operands;
    }
    if (call.operands.size() > command->most) {
        return name + " takes " + operands + ", not " + std::to_string(call.operands.size()) +
               " arguments";
    }
    for (const auto& [option, values] : call.values) {
        if (values.size() > command->valuesAtMost) {
            const std::size_t most = command->valuesAtMost;
            return name + " takes " + option + " at most " +
                   (most == 1 ? "once" : std::to_string(most) + " times") + ", not " +
                   std::to_string(values.size());
        }
    }
    if (std::count_if(command->oneOf.begin(), command->oneOf.end(),
                      [&](std::string_view option) { return call.has(option); }) > 1) {
        return name + " takes " + std::string(command->oneOf[0]) + " or " +
               std::string(command->oneOf[1]) + ", not both";
    }
    if (!command->onlyWith.empty() && call.has(command->onlyWith[0]) &&
        !call.has(command->onlyWith[1])) {
        return name + " takes " + std::string(command->onlyWith[0]) + " only with " +
               std::string(command->onlyWith[1]);
    }
    return &*command;
}

}  // namespace

int runCommandLine(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    // As GNU tools do: --help or --version anywhere before "--" answers at once, the first of
    // them given.
    for (const std::string& arg : args) {
        if (arg == "--") {
            break;
        }
        if (arg == "--help" || arg == "-h" || (arg == "help" && &arg == &args.front())) {
            writeText(out, usage());
            return kExitOk;
        }
        if (arg == "--version") {
            writeText(out, format("cindervaxel-cli %s\n", kProgramVersion));
            return kExitOk;
        }
    }
    Invocation call{{}, {}, {}, out, err};
    const auto parsed = parse(args, call);
    if (const auto* fault = std::get_if<std::string>(&parsed)) {
        writeText(err, "cindervaxel-cli: " + *fault +
                           "\nTry 'cindervaxel-cli --help' for more information.\n");
        return kExitUsage;
    }
    return std::get<const Command*>(parsed)->run(call);
}

}  // namespace cvx
