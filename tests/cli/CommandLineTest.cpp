#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include "cli/CommandLine.h"
#include "support/SplitJoinOracle.h"

namespace cvx::test {

struct CliRun {
    int status;
    std::string out, err;
};

// Runs the command line in this process, standard output and error going to binary files, as
// the tool's own are.
static CliRun run(const std::vector<std::string>& args) {
    const TempDir captures;
    std::FILE* out = std::fopen(captures.text("out").c_str(), "w+b");
    std::FILE* err = std::fopen(captures.text("err").c_str(), "w+b");
    const int status = runCommandLine(args, out, err);
    std::fclose(out);
    std::fclose(err);
    auto text = [&](const char* name) {
        const Bytes bytes = readFile(captures / name);
        return std::string(bytes.begin(), bytes.end());
    };
    return {status, text("out"), text("err")};
}

// A bad command line is named in one line (status 2); what goes wrong in a command is told on
// standard error under the title of its message (status 1). Nothing goes to standard output.
TEST(CommandLine, FaultsAreToldOnStandardError) {
    const TempDir dir;
    writeTree(dir.path(), {{"short.p", Bytes(100)}, {"a.asm", Bytes(64)}});
    const std::string bad = "cindervaxel-cli: ",
                      more = "\nTry 'cindervaxel-cli --help' for more information.\n";
    const std::string missing = "Error: File does not exist!\n";
    const std::string code62 = "Error: An unkown Error has occured!\nError Code: 62\n";
    const struct {
        std::vector<std::string> args;
        int status;
        std::string err;
    } rows[] = {
        {{}, 2, bad + "no command given" + more},
        {{"frobnicate", "a.p"}, 2, bad + "unknown command 'frobnicate'" + more},
        {{"--bogus"}, 2, bad + "unknown option '--bogus'" + more},
        {{"split", "--own", "a.p"}, 2, bad + "unknown option '--own'" + more},
        {{"split"}, 2, bad + "split needs MODEL" + more},
        {{"join", "a.asm"}, 2, bad + "join needs INDEX and DEST" + more},
        {{"info", "a.p", "b.p"}, 2, bad + "info takes MODEL, not 2 arguments" + more},
        {{"check", "a.asm", "--", "-b"}, 2, bad + "check takes INDEX, not 2 arguments" + more},
        {{"recount", "--add-value3", "--drop-value3", "a.asm"},
         2,
         bad + "recount takes --add-value3 or --drop-value3, not both" + more},
        {{"--help", "split"}, 2, bad + "unknown option '--help'" + more},
        {{"split", dir.text("missing.p")}, 1, missing},
        {{"info", dir.text("short.p")}, 1, code62},
        {{"split", dir.text("short.p")}, 1, code62},
        {{"join", dir.text("missing.asm"), dir.text("x.p")}, 1, missing},
        {{"check", dir.text("missing.asm")}, 1, missing},
        {{"join", "--", dir.text("a.asm"), dir.text("x.p")},
         1,
         "File Missing!: The File 'header.bin' does not exists! Model can't be assembled!\n"},
    };
    for (const auto& row : rows) {
        const CliRun result = run(row.args);
        EXPECT_EQ(result.status, row.status);
        EXPECT_EQ(result.err, row.err);
        EXPECT_EQ(result.out, "");
    }
    EXPECT_EQ(readTree(dir.path()).size(), 2u);
    EXPECT_NE(run({"--help"}).out.find("cindervaxel-cli recount [--add-value3 | --drop-value3]"),
              std::string::npos);
    EXPECT_EQ(run({"-h"}).out, run({"--help"}).out);
    EXPECT_EQ(run({"--version"}).out, "cindervaxel-cli " CINDERVAXEL_VERSION "\n");
}

TEST(CommandLine, InfoSplitAndJoinRunTheOperations) {
    const TempDir dir;
    const Bytes model = makeModel(kWorkedExample, 8);
    writeFile(dir / "robot.p", model);
    const CliRun info = run({"info", dir.text("robot.p")});
    EXPECT_EQ(info.status, 0);
    EXPECT_EQ(info.err, "");
    for (const char* line : {"NumValue3      3\n", "value3.bin                164           24\n",
                             "Unowned bytes               8   (offsets 400 to 407)\n"}) {
        EXPECT_NE(info.out.find(line), std::string::npos) << line << info.out;
    }
    EXPECT_EQ(run({"split", "--own-folder", dir.text("robot.p")}).status, 0);
    const CliRun join =
        run({"join", "--no-check-lengths", dir.text("robot/robot.asm"), dir.text("back.p")});
    EXPECT_EQ(join.status + join.err.size(), 0u);
    Bytes expected = model;
    expected.erase(expected.begin() + 400, expected.begin() + 408);
    EXPECT_EQ(readFile(dir / "back.p"), expected);
    EXPECT_EQ(run({"info", dir.text("back.p")}).out.find("(offsets"), std::string::npos);

    fs::resize_file(dir / "robot/poly.bin", 20);
    EXPECT_EXIT(run({"join", dir.text("robot/robot.asm"), dir.text("out.p")}),
                testing::ExitedWithCode(3), "");
    EXPECT_FALSE(fs::exists(dir / "out.p"));

    // Sparse files that make a model of 2 GiB or more: recount refuses it.
    fs::resize_file(dir / "robot/poly.bin", 24 * std::uintmax_t{89478486});
    fs::resize_file(dir / "robot/color.bin", 4 * (89478486 + 2));
    const CliRun huge = run({"recount", dir.text("robot/robot.asm")});
    EXPECT_NE(huge.err.find("2505398012 bytes: it must stay below 2 GiB"), std::string::npos);
}

// Several models are split as if each were alone; those that would write into one folder are
// refused before anything is written.
TEST(CommandLine, SplitTakesSeveralModels) {
    const TempDir dir;
    const Bytes model = makeModel(kWorkedExample);
    writeTree(dir.path(), {{"a/robot.p", model}, {"b/robot.p", model}, {"b/tank.p", model}});
    const FileTree before = readTree(dir.path());
    const CliRun clash = run({"split", dir.text("b/robot.p"), dir.text("b/tank.p")});
    EXPECT_EQ(clash.status, 2);
    EXPECT_NE(clash.err.find("split them with --own-folder"), std::string::npos) << clash.err;
    EXPECT_EQ(readTree(dir.path()), before);
    const CliRun several =
        run({"split", dir.text("a/robot.p"), dir.text("b/missing.p"), dir.text("b/robot.p")});
    EXPECT_EQ(several.status, 1);
    EXPECT_EQ(several.err, dir.text("b/missing.p") + ": Error: File does not exist!\n");
    EXPECT_EQ(run({"split", "--own-folder", dir.text("b/robot.p"), dir.text("b/tank.p")}).status,
              0);
    EXPECT_EQ(readTree(dir.path()).size(), 3 + 4 * 11u);  // the models and four sets
}

// Sets edited as modders edit them. Check names what is wrong; recount mends what it can count,
// says what it changed, and otherwise refuses, naming the file, and changes nothing. A recounted
// set passes the check and joins to a model that splits into exactly its files again.
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
    // noValue3 has ModelType 0, the lowest that an index holds.
    const Bytes worked = makeModel(kWorkedExample), noValue3 = makeModel({0, 2, 1, 0, 4, 1, 1});
    const std::vector<std::string> none, add = {"--add-value3"}, drop = {"--drop-value3"};
    const struct {
        const char* name;
        const Bytes& model;
        Edit edit;
        const std::vector<std::string>& options;
        std::string check;  // what the check's report says; "exactly these files": all is well
        bool counts;
        std::string recount;  // what recount writes
    } rows[] = {
        {"unedited", worked, grow({}), none, "exactly these files", true, "Nothing to change"},
        {"a polygon more", worked, grow({{"poly.bin", 24}, {"color.bin", 4}}), none,
         "poly.bin is 48 bytes; header.bin's NumPolys 1 gives 24: run recount", true,
         "NumPolys 1 -> 2"},
        {"a vertex more", worked,
         grow({{"unknown.bin", 4}, {"additional.bin", 12}, {"color.bin", 4}}), none,
         "NumVerts 2 and NumExtra 1 give 36", true, "NumVerts 2 -> 3"},
        {"a hundret more", worked, grow({{"hundrets.bin", 100}, {"fiftysix.bin", 56}}), none,
         "NumHundrets 1 gives 60", true, "NumHundrets 1 -> 2"},
        {"a value3 more", worked, grow({{"value3.bin", 8}}), none, "NumValue3 3 gives 24", true,
         "NumValue3 3 -> 4"},
        {"NumPolys past 2 GiB", worked, word("header.bin", 36, 536870912), none,
         "header.bin's counts give no model", true, "NumPolys 536870912 -> 1"},
        {"value3 added", noValue3, grow({{"value3.bin", 16}}), add, "exactly these files", true,
         "value3.bin in robot.asm: not in the set -> 16"},
        {"value3 dropped", worked, grow({}), drop, "exactly these files", true, "NumValue3 3 -> 0"},
        {"value3 left out of the index", worked, word("robot.asm", 17, 0), add,
         "asks for value3.bin, which robot.asm leaves out of the set: run recount --add-value3",
         true, "value3.bin in robot.asm: not in the set -> 24"},
        {"value3 left out by NumValue3", worked, word("header.bin", 24, 0), none,
         "value3.bin holds 24 bytes that a join leaves out", true, "NumValue3 0 -> 3"},
        {"index edited", worked, word("robot.asm", 41, 48), none,
         "poly.bin is 24 bytes; robot.asm records 48: run recount", true, "48 -> 24"},
        {"a polygon cut short", worked, grow({{"poly.bin", 5}}), none,
         "not a whole number of 24-byte elements", false, "24 or 48 would be"},
        {"color.bin left as it was", worked, grow({{"poly.bin", 24}}), none, "poly.bin is 48",
         false, "color.bin is 12 bytes; it must be 16 bytes"},
        {"fewer additional than vertices", worked, grow({{"additional.bin", -36}}), none,
         "additional.bin is 0", false, "it must be at least 24 bytes"},
        {"unknown.bin gone", worked, [](FileTree& set) { set.erase("unknown.bin"); }, none,
         "unknown.bin is missing", false, "unknown.bin is missing"},
        {"bbox.bin cut, header.bin longer", worked, grow({{"bbox.bin", -1}, {"header.bin", 1}}),
         none, "bbox.bin is 23 bytes; it must be 24 bytes", false,
         "bbox.bin is 23 bytes; it must be 24 bytes\nheader.bin is 129 bytes; it must be 128 "
         "bytes"},
        {"index cut short", worked, grow({{"robot.asm", -10}}), none, "54 bytes, not 64 bytes",
         false, "robot.asm is 54 bytes, not 64 bytes: split the model again"},
        {"ModelType 300", worked, word("header.bin", 8, 300), none, "exactly these files", false,
         "header.bin's ModelType 300 does not fit the index"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const TempDir dir;
        FileTree set = splitOf(row.model);
        row.edit(set);
        writeTree(dir / "set", set);
        const std::string index = dir.text("set/robot.asm");
        const CliRun check = run({"check", index});
        EXPECT_EQ(check.status, row.check == "exactly these files" ? 0 : 1);
        EXPECT_NE(check.out.find(row.check), std::string::npos) << check.out;
        // In these sets every problem shows in the table too, as a row that differs.
        EXPECT_EQ(check.out.find("differs") == std::string::npos, check.status == 0) << check.out;
        std::vector<std::string> args = {"recount"};
        args.insert(args.end(), row.options.begin(), row.options.end());
        args.push_back(index);
        const CliRun recount = run(args);
        EXPECT_EQ(recount.status, row.counts ? 0 : 1);
        EXPECT_NE((recount.out + recount.err).find(row.recount), std::string::npos)
            << recount.out << recount.err;
        const FileTree recounted = readTree(dir / "set");
        if (!row.counts) {
            EXPECT_EQ(recounted, set);
            continue;
        }
        EXPECT_EQ(run({"check", index}).status, 0);
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
