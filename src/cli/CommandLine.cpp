#include "CommandLine.h"

#include <algorithm>
#include <cinttypes>
#include <cstdint>
#include <map>
#include <optional>
#include <string_view>

#include "CliUserInterface.h"
#include "convert/AssembleModel.h"
#include "convert/DisassembleModel.h"
#include "convert/ErrorReport.h"
#include "convert/PathText.h"
#include "convert/SectionSet.h"
#include "convert/mdlFuncts.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace cvx {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitMessage = 1;
constexpr int kExitUsage = 2;

constexpr const char* kUsage =
    "Usage:\n"
    "  cindervaxel-cli split [--own-folder] MODEL...\n"
    "  cindervaxel-cli join [--no-check-lengths] INDEX DEST\n"
    "  cindervaxel-cli info MODEL\n"
    "  cindervaxel-cli check INDEX\n"
    "  cindervaxel-cli recount [--add-value3 | --drop-value3] INDEX\n"
    "  cindervaxel-cli --help | --version\n"
    "\n"
    "Splits Vexmoor .p model files into their section files and a MODEL.asm index, or joins such\n"
    "a set into a model file again, byte for byte.\n"
    "\n"
    "  split    writes the index file and the section files of each MODEL beside it, or with\n"
    "           --own-folder into a folder named after the model; a model that fails is named,\n"
    "           and the others are split all the same\n"
    "  join     writes the model file DEST from the index file INDEX and the section files\n"
    "           beside it; their lengths are checked against the index unless\n"
    "           --no-check-lengths is given (a mismatch ends the program with status 3)\n"
    "  info     shows the header counts and where each section lies in MODEL; writes nothing\n"
    "  check    compares the section files beside INDEX with the lengths in the index and the\n"
    "           counts in header.bin, and lists every problem; writes nothing. Status 0 when a\n"
    "           join would give a model made of exactly these files\n"
    "  recount  sets header.bin's counts and the index from the section files as they are,\n"
    "           after they were edited; --add-value3 takes value3.bin into the set,\n"
    "           --drop-value3 leaves it out; changes nothing when a file cannot be counted\n"
    "\n"
    "Messages go to standard error as 'title: text'. Exit status: 0 done, 1 a message was\n"
    "shown or a check found problems, 2 bad command line, 3 the program was ended.\n";

// A command: its options and its operands as the usage names them.
struct Command {
    std::string_view name;
    std::vector<std::string_view> options;
    std::string_view operands;
    std::size_t fewest, most;
};

const Command kCommands[] = {
    {"split", {"--own-folder"}, "MODEL", 1, SIZE_MAX},
    {"join", {"--no-check-lengths"}, "INDEX and DEST", 2, 2},
    {"info", {}, "MODEL", 1, 1},
    {"check", {}, "INDEX", 1, 1},
    {"recount", {"--add-value3", "--drop-value3"}, "INDEX", 1, 1},
};

// A command line as the command takes it, or what is wrong with it.
struct Parsed {
    const Command* command = nullptr;
    std::vector<std::string> options, operands;
    std::string fault;

    bool has(std::string_view option) const {
        return std::find(options.begin(), options.end(), option) != options.end();
    }
};

Parsed parse(const std::vector<std::string>& args) {
    Parsed parsed;
    if (args.empty()) {
        parsed.fault = "no command given";
        return parsed;
    }
    for (const Command& command : kCommands) {
        parsed.command = args[0] == command.name ? &command : parsed.command;
    }
    if (parsed.command == nullptr) {
        parsed.fault =
            (args[0][0] == '-' ? "unknown option '" : "unknown command '") + args[0] + "'";
        return parsed;
    }
    const Command& command = *parsed.command;
    bool optionsEnded = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            if (std::find(command.options.begin(), command.options.end(), arg) ==
                command.options.end()) {
                parsed.fault = "unknown option '" + arg + "'";
                return parsed;
            }
            parsed.options.push_back(arg);
        } else {
            parsed.operands.push_back(arg);
        }
    }
    const std::string name(command.name), operands(command.operands);
    if (parsed.operands.size() < command.fewest) {
        parsed.fault = name + " needs " + operands;
    } else if (parsed.operands.size() > command.most) {
        parsed.fault = name + " takes " + operands + ", not " +
                       std::to_string(parsed.operands.size()) + " arguments";
    } else if (parsed.has("--add-value3") && parsed.has("--drop-value3")) {
        parsed.fault = "recount takes --add-value3 or --drop-value3, not both";
    }
    return parsed;
}

