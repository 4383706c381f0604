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

constexpr const char* kUsage =
    "Usage:\n"
    "  cindervaxel-cli split [--own-folder] [--force] [--sync] MODEL...\n"
    "  cindervaxel-cli join [--no-check-lengths] [--sync] INDEX DEST\n"
    "  cindervaxel-cli info [--json] MODEL\n"
    "  cindervaxel-cli check [--json] INDEX\n"
    "  cindervaxel-cli recount [--add-value3 | --drop-value3] [--new-index] INDEX\n"
    "  cindervaxel-cli diff [--json] A B\n"
    "  cindervaxel-cli --help | --version\n"
    "\n"
    "Splits Vexmoor .p model files into their section files and a MODEL.asm index, or joins such\n"
    "a set into a model file again, byte for byte.\n"
    "\n"
    "  split    writes the index file and the section files of each MODEL beside it, or with\n"
    "           --own-folder into a folder named after the model; a model that fails is named,\n"
    "           and the others are split all the same. A folder that holds the set of another\n"
    "           model is refused unless --force is given\n"
    "  join     writes the model file DEST from the index file INDEX and the section files\n"
    "           beside it; their lengths are checked against the index unless\n"
    "           --no-check-lengths is given (a mismatch ends the program with status 3)\n"
    "  info     shows the header counts and where each section lies in MODEL; writes nothing\n"
    "  check    compares the section files beside INDEX with the lengths in the index and the\n"
    "           counts in header.bin, and lists every problem with what to do; writes\n"
    "           nothing. Status 0 when a join would give a model made of exactly these files\n"
    "  recount  sets header.bin's counts and the index from the section files as they are,\n"
    "           after they were edited; --add-value3 takes value3.bin into the set,\n"
    "           --drop-value3 leaves it out, --new-index writes a missing or cut-short index\n"
    "           anew; changes nothing when a file cannot be counted\n"
    "  diff     compares the models A and B, each a model file or the index file of a set\n"
    "           (standing for the model that a join of it gives): the counts that differ,\n"
    "           the header's other bytes, and for each section file the elements changed,\n"
    "           inserted or removed, numbered from 0; the bytes that belong to no section.\n"
    "           Status 0 the same, 1 different, 2 trouble (a missing or wrong file)\n"
    "\n"
    "  --json   prints one JSON document on standard output instead of the table\n"
    "  --sync   puts every file written on the disk before it takes its name, and the folder\n"
    "           after, so that a power cut leaves each file as it was or complete\n"
    "\n"
    "Messages go to standard error as 'title: text', then a line with the file, the cause and\n"
    "what to do. Exit status: 0 done, 1 a message was shown or a check found problems, 2 bad\n"
    "command line, 3 the program was ended; for diff, as for cmp: 0 the same, 1 different, 2\n"
    "trouble.\n";

// A command line as a command takes it.
struct Invocation {
    std::vector<std::string> options, operands;
    std::FILE* out;
    std::FILE* err;

    bool has(std::string_view option) const {
        return std::find(options.begin(), options.end(), option) != options.end();
    }
};

// A command: its options, its operands as the usage names them, and what runs it.
struct Command {
    std::string_view name;
    std::vector<std::string_view> options;
    std::string_view operands;
    std::size_t fewest, most;
    int (*run)(const Invocation&);
    // Options that exclude each other.
    std::vector<std::string_view> oneOf = {};
};

// The folder that a split of the model `path` (absolute) writes into, by the rule the split
// follows; empty when it would write nothing.
fs::path splitFolderOf(FileSystem& fileSystem, const fs::path& path, bool ownFolder) {
    const fs::path dir = mdlFuncts::GetDir(fileSystem, path);
    if (dir == path) {
        return {};  // no model
    }
    try {
        return ownFolder ? dir / toPath(ownFolderOf(fileSystem, path)) : dir;
    } catch (const RunError&) {
        return {};  // no name for a set: nothing written
    }
}

// The index of another model's set in `folder`, whose section files a split of `model` would
// overwrite; nothing when there is none.
std::optional<fs::path> foreignIndexIn(FileSystem& fileSystem, const fs::path& folder,
                                       const fs::path& model) {
    fs::path own;
    try {
        own = toPath(mdlFuncts::CutExt(mdlFuncts::fileNameOf(fileSystem, model)) + ".asm");
    } catch (const RunError&) {
        return std::nullopt;
    }
    for (const fs::path& name : indexFilesIn(fileSystem, folder)) {
        if (own != name && !fileSystem.sameFile(folder / name, folder / own)) {
            return folder / name;
        }
    }
    return std::nullopt;
}

