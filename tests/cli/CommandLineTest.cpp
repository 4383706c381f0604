#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <nlohmann/json.hpp>
#include <ranges>
#include <sstream>

#include "CliRun.h"
#include "cindervaxel/Version.h"
#include "cli/Command.h"
#include "cli/CommandLine.h"
#ifdef _WIN32
#include "cli/windows/WideCommandLine.h"
#endif
#include "support/SplitJoinOracle.h"

namespace cvx::test {

// How a path with a blank is quoted in a command to paste into this system's shell.
#ifdef _WIN32
const std::string kQuote = "\"";
#else
const std::string kQuote = "'";
#endif

// A bad command line is named in one line (status 2); what goes wrong in a command is told on
// standard error under the title of its message, then the file, the cause and the next step
// (status 1). Nothing goes to standard output.
TEST(CommandLine, FaultsAreToldOnStandardError) {
    const TempDir dir;
    writeTree(dir.path(), {{"short.p", Bytes(100)}, {"a.asm", Bytes(64)}});
    const std::string bad = "cindervaxel-cli: ",
                      more = "\nTry 'cindervaxel-cli --help' for more information.\n";
    auto missing = [&](const std::string& file, const std::string& remedy, int code) {
        return bad + dir.text(file) + ": there is no such file: " + remedy +
               "\nError Code: " + std::to_string(code) + "\n";
    };
    const std::string code62 = bad + dir.text("short.p") + ": it is 100 bytes long, shorter than";
    const struct {
        std::vector<std::string> args;
        int status;
        std::string err;  // exactly, or its beginning when it ends in "than"
    } rows[] = {
        {{}, 2, bad + "no command given" + more},
        {{"frobnicate", "a.p"}, 2, bad + "unknown command 'frobnicate'" + more},
        {{"--bogus"}, 2, bad + "unknown option '--bogus'" + more},
        {{"split", "--own", "a.p"}, 2, bad + "unknown option '--own'" + more},
        {{"split"}, 2, bad + "split needs MODEL" + more},
        {{"join", "a.asm"}, 2, bad + "join needs INDEX and DEST" + more},
        {{"info", "a.p", "b.p"}, 2, bad + "info takes MODEL|PATCH, not 2 arguments" + more},
        {{"join", "a", "b", "c"}, 2, bad + "join takes INDEX and DEST, not 3 arguments" + more},
        {{"check", "a.asm", "--", "-b"}, 2, bad + "check takes INDEX, not 2 arguments" + more},
        {{"recount", "--add-value3", "--drop-value3", "a.asm"},
         2,
         bad + "recount takes --add-value3 or --drop-value3, not both" + more},
        {{"split", dir.text("missing.p")}, 1, missing("missing.p", "check the path", 76)},
        {{"info", dir.text("short.p")}, 1, code62},
        {{"split", dir.text("short.p")}, 1, code62},
        {{"join", dir.text("missing.asm"), dir.text("x.p")},
         1,
         missing("missing.asm", "give the index file (.asm) of the set", 53)},
        {{"check", dir.text("missing.asm")},
         1,
         missing("missing.asm", "give the index file (.asm) of the set", 53)},
        {{"join", "--", dir.text("a.asm"), dir.text("x.p")},
         1,
         bad + dir.text("a.asm") +
             ": it is 64 bytes that do not begin as an index file does ('CINDERVAXEL 1.00'), not "
             "an index file: give the index file (.asm) of the set\nError Code: 75\n"},
    };
    for (const auto& row : rows) {
        const CliRun result = run(row.args);
        EXPECT_EQ(result.status, row.status);
        EXPECT_EQ(row.err.ends_with("than") ? result.err.substr(0, row.err.size()) : result.err,
                  row.err);
        EXPECT_EQ(result.out, "");
    }
    EXPECT_EQ(readTree(dir.path()).size(), 2u);
    // --help and --version answer wherever they stand, the first of them given, as GNU tools do.
    const std::string usage = run({"--help"}).out;
    std::istringstream lines(usage);  // within an 80-column console, its cursor after the line
    for (std::string line; std::getline(lines, line);) {
        EXPECT_LE(line.size(), 79u) << line;
    }
    EXPECT_NE(usage.find("options: [--add-value3 | --drop-value3]"), std::string::npos);
    const std::string version = "cindervaxel-cli " + std::string(kProgramVersion) + "\n";
    EXPECT_EQ(run({"split", "a.p", "-h", "--version"}).out, usage);
    EXPECT_EQ(run({"check", "--version", "--help"}).out, version);
    EXPECT_EQ(run({"check", "--", "--help"}).status, 1);  // a file of that name
}

#ifndef _WIN32
// Output that does not all get written is a failure with its cause, not a run that went well.
TEST(CommandLine, OutputCutShortIsAFailure) {
    const TempDir dir;
    writeFile(dir / "robot.p", makeModel(kWorkedExample, 8));
    const std::string model = dir.text("robot.p");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--version"}, {"info", model}, {"diff", model, model}}) {
        std::FILE* full = std::fopen("/dev/full", "wb");
        std::FILE* err = std::fopen(dir.text("err").c_str(), "w+b");
        EXPECT_EQ(runCommandLine(args, full, err), args[0] == "diff" ? 2 : 1);  // diff: trouble
        std::fclose(full);
        std::fclose(err);
        const Bytes text = readFile(dir / "err");
        EXPECT_EQ(
            std::string(text.begin(), text.end()),
            "cindervaxel-cli: standard output: No space left on device: what the command "
            "printed is cut short; make room, or send its output elsewhere\nError Code: 61\n");
    }
}
#endif

