#pragma once

// What the commands of cindervaxel-cli share: the exit statuses, the command line as a command
// takes it, the row of the table of commands, and each command's handler. Nothing outside src/cli
// but its tests uses this header.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "convert/PatchPlan.h"
#include "convert/SectionSet.h"
#include "formats/RunError.h"

namespace cvx {

// The exit statuses of cindervaxel-cli, as its help tells them. diff answers as cmp does: its
// statuses share the numbers of the others.
enum ExitStatus : int {
    kExitOk = 0,              // done
    kExitMessage = 1,         // a message was shown, or a check found problems
    kExitBadCommandLine = 2,  // told with a hint at --help
    kExitLengthDiffers = 3,   // a join found a section file whose length differs from the index
    kExitSame = 0,            // diff: the two give the same model
    kExitDifferent = 1,       // diff: they differ
    kExitTrouble = 2,         // diff: they could not be compared
};

// A command line as a command takes it: its options, and its operands as paths and, for
// messages and documents, as they were given.
struct Invocation {
    std::vector<std::string> options;
    std::vector<std::filesystem::path> operands;
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
    ExitStatus (*run)(const Invocation&);
    // Options that exclude each other.
    std::vector<std::string_view> oneOf = {};
    // An option that is taken only with another: {"--recount", "--watch"}.
    std::vector<std::string_view> onlyWith = {};
    // How many times an option that takes a value may be given: --label once for A, once for B.
    std::size_t valuesAtMost = 1;
};

// The commands, one file each.
ExitStatus runSplit(const Invocation& call);
ExitStatus runJoin(const Invocation& call);
ExitStatus runInfo(const Invocation& call);
ExitStatus runCheck(const Invocation& call);
ExitStatus runRecount(const Invocation& call);
ExitStatus runDiff(const Invocation& call);
ExitStatus runPatch(const Invocation& call);
ExitStatus runApply(const Invocation& call);
ExitStatus runMerge(const Invocation& call);

// The preference that --prefer gives: None without it, First for `first`, Last for `last`;
// nothing, with the usage error told, for any other value.
std::optional<PatchPlan::Prefer> preferenceOf(const Invocation& call, std::string_view first,
                                              std::string_view last);

// Shows the message of `error`, as the operations do, and returns the status for it.
ExitStatus failed(const Invocation& call, const RunError& error);

// Reads the set of the index `given`, as check and recount take it; on a failure to read, shows
// the message and gives nothing.
std::optional<SectionSet> readSet(const Invocation& call, SectionSet::Index index);

// Writes `problems` to `err`; a file refused as the index with its code, as every command tells
// of a missing file or one of the wrong kind.
void printProblems(const std::vector<Problem>& problems, std::FILE* err, bool refused);

}  // namespace cvx