void printSummary(const ModelSummary& summary, std::FILE* out) {
    const ModelHeader& h = summary.header;
    std::fprintf(out, "Model file     %s\n", summary.path.c_str());
    const struct {
        const char* name;
        std::int32_t value;
    } words[] = {{"ModelType", h.ModelType()},    {"NumVerts", h.NumVerts()},
                 {"NumExtra", h.NumExtra()},      {"NumValue3", h.NumValue3()},
                 {"NumLines", h.NumLines()},      {"NumPolys", h.NumPolys()},
                 {"NumHundrets", h.NumHundrets()}};
    for (const auto& word : words) {
        std::fprintf(out, "%-14s %" PRId32 "\n", word.name, word.value);
    }
    std::fprintf(out, "\n%-16s %12s %12s\n", "Section file", "Offset", "Length");
    const ModelLayout& layout = summary.layout;
    for (const SectionInfo& info : sectionTable()) {
        const std::string name(info.fileName);
        if (info.section == Section::Value3 && !layout.hasValue3()) {
            std::fprintf(out, "%-16s %12s %12s\n", name.c_str(), "-", "absent");
            continue;
        }
        const SectionExtent extent = layout[info.section];
        std::fprintf(out, "%-16s %12" PRId32 " %12" PRId32 "\n", name.c_str(), extent.offset,
                     extent.length);
    }
    std::fprintf(out, "\n%-16s %12" PRId32 "\n", "FileLength", layout.FileLength());
    std::fprintf(out, "%-16s %12" PRId32 "\n", "ModelLength", layout.ModelLength());
    std::fprintf(out, "%-16s %12" PRId32, "Unowned bytes", layout.unownedBytes());
    if (layout.unownedBytes() > 0) {
        std::fprintf(out, "   (offsets %" PRId32 " to %" PRId32 ")", layout.FrontEnd(),
                     layout.FrontEnd() + layout.unownedBytes() - 1);
    }
    std::fprintf(out, "\n%-16s %s\n", "Index file", summary.indexFileName.c_str());
}

// Splits each model as if it were alone, after making sure that no two of them write their sets
// into one folder, where the files of one would replace those of the other.
int split(const std::vector<std::string>& models, bool ownFolder, std::FILE* err) {
    FileSystem& fileSystem = nativeFileSystem();
    std::vector<std::string> paths;
    std::map<std::string, std::string> folders;  // where a set goes, and whose it is
    for (const std::string& model : models) {
        paths.push_back(resolveAgainstCurrentDirectory(fileSystem, model));
        const std::string dir = mdlFuncts::GetDir(fileSystem, paths.back());
        std::string folder = dir == paths.back() ? "" : dir;  // no model: nothing written
        try {
            folder += ownFolder && !folder.empty()
                          ? mdlFuncts::CutExt(mdlFuncts::FileNameOf(fileSystem, paths.back()))
                          : "";
        } catch (const RunError&) {
            folder.clear();  // no name for a set: nothing written
        }
        const auto [other, added] = folders.emplace(folder, model);
        if (!added && !folder.empty()) {
            std::fprintf(err,
                         "cindervaxel-cli: %s and %s would both write their section files into "
                         "%s; %s\n",
                         other->second.c_str(), model.c_str(), folder.c_str(),
                         ownFolder ? "split them one at a time"
                                   : "split them with --own-folder, each into a folder of its own");
            return kExitUsage;
        }
    }
    int status = kExitOk;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        Workspace workspace(fileSystem);
        CliUserInterface ui(err, Answer::Yes, models.size() > 1 ? models[i] + ": " : "");
        DisassembleModel(workspace, ui, paths[i], ownFolder);
        status = ui.messageShown() ? kExitMessage : status;
    }
    return status;
}