// Splits each model as if it were alone, after making sure that no two of them write their sets
// into one folder and that none writes over the set of a model not given.
int split(const Invocation& call) {
    FileSystem& fileSystem = nativeFileSystem();
    const bool ownFolder = call.has("--own-folder");
    std::vector<fs::path> paths;
    std::map<fs::path, std::string> folders;  // where a set goes, and whose it is
    for (const std::string& model : call.operands) {
        paths.push_back(resolveAgainstCurrentDirectory(fileSystem, toPath(model)));
        const fs::path folder = splitFolderOf(fileSystem, paths.back(), ownFolder);
        const auto [other, added] = folders.emplace(folder, model);
        if (!added && !folder.empty()) {
            std::fprintf(call.err,
                         "cindervaxel-cli: %s and %s would both write their section files into "
                         "%s; %s\n",
                         other->second.c_str(), model.c_str(), toText(folder).c_str(),
                         ownFolder ? "split them one at a time"
                                   : "split them with --own-folder, each into a folder of its own");
            return kExitUsage;
        }
        const auto foreign = folder.empty() || call.has("--force")
                                 ? std::nullopt
                                 : foreignIndexIn(fileSystem, folder, paths.back());
        if (foreign) {
            std::fprintf(call.err,
                         "cindervaxel-cli: %s: the set of another model lies there, and a split "
                         "of %s would write over its section files: split it with --own-folder, "
                         "or give --force to write over them\n",
                         toText(*foreign).c_str(), model.c_str());
            return kExitMessage;
        }
    }
    int status = kExitOk;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        Workspace workspace(fileSystem);
        workspace.durable = call.has("--sync");
        CliUserInterface ui(call.err, Answer::Yes,
                            call.operands.size() > 1 ? call.operands[i] + ": " : "");
        DisassembleModel(workspace, ui, toText(paths[i]), ownFolder);
        status = ui.messageShown() ? kExitMessage : status;
    }
    return status;
}

int join(const Invocation& call) {
    Workspace workspace(nativeFileSystem());
    workspace.durable = call.has("--sync");
    CliUserInterface ui(call.err, call.has("--no-check-lengths") ? Answer::No : Answer::Yes, "");
    AssembleModel(workspace, ui, call.operands[0], call.operands[1]);
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
        unowned["first"] = layout.FrontEnd();
        unowned["last"] = layout.FrontEnd() + layout.unownedBytes() - 1;
    }
    return {{"model", summary.path},
            {"counts", countsOf(summary.header)},
            {"sections", sections},
            {"fileLength", layout.FileLength()},
            {"modelLength", layout.ModelLength()},
            {"unownedBytes", unowned},
            {"index", summary.indexFileName}};
}

// The summary as a table for people.
void printSummary(const Json& summary, std::FILE* out) {
    auto text = [](const Json& value) { return value.get<std::string>(); };
    std::fprintf(out, "%-14s %s\n", "Model file", text(summary["model"]).c_str());
    for (const auto& [name, value] : summary["counts"].items()) {
        std::fprintf(out, "%-14s %s\n", name.c_str(), value.dump().c_str());
    }
    std::fprintf(out, "\n%-16s %12s %12s\n", "Section file", "Offset", "Length");
    for (const Json& section : summary["sections"]) {
        const bool present = section["present"];
        std::fprintf(out, "%-16s %12s %12s\n", text(section["file"]).c_str(),
                     present ? section["offset"].dump().c_str() : "-",
                     present ? section["length"].dump().c_str() : "absent");
    }
    std::fprintf(out, "\n%-16s %12s\n", "FileLength", summary["fileLength"].dump().c_str());
    std::fprintf(out, "%-16s %12s\n", "ModelLength", summary["modelLength"].dump().c_str());
    const Json& unowned = summary["unownedBytes"];
    std::fprintf(out, "%-16s %12s", "Unowned bytes", unowned["count"].dump().c_str());
    if (unowned.contains("first")) {
        std::fprintf(out, "   (offsets %s to %s)", unowned["first"].dump().c_str(),
                     unowned["last"].dump().c_str());
    }
    std::fprintf(out, "\n%-16s %s\n", "Index file", text(summary["index"]).c_str());
}