TEST(CommandLine, InfoSplitAndJoinRunTheOperations) {
    const TempDir dir;
    const Bytes model = makeModel(kWorkedExample, 8);
    writeFile(dir / "robot.p", model);
    const CliRun info = run({"info", dir.text("robot.p")});
    EXPECT_EQ(info.status, 0);
    EXPECT_EQ(info.err, "");
    EXPECT_TRUE(info.out.starts_with("Model file     " + dir.text("robot.p") + "\n")) << info.out;
    for (const char* line : {"NumValue3      3\n", "Section file           Offset       Length\n",
                             "value3.bin                164           24\n",
                             "Unowned bytes               8   (offsets 400 to 407)\n"}) {
        EXPECT_NE(info.out.find(line), std::string::npos) << line << info.out;
    }
    const auto json = nlohmann::json::parse(run({"info", "--json", dir.text("robot.p")}).out);
    EXPECT_EQ(json["counts"]["NumValue3"], 3);
    EXPECT_EQ(json["sections"][2], nlohmann::json::parse(R"({"file": "value3.bin",
        "present": true, "offset": 164, "length": 24})"));
    EXPECT_EQ(json["unownedBytes"], nlohmann::json::parse(R"({"count":8,"first":400,"last":407})"));
    // The bytes that no section holds are told of; the split goes through all the same.
    const CliRun split = run({"split", "--own-folder", dir.text("robot.p")});
    EXPECT_EQ(split.status, 0);
    EXPECT_EQ(split.err, "cindervaxel-cli: note: " + dir.text("robot.p") +
                             " has 8 bytes at offsets 400 to 407 that belong to no section: a "
                             "join of this set leaves them out\n");
    const CliRun join =
        run({"join", "--no-check-lengths", dir.text("robot/robot.asm"), dir.text("back.p")});
    EXPECT_EQ(join.status + join.err.size(), 0u);
    Bytes expected = model;
    expected.erase(expected.begin() + 400, expected.begin() + 408);
    EXPECT_EQ(readFile(dir / "back.p"), expected);
    EXPECT_EQ(run({"info", dir.text("back.p")}).out.find("(offsets"), std::string::npos);

    fs::resize_file(dir / "robot/poly.bin", 20);
    EXPECT_EQ(run({"join", dir.text("robot/robot.asm"), dir.text("out.p")}).status,
              kExitLengthDiffers);
    EXPECT_FALSE(fs::exists(dir / "out.p"));

    // Sparse files that make a model of 2 GiB or more: recount refuses it.
    fs::resize_file(dir / "robot/poly.bin", 24 * std::uintmax_t{89478486});
    fs::resize_file(dir / "robot/color.bin", 4 * (89478486 + 2));
    const CliRun huge = run({"recount", dir.text("robot/robot.asm")});
    EXPECT_NE(huge.err.find("a model of 2505398012 bytes, 2 GiB or more"), std::string::npos);
}

