#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "support/ModelBuilder.h"
#include "support/TempDir.h"

namespace cvx::test {
namespace {

namespace fs = std::filesystem;

std::string contents(std::FILE* file) {
    std::string text;
    std::rewind(file);
    for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) {
        text += static_cast<char>(c);
    }
    return text;
}

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

CliRun run(const std::vector<std::string>& args) {
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    const int status = runCommandLine(args, out, err);
    CliRun result{status, contents(out), contents(err)};
    std::fclose(out);
    std::fclose(err);
    return result;
}

class CommandLineTest : public testing::Test {
protected:
    TempDir dir;
};

TEST_F(CommandLineTest, BadCommandLinesPrintUsageAndExitTwo) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"split"},
        {"split", "--own", "a.p"},
        {"join", "a.asm"},
        {"join", "--own-folder", "a.asm", "b.p"},
        {"info", "a.p", "b.p"},
        {"frobnicate", "a.p"},
    };
    for (const auto& args : bad) {
        const CliRun result = run(args);
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.err.rfind("Usage:", 0), 0u);
        EXPECT_TRUE(result.out.empty());
    }
    const CliRun help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("cindervaxel-cli join [--no-check-lengths] INDEX DEST"),
              std::string::npos);
}

TEST_F(CommandLineTest, SplitInfoAndJoinRoundTrip) {
    const Bytes model = makeModel(kWorkedExample, 8);
    writeFile(dir / "robot.p", model);

    const CliRun info = run({"info", dir.text("robot.p")});
    EXPECT_EQ(info.status, 0);
    EXPECT_TRUE(info.err.empty());
    for (const char* line : {"NumValue3      3\n", "fiftysix.bin              340           60\n",
                             "bbox.bin                  408           24\n",
                             "FileLength                440\n", "ModelLength               432\n",
                             "Unowned bytes               8   (offsets 400 to 407)\n"}) {
        EXPECT_NE(info.out.find(line), std::string::npos) << line << info.out;
    }
    EXPECT_EQ(listNames(dir.path()), std::set<std::string>{"robot.p"});

    EXPECT_EQ(run({"split", "--own-folder", dir.text("robot.p")}).status, 0);
    EXPECT_EQ(listNames(dir / "robot").size(), 11u);
    const CliRun join =
        run({"join", "--no-check-lengths", dir.text("robot/robot.asm"), dir.text("back.p")});
    EXPECT_EQ(join.status, 0);
    EXPECT_TRUE(join.err.empty());
    Bytes expected = model;
    expected.erase(expected.begin() + 400, expected.begin() + 408);
    EXPECT_EQ(readFile(dir / "back.p"), expected);
}

TEST_F(CommandLineTest, MessagesGoToStandardErrorWithTheirTitle) {
    Bytes model = makeModel(kWorkedExample);
    model.pop_back();
    writeFile(dir / "short.p", model);
    const struct {
        std::vector<std::string> args;
        std::string err;
    } cases[] = {
        {{"split", dir.text("missing.p")}, "Error: File does not exist!\n"},
        {{"info", dir.text("short.p")}, "Error: An unkown Error has occured!\nError Code: 62\n"},
        {{"split", dir.text("short.p")}, "Error: An unkown Error has occured!\nError Code: 62\n"},
        {{"join", dir.text("missing.asm"), dir.text("x.p")}, "Error: File does not exist!\n"},
    };
    for (const auto& c : cases) {
        const CliRun result = run(c.args);
        EXPECT_EQ(result.status, 1);
        EXPECT_EQ(result.err, c.err);
        EXPECT_TRUE(result.out.empty());
    }
    EXPECT_EQ(listNames(dir.path()), (std::set<std::string>{"short.p"}));
}

TEST_F(CommandLineTest, FailedLengthCheckEndsWithStatusThree) {
    writeFile(dir / "robot.p", makeModel(kWorkedExample));
    ASSERT_EQ(run({"split", dir.text("robot.p")}).status, 0);
    fs::resize_file(dir / "poly.bin", 20);
    const std::string command = std::string("\"") + CINDERVAXEL_CLI + "\" join \"" +
                                dir.text("robot.asm") + "\" \"" + dir.text("out.p") + "\" 2>\"" +
                                dir.text("err.txt") + "\"";
    const int status = std::system(command.c_str());
#ifdef _WIN32
    EXPECT_EQ(status, 3);
#else
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3);
#endif
    const Bytes err = readFile(dir / "err.txt");
    EXPECT_EQ(std::string(err.begin(), err.end()),
              "Filelength: The Filelength of 'poly.bin' does not match!\n");
    EXPECT_FALSE(fs::exists(dir / "out.p"));
}

}  // namespace
}  // namespace cvx::test