int info(const Invocation& call) {
    Workspace workspace(nativeFileSystem());
    CliUserInterface ui(call.err, Answer::Yes, "");
    const std::optional<ModelSummary> summary = inspectModel(workspace, ui, call.operands[0]);
    if (!summary) {
        return kExitMessage;
    }
    const Json document = summaryJson(*summary);
    if (call.has("--json")) {
        std::fprintf(call.out, "%s\n", dump(document).c_str());
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
    CliUserInterface ui(call.err, Answer::Yes, "");
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

// Writes `problems` to `err`, a missing index as every command tells of a missing file.
void printProblems(const std::vector<Problem>& problems, std::FILE* err) {
    for (const Problem& problem : problems) {
        if (problem.code == "no-index") {
            std::fprintf(err, "%s: %s\n", kErrorTitle, kFileDoesNotExist);
        }
        std::fprintf(err, "%s\n", problem.text.c_str());
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
        const Json document = {{"index", call.operands[0]},
                               {"joinsExactly", problems.empty()},
                               {"rows", rows},
                               {"problems", listed}};
        std::fprintf(call.out, "%s\n", dump(document).c_str());
        return problems.empty() ? kExitOk : kExitMessage;
    }
    if (set->refusal()) {
        printProblems(problems, call.err);
        return kExitMessage;
    }
    auto length = [](const std::optional<std::int64_t>& value, const char* none) {
        return value ? std::to_string(*value) : std::string(none);
    };
    std::fprintf(call.out, "%-16s %12s %12s %12s\n", "Section file", "On disk", "In index",
                 "From header");
    for (const SectionSet::Row& row : set->rows()) {
        std::fprintf(call.out, "%-16s %12s %12s %12s   %s\n",
                     std::string(sectionInfo(row.section).fileName).c_str(),
                     length(row.onDisk, "missing").c_str(),
                     length(row.inIndex, "not in set").c_str(), length(row.fromHeader, "-").c_str(),
                     row.agrees ? "ok" : "differs");
    }
    for (const Problem& problem : problems) {
        std::fprintf(call.out, "%s%s\n", &problem == &problems.front() ? "\n" : "",
                     problem.text.c_str());
    }
    if (problems.empty()) {
        std::fprintf(call.out, "\nA join gives a model made of exactly these files.\n");
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
        printProblems(recount.problems, call.err);
        std::fprintf(call.err, "Nothing was changed.\n");
        return kExitMessage;
    }
    if (recount.changes.empty()) {
        std::fprintf(call.out,
                     "Nothing to change: header.bin and %s agree with the section files.\n",
                     set->indexName().c_str());
        return kExitOk;
    }
    try {
        set->write(nativeFileSystem(), recount);
    } catch (const RunError& error) {
        return failed(call, error);
    }
    for (const std::string& change : recount.changes) {
        std::fprintf(call.out, "%s\n", change.c_str());
    }
    return kExitOk;
}

constexpr int kExitDifferent = 1;
constexpr int kExitTrouble = 2;

// Runs as "[first, last], ..." in JSON, and as "4-7, 9" in text.
Json runsJson(const std::vector<ModelDiff::Run>& runs) {
    Json list = Json::array();
    for (const auto& [first, second] : runs) {
        list.push_back({first, second});
    }
    return list;
}

std::string runsText(const std::vector<ModelDiff::Run>& runs) {
    std::string text;
    for (const auto& [first, last] : runs) {
        text += (text.empty() ? "" : ", ") + std::to_string(first) +
                (last > first ? "-" + std::to_string(last) : "");
    }
    return text;
}

Json diffJson(const ModelDiff& diff, const Invocation& call) {
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
    return {{"a", call.operands[0]},
            {"b", call.operands[1]},
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
void printDiff(const ModelDiff& diff, const Invocation& call) {
    const std::string& a = call.operands[0];
    const std::string& b = call.operands[1];
    std::vector<std::string> parts;  // for the closing line
    for (const ModelDiff::Count& count : diff.counts()) {
        std::fprintf(call.out, "%s %d -> %d\n", std::string(count.name).c_str(), count.a, count.b);
    }
    if (!diff.counts().empty()) {
        parts.push_back(std::to_string(diff.counts().size()) +
                        (diff.counts().size() > 1 ? " counts" : " count"));
    }
    if (!diff.headerBytes().empty()) {
        std::fprintf(call.out, "header.bin bytes %s differ\n",
                     runsText(diff.headerBytes()).c_str());
        parts.push_back("the header's other bytes");
    }
    for (const ModelDiff::Section& section : diff.sections()) {
        std::string text;
        auto add = [&](const std::string& part) { text += (text.empty() ? "" : "; ") + part; };
        if (!section.changed.empty()) {
            add(runsText(section.changed) + " changed");
        }
        for (const auto& [at, count] : section.inserted) {
            add(std::to_string(count) + " inserted at " + std::to_string(at));
        }
        for (const auto& [at, count] : section.removed) {
            add(std::to_string(count) + " removed at " + std::to_string(at));
        }
        std::fprintf(call.out, "%s (%d-byte elements): %s\n",
                     std::string(sectionInfo(section.section).fileName).c_str(),
                     section.elementSize, text.c_str());
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
        std::fprintf(call.out, "unowned bytes: %s, %s%s\n",
                     side(unowned.lengthA, unowned.offsetA, a).c_str(),
                     side(unowned.lengthB, unowned.offsetB, b).c_str(),
                     unowned.lengthA == unowned.lengthB ? ": their bytes differ" : "");
        parts.push_back("the unowned bytes");
    }
    std::string closing;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        closing += (i == 0 ? " " : i + 1 < parts.size() ? ", " : " and ") + parts[i];
    }
    std::fprintf(call.out, "%s and %s %s.\n", a.c_str(), b.c_str(),
                 diff.same() ? "give the same model" : ("differ in" + closing).c_str());
}

int diff(const Invocation& call) {
    std::optional<ModelDiff> diff;
    try {
        diff = ModelDiff::compare(nativeFileSystem(), call.operands[0], call.operands[1]);
    } catch (const RunError& error) {
        failed(call, error);
        return kExitTrouble;
    }
    for (const std::string& note : diff->notes()) {
        std::fprintf(call.err, "Note: %s\n", note.c_str());
    }
    if (call.has("--json")) {
        std::fprintf(call.out, "%s\n", dump(diffJson(*diff, call)).c_str());
    } else {
        printDiff(*diff, call);
    }
    return diff->same() ? kExitOk : kExitDifferent;
}

const Command kCommands[] = {
    {"split", {"--own-folder", "--force", "--sync"}, "MODEL", 1, SIZE_MAX, split},
    {"join", {"--no-check-lengths", "--sync"}, "INDEX and DEST", 2, 2, join},
    {"info", {"--json"}, "MODEL", 1, 1, info},
    {"check", {"--json"}, "INDEX", 1, 1, check},
    {"recount",
     {"--add-value3", "--drop-value3", "--new-index"},
     "INDEX",
     1,
     1,
     recount,
     {"--add-value3", "--drop-value3"}},
    {"diff", {"--json"}, "A and B", 2, 2, diff},
};

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
            if (std::find(command->options.begin(), command->options.end(), arg) ==
                command->options.end()) {
                return "unknown option '" + arg + "'";
            }
            call.options.push_back(arg);
        } else {
            call.operands.push_back(arg);
        }
    }
    const std::string name(command->name), operands(command->operands);
    if (call.operands.size() < command->fewest) {
        return name + " needs " + operands;
    }
    if (call.operands.size() > command->most) {
        return name + " takes " + operands + ", not " + std::to_string(call.operands.size()) +
               " arguments";
    }
    if (std::count_if(command->oneOf.begin(), command->oneOf.end(),
                      [&](std::string_view option) { return call.has(option); }) > 1) {
        return name + " takes " + std::string(command->oneOf[0]) + " or " +
               std::string(command->oneOf[1]) + ", not both";
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
            std::fputs(kUsage, out);
            return kExitOk;
        }
        if (arg == "--version") {
            std::fprintf(out, "cindervaxel-cli %s\n", kProgramVersion);
            return kExitOk;
        }
    }
    Invocation call{{}, {}, out, err};
    const auto parsed = parse(args, call);
    if (const auto* fault = std::get_if<std::string>(&parsed)) {
        std::fprintf(err,
                     "cindervaxel-cli: %s\nTry 'cindervaxel-cli --help' for more information.\n",
                     fault->c_str());
        return kExitUsage;
    }
    return std::get<const Command*>(parsed)->run(call);
}

}  // namespace cvx