int check(const SectionSet& set, std::FILE* out) {
    auto length = [](const std::optional<std::int64_t>& value, const char* none) {
        return value ? std::to_string(*value) : std::string(none);
    };
    std::fprintf(out, "%-16s %12s %12s %12s\n", "Section file", "On disk", "In index",
                 "From header");
    for (const SectionSet::Row& row : set.rows()) {
        std::fprintf(out, "%-16s %12s %12s %12s   %s\n",
                     std::string(sectionInfo(row.section).fileName).c_str(),
                     length(row.onDisk, "missing").c_str(),
                     length(row.inIndex, "not in set").c_str(), length(row.fromHeader, "-").c_str(),
                     row.agrees ? "ok" : "differs");
    }
    const std::vector<std::string> problems = set.problems();
    for (const std::string& problem : problems) {
        std::fprintf(out, "%s%s\n", &problem == &problems.front() ? "\n" : "", problem.c_str());
    }
    if (problems.empty()) {
        std::fprintf(out, "\nA join gives a model made of exactly these files.\n");
    }
    return problems.empty() ? kExitOk : kExitMessage;
}

int recount(const SectionSet& set, SectionSet::Value3 value3, std::FILE* out, std::FILE* err) {
    const SectionSet::Recount recount = set.recount(value3);
    for (const std::string& problem : recount.problems) {
        std::fprintf(err, "%s\n", problem.c_str());
    }
    if (!recount.problems.empty()) {
        std::fprintf(err, "Nothing was changed.\n");
        return kExitMessage;
    }
    if (recount.changes.empty()) {
        std::fprintf(out, "Nothing to change: header.bin and %s agree with the section files.\n",
                     set.indexName().c_str());
        return kExitOk;
    }
    set.write(nativeFileSystem(), recount);
    for (const std::string& change : recount.changes) {
        std::fprintf(out, "%s\n", change.c_str());
    }
    return kExitOk;
}

}  // namespace

int runCommandLine(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h" || args[0] == "help")) {
        std::fputs(kUsage, out);
        return kExitOk;
    }
    if (args.size() == 1 && args[0] == "--version") {
        std::fputs("cindervaxel-cli " CINDERVAXEL_VERSION "\n", out);
        return kExitOk;
    }
    const Parsed parsed = parse(args);
    if (!parsed.fault.empty()) {
        std::fprintf(err,
                     "cindervaxel-cli: %s\nTry 'cindervaxel-cli --help' for more information.\n",
                     parsed.fault.c_str());
        return kExitUsage;
    }
    const std::string_view command = parsed.command->name;
    const std::vector<std::string>& operands = parsed.operands;
    if (command == "split") {
        return split(operands, parsed.has("--own-folder"), err);
    }
    Workspace workspace(nativeFileSystem());
    CliUserInterface ui(err, parsed.has("--no-check-lengths") ? Answer::No : Answer::Yes, "");
    if (command == "join") {
        AssembleModel(workspace, ui, operands[0], operands[1]);
    } else if (command == "info") {
        const std::optional<ModelSummary> summary = InspectModel(workspace, ui, operands[0]);
        if (summary) {
            printSummary(*summary, out);
        }
    } else {
        try {
            const SectionSet set = SectionSet::read(nativeFileSystem(), operands[0]);
            if (command == "check") {
                return check(set, out);
            }
            return recount(set,
                           parsed.has("--add-value3")    ? SectionSet::Value3::Add
                           : parsed.has("--drop-value3") ? SectionSet::Value3::Drop
                                                         : SectionSet::Value3::AsIndexed,
                           out, err);
        } catch (const RunError& error) {
            if (error.code() == ErrorCode::FileNotFound) {
                reportError(ui, error.code(), ErrorCode::FileNotFound);
            } else {
                std::fprintf(err, "%s: %s\n", std::string(command).c_str(), error.what());
                return kExitMessage;
            }
        }
    }
    return ui.messageShown() ? kExitMessage : kExitOk;
}

#ifdef _WIN32
int runWideCommandLine(const std::vector<std::wstring>& args, std::FILE* out, std::FILE* err) {
    std::vector<std::string> utf8;
    for (const std::wstring& arg : args) {
        const int wide = static_cast<int>(arg.size());
        const int size = ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, arg.data(), wide,
                                               nullptr, 0, nullptr, nullptr);
        if (size == 0 && wide != 0) {
            std::fprintf(err,
                         "cindervaxel-cli: argument %zu is not valid Unicode text (a lone UTF-16 "
                         "surrogate)\n",
                         utf8.size() + 1);
            return kExitUsage;
        }
        std::string text(static_cast<std::size_t>(size), '\0');
        ::WideCharToMultiByte(CP_UTF8, 0, arg.data(), wide, text.data(), size, nullptr, nullptr);
        utf8.push_back(std::move(text));
    }
    return runCommandLine(utf8, out, err);
}
#endif

}  // namespace cvx
