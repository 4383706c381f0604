#include "SplitJoinOracle.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <vector>

#include "FaultyFileSystem.h"
#include "convert/GivenFile.h"
#include "formats/SectionTable.h"
#include "session/Messages.h"
#include "session/Session.h"

namespace cvx::test {
namespace {

std::string nameOf(std::size_t section) {
    return std::string(sectionTable()[section].fileName);
}

std::int32_t word(const Bytes& bytes, std::size_t offset) {
    return loadI32Le(std::span<const std::uint8_t>(bytes).subspan(offset).first<4>());
}

// What a header asks for: the counts, every section's length and their sum, and the code it is
// refused with (0 when none): 62 when cut short, 9 for a negative count, 6 for sections that
// leave the signed 32-bit range.
struct Plan {
    Counts counts;
    std::array<std::int64_t, 10> lengths{};
    std::int64_t total = 0;
    int code = 62;
};

Plan planOf(const Bytes& header) {
    Plan plan;
    if (header.size() < 128) {
        return plan;
    }
    const Counts c{word(header, 8),  word(header, 12), word(header, 16), word(header, 24),
                   word(header, 32), word(header, 36), word(header, 48)};
    plan.counts = c;
    plan.lengths = lengthsOf(c);
    for (const std::int64_t length : plan.lengths) {
        plan.total += length;
    }
    const bool negative =
        std::min({c.NumVerts, c.NumExtra, c.NumValue3, c.NumLines, c.NumPolys, c.NumHundrets}) < 0;
    plan.code = negative ? 9 : plan.total > std::numeric_limits<std::int32_t>::max() ? 6 : 0;
    return plan;
}

}  // namespace

std::string errorFor(int code, int expected) {
    // The wording of each cause is the error report's; what the oracle knows is which code comes,
    // and that the expected one says the file does not exist.
    const Cause cause = causeOf(static_cast<ErrorCode>(code));
    return std::string(cause.title) + ": " +
           (code == expected ? "File does not exist!"
                             : (cause.heading ? std::string(cause.heading)
                                              : std::string("An unkown Error has occured!")) +
                                   "\r\nError Code: " + std::to_string(code)) +
           "\n";
}

namespace {

// The index record that a split writes for `plan`, field by field.
Bytes indexFor(const Plan& plan) {
    const std::string texts = "CINDERVAXEL 1.00";
    Bytes record(texts.begin(), texts.end());
    const auto type = static_cast<std::uint8_t>(plan.counts.ModelType);
    record.insert(record.end(), {1, plan.counts.NumValue3 != 0, type, 0, 1, 1, 1, 1, 1});
    record.resize(64);
    for (std::size_t i = 1; i < 10; ++i) {
        putWord(record, 25 + 4 * (i - 1), static_cast<std::int32_t>(plan.lengths[i]));
    }
    return record;
}

// What the user saw of a run: the question, the messages, the button changes, the program's end.
std::string transcript(const FakeUserInterface& ui) {
    return ui.asked + ui.shown + ui.buttons + (ui.ended ? " ended" : "");
}

std::optional<Bytes> fileIn(const FileTree& tree, const std::string& name) {
    const auto it = tree.find(name);
    return it == tree.end() ? std::nullopt : std::optional<Bytes>(it->second);
}

// Judges a run against the outcome without faults: `expected` and `complete`, also after a fault
// that changes nothing. Failing that, a fault must have been reported, leaving each file as
// `before` or as in `complete`.
std::string judge(const FaultyFileSystem& files, const FakeUserInterface& ui,
                  const FileTree& before, const FileTree& complete, const FileTree& after,
                  const std::string& expected, bool split) {
    const bool open = files.neverClosed != 0;
    std::string problems = open ? "a file left open; " : "";
    const auto& fault = files.injected;
    // Closing a file that was only read loses nothing: a fault there changes nothing at all. One
    // in a run that is refused anyway may go unreported.
    const bool silent = fault && fault->action == FileAction::Close && !fault->onOutput;
    const bool done = after == complete && (!fault || silent || complete == before);
    if (transcript(ui) == expected && done) {
        return problems;
    }
    if (!fault || silent) {
        return problems + "saw '" + transcript(ui) + "'" + (done ? "; " : ", wrong files; ");
    }
    const std::string reported = errorFor(fault->code, split ? 76 : 53);
    if (ui.shown + ui.buttons != reported + "-+" || ui.ended) {
        problems += "saw '" + transcript(ui) + "' after a fault; ";
    }
    // A split gives its files their names only once all are written: before that, a fault leaves
    // every file as it was; from the renames on, each file is as before or complete, and a
    // failed rename says which are new.
    const bool renaming = !split || fault->action == FileAction::Rename ||
                          std::ranges::count(files.changes, FaultyFileSystem::Change::Rename,
                                             &FaultyFileSystem::Change::kind) > 0;
    FileTree all = after;
    all.insert(complete.begin(), complete.end());
    for (const auto& entry : all) {
        const auto now = fileIn(after, entry.first);
        if (now != fileIn(before, entry.first) &&
            (!renaming || now != fileIn(complete, entry.first))) {
            problems += entry.first + (renaming ? " neither as before nor complete; "
                                                : " changed before the renames; ");
        }
    }
    if (split && fault->action == FileAction::Rename && after != before &&
        ui.details.find("still as they were") == std::string::npos) {
        problems += "the message does not say which files are new; ";
    }
    return problems;
}

struct JoinOutcome {
    std::string transcript;
    std::optional<Bytes> model{};
};

// Whether `file` begins as an index written by a split does.
bool beginsLikeIndex(const Bytes& file) {
    const std::string texts = "CINDERVAXEL 1.00";
    return !file.empty() &&
           std::equal(file.begin(), file.begin() + std::min<std::ptrdiff_t>(std::ssize(file), 16),
                      texts.begin());
}

JoinOutcome expectedJoin(const FileTree& set, Answer answer) {
    const std::optional<Bytes> index = fileIn(set, "robot.asm"), out = fileIn(set, "out.p");
    // A file that does not begin as an index, given as the index, or an index as the model to
    // write, is refused (75); an index cut short, or empty, is 62.
    const bool notAnIndex = index && !index->empty() && !beginsLikeIndex(*index);
    const bool anIndex = out && beginsLikeIndex(*out);
    if (!index || notAnIndex || anIndex || index->size() < 64) {
        return {errorFor(!index ? 53 : notAnIndex || anIndex ? 75 : 62, 53) + "-+"};
    }
    auto isModel = [](const Bytes& file) {
        return file.size() >= 128 && planOf(file).code == 0 &&
               std::ssize(file) >= planOf(file).total;
    };
    // A destination that is no model, or another model than the set's, is work of the user's: the
    // fake answers Yes. The set's own model has header.bin's header but for the type and counts.
    auto ownModel = [&](const Bytes& model) {
        const std::optional<Bytes> header = fileIn(set, "header.bin");
        for (std::size_t i = 0; i < 128; ++i) {
            const bool word = i >= 8 && i < 52 && (i < 20 || i >= 24) && (i < 28 || i >= 32) &&
                              (i < 40 || i >= 48);
            if (!word && (!header || header->size() < 128 || (*header)[i] != model[i])) {
                return false;
            }
        }
        return true;
    };
    // A set that lacks a file is told before anything is asked: no answer would mend it.
    auto listed = [&](std::size_t i) { return i != 2 || (*index)[17] == 1; };
    for (std::size_t i = 0; i < 10; ++i) {
        if (listed(i) && !fileIn(set, nameOf(i))) {
            return {"File Missing!: The File '" + nameOf(i) +
                    "' does not exists! Model can't be assembled!\n-+"};
        }
    }
    const std::string replace =
        out && !out->empty() && (!isModel(*out) || !ownModel(*out)) ? "Replace out.p?\n" : "";
    const std::string asked =
        replace +
        "File Lengths: Should Cindervaxel check, if the Filelengths are correct?\r\n"
        "Recommended: Yes\n";
    for (std::size_t i = 0; i < 10 && answer == Answer::Yes; ++i) {
        const std::int64_t must = i == 0 ? 128 : word(*index, 25 + 4 * (i - 1));
        if (listed(i) && std::ssize(set.at(nameOf(i))) != must) {
            return {asked + "Filelength: The Filelength of '" + nameOf(i) +
                    "' does not match!\n-+ ended"};
        }
    }
    const Bytes& header = set.at("header.bin");
    const Plan plan = planOf(header);
    if (plan.code != 0) {
        return {asked + errorFor(plan.code, 53) + "-+"};
    }
    Bytes model(header.begin(), header.begin() + 128);
    for (std::size_t i = 1; i < 10; ++i) {
        if (i == 2 && plan.counts.NumValue3 <= 0) {
            continue;
        }
        // value3 bytes with no value3.bin in the set: code 52, reading a file never opened.
        const auto section = listed(i) ? fileIn(set, nameOf(i)) : std::nullopt;
        if (!section || std::ssize(*section) < plan.lengths[i]) {
            return {asked + errorFor(section ? 62 : 52, 53) + "-+"};
        }
        model.insert(model.end(), section->begin(), section->begin() + plan.lengths[i]);
    }
    return {asked + "-+", model};
}

}  // namespace

FileTree splitOf(const Bytes& model) {
    const TempDir dir;
    writeFile(dir / "robot.p", model);
    Workspace workspace(nativeFileSystem());
    FakeUserInterface ui;
    split(workspace, ui, dir / "robot.p", false);
    FileTree set = readTree(dir.path());
    set.erase("robot.p");
    return set;
}

FileTree unpackSet(std::span<const std::uint8_t> data) {
    FileTree set;
    for (std::size_t i = 0; i < 12 && data.size() >= 2; ++i) {
        const std::size_t length = data[0] | (std::size_t{data[1]} << 8);
        data = data.subspan(2);
        if (length != 0xFFFF) {
            const std::size_t taken = std::min(length, data.size());
            set[i == 0    ? "robot.asm"
                : i == 11 ? "out.p"
                          : nameOf(i - 1)] =
                Bytes(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(taken));
            data = data.subspan(taken);
        }
    }
    return set;
}

Verdict checkSplit(const fs::path& dir, const Bytes& model, const FileTree& older, bool ownFolder,
                   std::uint64_t failAt, bool durable) {
    FileTree before = older;
    before["robot.p"] = model;
    writeTree(dir, before);
    before = readTree(dir);  // the files alone, without folders
    FakeUserInterface ui;
    FaultyFileSystem files(nativeFileSystem());
    files.failAt = failAt;
    Workspace workspace(files);
    workspace.durable = durable;
    fs::current_path(dir);
    split(workspace, ui, ownFolder ? fs::path("robot.p") : dir / "robot.p", ownFolder);

    const Plan plan = planOf(model);
    const std::int32_t type = plan.counts.ModelType;
    int code = plan.code != 0                   ? plan.code
               : std::ssize(model) < plan.total ? 62
               : type < 0 || type > 255         ? 6
                                                : 0;
    code = code != 0 && beginsLikeIndex(model) ? 75 : code;  // an index given as the model
    // A picture, an archive, a program or a text given as the model, as its first bytes make it.
    code = code != 0 && !GivenFile::at(nativeFileSystem(), dir / "robot.p", {}).content().empty()
               ? 75
               : code;
    const std::string folder = ownFolder ? "robot/" : "";
    FileTree complete = before;
    std::string asked = "Replace";  // the files already there that the split would change
    for (std::int64_t i = 0, at = 0; i < 10 && code == 0; at += plan.lengths[i++]) {
        // Front sections from the start, bbox and unknown from the end of the file.
        at = i == 8 ? std::ssize(model) - plan.lengths[8] - plan.lengths[9] : at;
        if (i != 2 || plan.counts.NumValue3 > 0) {
            complete[folder + nameOf(i)] =
                Bytes(model.begin() + at, model.begin() + at + plan.lengths[i]);
        }
    }
    if (code == 0) {
        complete[folder + "robot.asm"] = indexFor(plan);
    }
    for (std::size_t i = 0; i < 11 && code == 0; ++i) {
        const std::string bare = i == 0 ? "robot.asm" : nameOf(i - 1);
        const auto old = fileIn(before, folder + bare);
        asked += old && old != fileIn(complete, folder + bare) ? " " + bare : "";
    }
    asked = asked.size() > 7 ? asked + "?\n" : "";
    const std::string expected = asked + (code != 0 ? errorFor(code, 76) : "") + "-+";
    std::string problems = judge(files, ui, before, complete, readTree(dir), expected, true);
    // An own folder that the run made and then could not fill goes again.
    const fs::path made = dir / "robot";
    if (ownFolder && !older.count(folder) && fs::is_directory(made) && fs::is_empty(made)) {
        problems += "an empty own folder left behind; ";
    }
    return {problems, files.calls};
}

Verdict checkJoin(const fs::path& dir, const FileTree& set, Answer answer, std::uint64_t failAt,
                  bool durable) {
    writeTree(dir, set);
    FaultyFileSystem files(nativeFileSystem());
    files.failAt = failAt;
    Workspace workspace(files);
    workspace.durable = durable;
    FakeUserInterface ui(answer);
    ui.ended = join(workspace, ui, dir / "robot.asm", dir / "out.p", LengthCheck::Ask) ==
               JoinResult::LengthDiffers;
    const JoinOutcome outcome = expectedJoin(set, answer);
    FileTree complete = set;
    if (outcome.model) {
        complete["out.p"] = *outcome.model;
    }
    return {judge(files, ui, set, complete, readTree(dir), outcome.transcript, false), files.calls};
}

}  // namespace cvx::test
