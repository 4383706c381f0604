#include <gtest/gtest.h>

#include <cstdio>

#include "cli/CommandLine.h"
#include "support/TempDir.h"

namespace cvx::test {
namespace {

struct CliRun {
    int status;
    std::string out, err;
};

// Runs the command line in this process, standard output and error going to binary files, as
// the tool's own are.
CliRun run(const std::vector<std::string>& args) {
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

TEST(CommandLine, BadCommandLinesGetTheUsageAndStatusTwo) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"split"},
        {"split", "--own", "a.p"},
        {"join", "a.asm"},
        {"join", "--own-folder", "a.asm", "b.p"},
        {"info", "a.p", "b.p"},
        {"info", "-x"},
        {"frobnicate", "a.p"},
        {"--help", "split"},
    };
    for (const auto& args : bad) {
        const CliRun result = run(args);
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.err.rfind("Usage:", 0), 0u);
        EXPECT_EQ(result.out, "");
    }
    const CliRun help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("cindervaxel-cli join [--no-check-lengths] INDEX DEST"),
              std::string::npos);
}

TEST(CommandLine, InfoSplitAndJoinRunTheOperations) {
    const TempDir dir;
    const Bytes model = makeModel(kWorkedExample, 8);
    writeFile(dir / "robot.p", model);
    const CliRun info = run({"info", dir.text("robot.p")});
    EXPECT_EQ(info.status, 0);
    EXPECT_EQ(info.err, "");
    for (const char* line :
         {"ModelType      1\nNumVerts       2\n", "NumValue3      3\nNumLines       4\n",
          "\nSection file           Offset       Length\nheader.bin                  0          "
          "128\n",
          "value3.bin                164           24\n",
          "bbox.bin                  408           24\nunknown.bin               432            "
          "8\n",
          "FileLength                440\nModelLength               432\n",
          "Unowned bytes               8   (offsets 400 to 407)\nIndex file       robot.asm\n"}) {
        EXPECT_NE(info.out.find(line), std::string::npos) << line << info.out;
    }
    EXPECT_EQ(run({"split", "--own-folder", dir.text("robot.p")}).status, 0);
    const CliRun join =
        run({"join", "--no-check-lengths", dir.text("robot/robot.asm"), dir.text("back.p")});
    EXPECT_EQ(join.status + join.err.size(), 0u);
    Bytes expected = model;
    expected.erase(expected.begin() + 400, expected.begin() + 408);
    EXPECT_EQ(readFile(dir / "back.p"), expected);

    fs::resize_file(dir / "robot/poly.bin", 20);
    EXPECT_EXIT(run({"join", dir.text("robot/robot.asm"), dir.text("out.p")}),
                testing::ExitedWithCode(3), "");
    EXPECT_FALSE(fs::exists(dir / "out.p"));
}

TEST(CommandLine, MessagesGoToStandardErrorUnderTheirTitle) {
    const TempDir dir;
    writeFile(dir / "short.p", Bytes(100));
    writeFile(dir / "a.asm", Bytes(64));
    const struct {
        std::vector<std::string> args;
        std::string err;
    } rows[] = {
        {{"split", dir.text("missing.p")}, "Error: File does not exist!\n"},
        {{"info", dir.text("short.p")}, "Error: An unkown Error has occured!\nError Code: 62\n"},
        {{"split", dir.text("short.p")}, "Error: An unkown Error has occured!\nError Code: 62\n"},
        {{"join", dir.text("missing.asm"), dir.text("x.p")}, "Error: File does not exist!\n"},
        {{"join", "--", dir.text("a.asm"), dir.text("x.p")},
         "File Missing!: The File 'header.bin' does not exists! Model can't be assembled!\n"},
    };
    for (const auto& row : rows) {
        const CliRun result = run(row.args);
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err, row.err);
        EXPECT_EQ(result.out, "");
    }
    EXPECT_EQ(readTree(dir.path()).size(), 2u);
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

}  // namespace
}  // namespace cvx::test