// Every path below `dir`, folders included.
static std::vector<fs::path> entriesOf(const fs::path& dir) {
    return {fs::recursive_directory_iterator(dir), fs::recursive_directory_iterator()};
}

// A slip of the keyboard: each command given a file of the wrong kind refuses it, names it and
// says what to do, and no file or folder changes.
TEST(CommandLine, WrongInputsAreRefusedAndChangeNothing) {
    const TempDir dir;
    const Bytes robot = makeModel(kWorkedExample);
    FileTree tree = splitOf(robot);
    tree["robot.p"] = tree["m.p"] = tree["..p"] = robot;
    tree["big.p"] = makeModel({1, 5, 0, 2, 9, 3, 2});
    tree["m"] = {};  // a file in the way of m.p's own folder
    tree["damaged.p"] = Bytes(100);
    tree["empty.txt"] = {};
    tree["junk.dat"] = Bytes(200, 0x05);  // as long as a model, with no model's counts
    tree["photo.png"] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0, 0, 0, 13};
    tree["notes.txt"] = Bytes(300, 'a');
    for (const auto& [name, bytes] : splitOf(robot)) {  // with poly.bin cut short
        tree["my set/" + name] = name == "poly.bin" ? Bytes(10) : bytes;
    }
#ifndef _WIN32  // a name that Windows does not allow
    tree["what?.p"] = robot;
