#include "CommandLine.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <variant>

#include "Command.h"
#include "TextOut.h"
#include "cindervaxel/Version.h"
#include "files/PathText.h"
#include "files/SystemErrors.h"

namespace cvx {
namespace {

const Command kCommands[] = {
    {"split",
     "MODEL...",
     1,
     SIZE_MAX,
     {"--own-folder", "--force", "--sync"},
     "splits each MODEL into its section files and MODEL.asm",
     runSplit},
    {"join",
     "INDEX DEST",
     2,
     2,
     {"--no-check-lengths", "--force", "--sync", "--watch", "--recount"},
     "joins the set of the index file INDEX into the model file DEST",
     runJoin,
     {},
     {"--recount", "--watch"}},
    {"info",
     "MODEL|PATCH",
     1,
     1,
     {"--json"},
     "shows a model's counts and where each section lies, or what a patch changes and what it "
     "was made from",
     runInfo},
    {"check",
     "INDEX",
     1,
     1,
     {"--json"},
     "says whether a join gives a model made of exactly the set's files",
     runCheck},
    {"recount",
     "INDEX",
     1,
     1,
     {"--add-value3", "--drop-value3", "--new-index"},
     "sets header.bin's counts and the index from the section files",
     runRecount,
     {"--add-value3", "--drop-value3"}},
    {"diff",
     "A B",
     2,
     2,
     {"--json", "--label LABEL"},
     "says what changed between two models, each a model or an index file",
     runDiff,
     {},
     {},
     2},
    {"patch",
     "ORIGINAL MOD PATCH",
     3,
     3,
     {"--force", "--sync"},
     "writes into PATCH what turns ORIGINAL into MOD, each a model or an index file",
     runPatch},
    {"apply",
     "ORIGINAL PATCH... DEST",
     3,
     SIZE_MAX,
     {"--prefer WHICH", "--force", "--sync"},
     "applies each PATCH in turn to ORIGINAL and writes the model file DEST, which may be "
     "ORIGINAL itself (kept as ORIGINAL.orig)",
     runApply},
    {"merge",
     "BASE A B DEST",
     4,
     4,
     {"--prefer WHICH", "--force", "--sync"},
     "merges the mods A and B of BASE into the model file DEST",
     runMerge},
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
    {"--prefer WHICH",
     "where two patches change an element differently, takes the change of the first or last "
     "patch (apply), or of a or b (merge), instead of refusing"},
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
         "or joins such a set into a model file again, byte for byte; makes patches of mods, "
         "and applies and merges them.",
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

// Runs the command that `args` call for; runCommandLine tells whether its output went out.
int runCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
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
        return kExitBadCommandLine;
    }
    return std::get<const Command*>(parsed)->run(call);
}

}  // namespace

int runCommandLine(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    int status = runCommand(args, out, err);
    // Output cut short is a failure, or a full disk would pass for a command that printed
    // everything.
    if (const std::error_code failure = writeFailure(out)) {
        writeError(err,
                   "standard output: " + failure.message() +
                       ": what the command printed is cut short; make room, or send its output "
                       "elsewhere",
                   codeForSystemError(nativeFileSystem(), failure, FileAction::Write, {}));
        // diff speaks as cmp does: 2 is trouble, 1 would read as "different".
        status = !args.empty() && args[0] == "diff" ? kExitTrouble : kExitMessage;
    }
    writeFailure(err);  // a failure of standard error has nowhere to be told
    return status;
}

}  // namespace cvx
