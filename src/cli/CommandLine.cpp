#include "CommandLine.h"

#include <cinttypes>
#include <optional>
#include <string_view>

#include "CliUserInterface.h"
#include "convert/AssembleModel.h"
#include "convert/DisassembleModel.h"

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
    "  cindervaxel-cli split [--own-folder] MODEL\n"
    "  cindervaxel-cli join [--no-check-lengths] INDEX DEST\n"
    "  cindervaxel-cli info MODEL\n"
    "  cindervaxel-cli --help\n"
    "\n"
    "Splits a Vexmoor .p model file into its section files and a MODEL.asm index, or joins such\n"
    "a set into a model file again, byte for byte.\n"
    "\n"
    "  split   writes the index file and the section files beside MODEL, or with --own-folder\n"
    "          into a folder named after the model\n"
    "  join    writes the model file DEST from the index file INDEX and the section files\n"
    "          beside it; their lengths are checked against the index unless\n"
    "          --no-check-lengths is given (a mismatch ends the program with status 3)\n"
    "  info    shows the header counts and where each section lies in MODEL; writes nothing\n"
    "\n"
    "Messages go to standard error as 'title: text'. Exit status: 0 done, 1 a message was\n"
    "shown, 2 bad command line, 3 the program was ended.\n";

struct Parsed {
    std::string command;
    std::vector<std::string> flags;
    std::vector<std::string> operands;
};

Parsed parse(const std::vector<std::string>& args) {
    Parsed parsed;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (i == 0) {
            parsed.command = arg;
        } else if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            parsed.flags.push_back(arg);
        } else {
            parsed.operands.push_back(arg);
        }
    }
    return parsed;
}

// True when every flag of `parsed` is `allowed` and there are `operandCount` operands.
bool fits(const Parsed& parsed, std::string_view allowed, std::size_t operandCount) {
    for (const std::string& flag : parsed.flags) {
        if (flag != allowed) {
            return false;
        }
    }
    return parsed.operands.size() == operandCount;
}

bool hasFlag(const Parsed& parsed, std::string_view flag) {
    for (const std::string& f : parsed.flags) {
        if (f == flag) {
            return true;
        }
    }
    return false;
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

}  // namespace

int runCommandLine(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    const Parsed parsed = parse(args);
    if (parsed.command == "--help" || parsed.command == "-h" || parsed.command == "help") {
        if (args.size() == 1) {
            std::fputs(kUsage, out);
            return kExitOk;
        }
    }

    Workspace workspace(nativeFileSystem());
    if (parsed.command == "split" && fits(parsed, "--own-folder", 1)) {
        CliUserInterface ui(err, Answer::Yes);
        DisassembleModel(workspace, ui, parsed.operands[0], hasFlag(parsed, "--own-folder"));
        return ui.messageShown() ? kExitMessage : kExitOk;
    }
    if (parsed.command == "join" && fits(parsed, "--no-check-lengths", 2)) {
        CliUserInterface ui(err, hasFlag(parsed, "--no-check-lengths") ? Answer::No : Answer::Yes);
        AssembleModel(workspace, ui, parsed.operands[0], parsed.operands[1]);
        return ui.messageShown() ? kExitMessage : kExitOk;
    }
    if (parsed.command == "info" && fits(parsed, "", 1)) {
        CliUserInterface ui(err, Answer::Yes);
        const std::optional<ModelSummary> summary = InspectModel(workspace, ui, parsed.operands[0]);
        if (summary) {
            printSummary(*summary, out);
        }
        return ui.messageShown() ? kExitMessage : kExitOk;
    }
    std::fputs(kUsage, err);
    return kExitUsage;
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