#endif
    tree["cut/short.asm"] = Bytes(tree["robot.asm"].begin(), tree["robot.asm"].end() - 4);
    tree["cut/long.asm"] = tree["robot.asm"];
    tree["cut/long.asm"].resize(68);
    writeTree(dir.path(), tree);
    const std::vector<fs::path> before = entriesOf(dir.path());
    auto at = [&](const char* name) { return dir.text(name); };
    const std::string model = " is a model file (its header's counts fit its 432 bytes), not an";
    const std::string meant = "did you mean " + at("robot.asm") + "?";
    const std::string anew = "run cindervaxel-cli recount --new-index ";
    const std::string other = "give the index file (.asm) of the set";  // no name near theirs
    const struct {
        std::vector<std::string> args;
        std::string said, remedy;  // in what it says: the file and the cause, the next step
    } rows[] = {
        {{"recount", at("robot.p")}, at("robot.p") + model, meant},
        {{"check", at("robot.p")}, at("robot.p") + model, meant},
        {{"recount", "--new-index", at("robot.p")}, at("robot.p") + model, meant},
        {{"recount", at("poly.bin")}, at("poly.bin") + " is a section file", meant},
        {{"check", at("empty.txt")}, "empty.txt is 0 bytes that do not begin as an index", other},
        {{"recount", at("junk.dat")}, "junk.dat is 200 bytes that do not begin as an", other},
        {{"check", at("cut/short.asm")}, "short.asm is 60 bytes, not 64", anew + at("cut/short")},
        {{"recount", at("cut/long.asm")}, "long.asm is 68 bytes, not 64", anew + at("cut/long")},
        {{"join", at("m.p"), at("out.p")}, at("m.p") + ": it" + model, "split it first, and give"},
        {{"join", at("robot.asm"), at("cut/long.asm")},
         "long.asm: it is 68 bytes",
         "give the model file (.p) to write"},
        {{"info", at("robot.asm")},
         at("robot.asm") + ": it is an index file, not a model",
         "a set is joined with join"},
        {{"split", "--own-folder", at("m.p")},
         at("m") + ": a file of this name is in the way",
         "split it without --own-folder, or move or rename that file"},
        {{"split", "--own-folder", at("damaged.p")},
         at("damaged.p") + ": it is 100 bytes long",
         "check that it is a model file"},
#ifndef _WIN32  // a device, named for what it is, with one code in every command
        {{"check", "/dev/null"},
         "/dev/null is a device, a pipe or a socket",
         "set\nError Code: 75"},
        {{"join", "/dev/null", at("out.p")},
         "/dev/null: it is a device, a pipe",
         "set\nError Code: 75"},
        {{"split", "/dev/null"}, "/dev/null: it is a device", "(.p)\nError Code: 75"},
#endif
        {{"check", at("robot*.asm")}, "robot*.asm: its name holds", "\nError Code: 64"},
        {{"join", at("robot*.asm"), at("out.p")}, "robot*.asm: its name holds", "\nError Code: 64"},
        {{"split", "--own-folder", at("..p")},
         "its name gives no folder of its own",
         "rename the model, or split it without --own-folder"},
        // What a file that is no model seems to be, where its first bytes tell.
        {{"split", at("photo.png")}, "photo.png: it is a PNG picture of 12 bytes, not a model", ""},
        {{"info", at("notes.txt")}, "notes.txt: it is a text file of 300 bytes, not a model", ""},
        {{"check", at("photo.png")}, "photo.png is a PNG picture of 12 bytes, not an index", ""},
        // An index cut short is written anew; the index and the model to write swapped are told
        // as such; a suggested command can be pasted as it is.
        {{"join", at("cut/short.asm"), at("out.p")},
         "short.asm: it is 60 bytes, not 64",
         anew + at("cut/short.asm") + " to write it anew from header.bin"},
        {{"join", at("robot.p"), at("robot.asm")},
         "robot.p: it is a model file and " + at("robot.asm") +
             " is a file of a set: the two "
             "seem swapped",
         "give the index file (.asm) first and the model file (.p) to write second"},
        {{"join", "--no-check-lengths", at("my set/robot.asm"), at("out.p")},
         "poly.bin: header.bin's counts need 24 bytes of it, it has 10",
         kQuote + at("my set/robot.asm") + kQuote + "\nError Code: 62"},
#ifndef _WIN32
        {{"split", at("what?.p")}, "its name holds * or ?", "rename the file without * and ?"},
#endif
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.args[0] + " " + row.args[1]);
        const CliRun result = run(row.args);
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.out, "");
        EXPECT_NE(result.err.find(row.said), std::string::npos) << result.err;
        EXPECT_NE(result.err.find(row.remedy), std::string::npos) << result.err;
        EXPECT_EQ(readTree(dir.path()), tree);
        EXPECT_EQ(entriesOf(dir.path()), before);
    }
    const CliRun diff = run({"diff", at("robot.p"), at("notes.txt")});
    EXPECT_EQ(diff.status, 2);
    EXPECT_NE(diff.err.find("notes.txt: it is a text file of 300 bytes, not a model"),
              std::string::npos)
        << diff.err;
    // Scripts read the refusal from check's JSON as they read its other problems.
    const CliRun check = run({"check", "--json", at("robot.p")});
    const auto refused = nlohmann::json::parse(check.out)["problems"].at(0);
    EXPECT_EQ(check.status, 1);
    EXPECT_EQ(refused["code"], "not-an-index");
    EXPECT_EQ(refused["file"], at("robot.p"));
    EXPECT_EQ(refused["remedy"], meant);
    EXPECT_EQ(refused["onDisk"], 432);
}

// Files that hold other work are replaced only with --force, in one rule for both programs; a
// file that holds what a split writes is not even rewritten, nor is any other file whose bytes
// stay. Several models are split as if each were alone: one refused is named and the others go
// on, but two that would write into one folder are refused together. A hint offers only a name
// near the one given.
TEST(CommandLine, WorkOnDiskIsReplacedOnlyWhenAsked) {
    // Each model's header has bytes of its own (seeds 1, 2 and 3); backup.p has robot's, other
    // counts, and bytes in no section.
    const Bytes robot = makeModel(kWorkedExample), tank = makeModel({1, 5, 0, 2, 9, 3, 2}, 0, 2);
    const Bytes dragon = makeModel({1, 3, 0, 0, 2, 1, 0}, 0, 3);
    const Bytes v0 = makeModel({1, 2, 1, 0, 4, 1, 1});  // without value3
    FileTree mine = splitOf(robot), other = splitOf(robot), longer = splitOf(v0), own;
    mine["robot.p"] = robot;
    const Bytes ours = mine["poly.bin"];
    mine["poly.bin"][5] ^= 1;                 // this model's set, edited
    for (const auto& [name, bytes] : mine) {  // and so in its own folder
        own[name == "robot.p" ? name : "robot/" + name] = bytes;
    }
    other["tank.p"] = other["a/robot.p"] = tank;
    other["dragon.p"] = dragon;
    other["dragon.asm"] = splitOf(dragon)["robot.asm"];
    other["backup.p"] = makeModel({1, 5, 0, 2, 9, 3, 2}, 37);
    other["photo.png"] = Bytes(500, 0x89);
    other["notes.txt"] = Bytes(40, 'a');
    other["empty.p"] = {};
    longer["poly.bin"].resize(48);
    longer["value3.bin"] = Bytes(16);   // not in the set
    FileTree swapped = splitOf(robot);  // after split --force of tank.p: tank's files, robot.asm
    for (const auto& [name, bytes] : splitOf(tank)) {
        swapped[name == "robot.asm" ? "tank.asm" : name] = bytes;
    }
    using Edit = std::function<void(FileTree&)>;
    const Edit same = [](FileTree&) {};
    auto with = [](const std::string& name, const Bytes& bytes) -> Edit {
        return [=](FileTree& tree) { tree[name] = bytes; };
    };
    using Places = std::vector<std::pair<std::string, std::string>>;  // folder, index name
    auto set = [&](Places places) -> Edit {                           // tank's set in each place
        return [=](FileTree& tree) {
            for (const auto& [folder, index] : places) {
                for (const auto& [name, bytes] : splitOf(tank)) {
                    tree[folder + (name == "robot.asm" ? index : name)] = bytes;
                }
            }
        };
    };
    const std::string left = "out.p leaves out bytes of poly.bin (24 of its 48 bytes), as";
    const Edit owns = set({{"tank/", "tank.asm"}, {"a/robot/", "robot.asm"}}),
               inA = set({{"a/", "robot.asm"}});
    const struct {
        const FileTree& before;
        std::vector<std::string> args;
        int status;
        std::string said;
        Edit after;
    } rows[] = {
        {mine, {"split", "robot.p"}, 1, "1 file that holds|poly.bin: edited: it differs", same},
        {mine, {"split", "--force", "robot.p"}, 0, "", with("poly.bin", ours)},
        {own, {"split", "--own-folder", "robot.p"}, 1, "other work: join the set first, or", same},
        {other, {"split", "tank.p", "a/robot.p"}, 1, "\nError Code: 58\n", inA},
        {other, {"split", "--own-folder", "tank.p", "a/robot.p"}, 0, "", owns},
        {other, {"split", "tank.p", "empty.p"}, 2, "would both write their section files", same},
        {other, {"join", "robot.asm", "photo.png"}, 1, "photo.png is no model file: its", same},
        {other, {"join", "--force", "robot.asm", "photo.png"}, 0, "", with("photo.png", robot)},
        {other, {"join", "robot.asm", "empty.p"}, 0, "", with("empty.p", robot)},
        // Another model is kept; the set's own model (by its name or its header) is replaced.
        {other,
         {"join", "robot.asm", "dragon.p"},
         1,
         "dragon.p is another model: its header is not robot's; its own set dragon.asm lies "
         "beside it: a join would replace it; give another model file (.p) to write, or --force",
         same},
        {other, {"join", "--force", "robot.asm", "tank.p"}, 0, "", with("tank.p", robot)},
        {other, {"join", "robot.asm", "a/robot.p"}, 0, "", with("a/robot.p", robot)},
        {other,
         {"join", "robot.asm", "backup.p"},
         0,
         "backup.p held 37 bytes in no section; the new backup.p leaves them out",
         with("backup.p", robot)},
        // A watch that can never join ends at once.
        {other, {"join", "--watch", "robot.asm", "tank.p"}, 1, "tank.p is another model", same},
        {other, {"join", "--watch", "robot.asm", "notes.txt"}, 1, "is a text file of 40", same},
        {other, {"join", "--watch", "rboot.asm", "out.p"}, 1, "no such file: did you mean", same},
        {other, {"join", "robot.asm", "*.p"}, 1, "*.p: its name holds * or ?", same},
        {other, {"split", "tnak.p"}, 1, "tank.p?\nError Code: 76", same},
        {other, {"check", "rboot.asm"}, 1, "no such file: did you mean robot.asm?", same},
        {longer, {"join", "--no-check-lengths", "robot.asm", "out.p"}, 0, left, with("out.p", v0)},
        {longer, {"check", "robot.asm"}, 1, "Note: value3.bin is there, but robot.asm", same},
        // Files that are another index's set: no recount that would make them robot's.
        {swapped, {"check", "robot.asm"}, 1, "which fit tank.asm exactly", same},
        {swapped, {"recount", "robot.asm"}, 1, "join tank.asm for that model", same},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.args[0] + " " + row.args[1]);
        const TempDir dir;
        writeTree(dir.path(), row.before);
        std::map<std::string, fs::file_time_type> old;  // as the file system keeps them
        for (const auto& [name, bytes] : row.before) {
            fs::last_write_time(dir / name,
                                fs::last_write_time(dir / name) - std::chrono::hours(24));
            old[name] = fs::last_write_time(dir / name);
        }
        fs::current_path(dir.path());
        const CliRun result = run(row.args);
        EXPECT_EQ(result.status, row.status);
        for (const auto& said : std::views::split(row.said, '|')) {  // each part
            EXPECT_NE((result.out + result.err).find(std::string(said.begin(), said.end())),
                      std::string::npos)
                << result.err;
        }
        FileTree expected = row.before;
        row.after(expected);
        const FileTree now = readTree(dir.path());
        EXPECT_EQ(now, expected);
        for (const auto& [name, bytes] : row.before) {  // bytes that stay are not rewritten
            EXPECT_TRUE(now.at(name) != bytes || fs::last_write_time(dir / name) == old[name])
                << name;
        }
    }
}

// Sets edited as modders edit them. Check names what is wrong; recount mends what it can count,
// says what it changed, and otherwise refuses, naming the same problems with the same remedies as
// check, and changes nothing. A recounted set passes the check and joins to a model that splits
// into exactly its files again.
TEST(Editing, CheckAndRecountAgreeWithAJoin) {
    using Edit = std::function<void(FileTree&)>;
    auto grow = [](std::vector<std::pair<const char*, int>> files) -> Edit {
        return [=](FileTree& set) {
            for (const auto& [file, by] : files) {
                set[file].resize(static_cast<std::size_t>(std::ssize(set[file]) + by), 0x5A);
            }
        };
    };
    auto word = [](const char* file, std::size_t at, std::int32_t value) -> Edit {
        return [=](FileTree& set) { putWord(set[file], at, value); };
    };
    const Edit polygon = grow({{"poly.bin", 24}, {"color.bin", 4}});
    // noValue3 has ModelType 0, the lowest that an index holds.
    const Bytes worked = makeModel(kWorkedExample), noValue3 = makeModel({0, 2, 1, 0, 4, 1, 1}),
                oneValue3 = makeModel({1, 2, 1, 1, 4, 1, 1});
    const std::vector<std::string> none, add = {"--add-value3"}, drop = {"--drop-value3"},
                                         anew = {"--new-index"};
    const struct {
        const char* name;
        const Bytes& model;
        Edit edit;
        const std::vector<std::string>& options;
        std::string check;  // in a problem of the check; "": all is well
        bool counts;
        std::string recount;  // what recount writes
    } rows[] = {
        {"unedited", worked, grow({}), none, "", true, "Nothing to change"},
        {"a polygon more", worked, polygon, none,
         "poly.bin is 48 bytes; header.bin's NumPolys 1 gives 24: run recount", true,
         "NumPolys 1 -> 2"},
        {"a vertex more", worked,
         grow({{"unknown.bin", 4}, {"additional.bin", 12}, {"color.bin", 4}}), none,
         "NumVerts 2 and NumExtra 1 give 36", true,
         "NumVerts 2 -> 3\nadditional.bin in robot.asm: 36 -> 48"},
        {"a hundret more", worked, grow({{"hundrets.bin", 100}, {"fiftysix.bin", 56}}), none,
         "NumHundrets 1 gives 60", true, "NumHundrets 1 -> 2"},
        {"a value3 more", worked, grow({{"value3.bin", 8}}), none, "NumValue3 3 gives 24", true,
         "NumValue3 3 -> 4"},
        {"NumPolys past 2 GiB", worked, word("header.bin", 36, 536870912), none,
         "header.bin's counts give no model", true, "NumPolys 536870912 -> 1"},
        {"value3 added", noValue3, grow({{"value3.bin", 16}}), add, "", true,
         "value3.bin in robot.asm: not in the set -> 16"},
        {"value3 dropped", worked, grow({}), drop, "", true, "NumValue3 3 -> 0"},
        {"value3 left out of the index", oneValue3, word("robot.asm", 17, 0), none,
         "asks for value3.bin, which robot.asm leaves out of the set: run recount --add-value3",
         false, "or --drop-value3 to leave it out"},
        {"value3 left out by NumValue3", worked, word("header.bin", 24, 0), none,
         "value3.bin holds 24 bytes that a join leaves out", true, "NumValue3 0 -> 3"},
        {"index flags edited", worked, word("robot.asm", 20, 0), none, "", true,
         "the signature, version and flags in robot.asm"},
        {"index edited", worked, word("robot.asm", 41, 48), none,
         "poly.bin is 24 bytes; robot.asm records 48: run recount", true, "48 -> 24"},
        {"a polygon cut short", worked, grow({{"poly.bin", 5}}), none,
         "29 bytes, not a whole number of 24-byte elements", false, "make it 24 or 48 bytes"},
        {"color.bin left as it was", worked, grow({{"poly.bin", 24}}), none,
         "color.bin is 12 bytes; the files' NumVerts 2 and NumPolys 2 give 16", false,
         "make it 16 bytes"},
        {"fiftysix.bin left as it was", worked, grow({{"hundrets.bin", 100}}), none,
         "fiftysix.bin is 60 bytes; the files' NumHundrets 2 gives 116", false,
         "make it 116 bytes"},
        {"fewer additional than vertices", worked, grow({{"additional.bin", -36}}), none,
         "additional.bin is 0 bytes; the files' NumVerts 2 gives at least 24", false,
         "make it at least 24 bytes"},
        {"unknown.bin gone", worked, [](FileTree& set) { set.erase("unknown.bin"); }, none,
         "unknown.bin is missing", false, "put it back beside robot.asm"},
        {"bbox.bin cut, header.bin longer", worked, grow({{"bbox.bin", -1}, {"header.bin", 1}}),
         none, "bbox.bin is 23 bytes", false, "header.bin is 129 bytes; it is always 128 bytes"},
        {"index cut short", worked, grow({{"robot.asm", -4}}), none, "60 bytes, not 64 bytes",
         false, "run cindervaxel-cli recount --new-index"},
        {"index cut short and written anew", worked,
         [&](FileTree& set) {
             grow({{"robot.asm", -4}})(set), polygon(set);
         },
         anew, "recount --new-index", true, "robot.asm written anew"},
        {"index gone, written anew", worked, [](FileTree& set) { set.erase("robot.asm"); }, anew,
         "there is no such file: run cindervaxel-cli recount --new-index", true, "written anew"},
        {"index of a model without value3 gone", noValue3,
         [](FileTree& set) { set.erase("robot.asm"); }, anew, "no such file", true, "anew"},
        {"ModelType 300 alone", worked, word("header.bin", 8, 300), none, "", true,
         "Nothing to change"},
        {"ModelType 300 and a polygon more", worked,
         [&](FileTree& set) { word("header.bin", 8, 300)(set), polygon(set); }, none,
         "ModelType 300 does not fit the index", false, "offset 8"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const TempDir dir;
        FileTree set = splitOf(row.model);
        row.edit(set);
        writeTree(dir / "set", set);
        const std::string index = dir.text("set/robot.asm");
        const CliRun check = run({"check", "--json", index});
        const auto report = nlohmann::json::parse(check.out);
        std::string problems;  // the lines check gives, as recount would
        for (const auto& problem : report["problems"]) {
            problems += "cindervaxel-cli: " + problem["message"].get<std::string>() + "\n";
            // A file that is there: the lengths wanted are the ones that the text names.
            for (const auto& wanted : problem["onDisk"].is_null() ? "[]"_json : problem["wanted"]) {
                EXPECT_NE(problems.find(wanted.dump()), std::string::npos) << problems;
            }
        }
        EXPECT_EQ(check.status, row.check.empty() ? 0 : 1);
        EXPECT_EQ(run({"check", index}).status, check.status);  // as text, the same verdict
        EXPECT_EQ(report["joinsExactly"], row.check.empty());
        EXPECT_NE(problems.find(row.check), std::string::npos) << problems;
        // Every problem shows in the table too, as a row that differs; a refused index has none.
        const auto& tableRows = report["rows"];
        EXPECT_EQ(!tableRows.empty() && std::all_of(tableRows.begin(), tableRows.end(),
                                                    [](const auto& r) { return r["agrees"]; }),
                  check.status == 0);
        std::vector<std::string> args = {"recount"};
        args.insert(args.end(), row.options.begin(), row.options.end());
        args.push_back(index);
        const CliRun recount = run(args);
        EXPECT_EQ(recount.status, row.counts ? 0 : 1);
        EXPECT_NE((recount.out + recount.err).find(row.recount), std::string::npos)
            << recount.out << recount.err;
        const FileTree recounted = readTree(dir / "set");
        if (!row.counts) {
            EXPECT_TRUE(recount.err.starts_with(problems)) << recount.err;
            EXPECT_TRUE(recount.err.ends_with("\nNothing was changed.\n")) << recount.err;
            EXPECT_EQ(recounted, set);
            continue;
        }
        for (const auto& problem : report["problems"]) {
            EXPECT_NE(problem["remedy"].get<std::string>().find("recount"), std::string::npos);
        }
        const CliRun recheck = run({"check", index});
        EXPECT_EQ(recheck.status, 0);
        EXPECT_TRUE(recheck.out.ends_with("\nA join gives a model made of exactly these files.\n"));
        ASSERT_EQ(run({"join", index, dir.text("joined.p")}).status, 0);
        for (const auto& [name, bytes] : splitOf(readFile(dir / "joined.p"))) {
            EXPECT_EQ(bytes, recounted.at(name)) << name;
        }
        for (std::size_t i = 0; i < 128; ++i) {  // the words that are no count stay as they were
            const bool count = i >= 12 && i != 20 && i != 28 && i < 52 && (i < 40 || i >= 48);
            EXPECT_TRUE(count || recounted.at("header.bin")[i] == set["header.bin"][i]) << i;
        }
    }
}

#ifdef _WIN32
// A file name on Windows may hold a lone surrogate, which no UTF-8 text can: a bad command line.
TEST(CommandLine, ArgumentsThatAreNotUnicodeAreABadCommandLine) {
    const TempDir dir;
    std::FILE* err = std::fopen(dir.text("err").c_str(), "w+b");
    const std::wstring lone(1, static_cast<wchar_t>(0xD800));
    EXPECT_EQ(runWideCommandLine({L"info", lone + L".p"}, err, err), 2);
    std::fclose(err);
    const Bytes text = readFile(dir / "err");
    EXPECT_EQ(std::string(text.begin(), text.end()),
              "cindervaxel-cli: argument 2 is not valid Unicode text (a lone UTF-16 surrogate)\n");
}
#endif

}  // namespace cvx::test
