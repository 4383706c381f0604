#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/CommandLine.h"
#include "convert/PathText.h"
#include "support/ModelBuilder.h"
#include "support/TempDir.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace cvx::test {
namespace {

namespace fs = std::filesystem;

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

std::string contents(const fs::path& path) {
    const Bytes bytes = readFile(path);
    return std::string(bytes.begin(), bytes.end());
}

// The command-line tool as built.
std::string executable() {
    fs::path path(CINDERVAXEL_CLI);
    path.make_preferred();
    return toText(path);
}

#ifdef _WIN32
// Starts the executable directly rather than through cmd.exe, whose rules for quotes differ
// between Windows and Wine: the arguments reach the program exactly, in UTF-16.
int runProcess(const std::vector<std::string>& args, const fs::path& out, const fs::path& err) {
    std::wstring commandLine = L"\"" + toPath(executable()).native() + L"\"";
    for (const std::string& arg : args) {
        commandLine += L" \"" + toPath(arg).native() + L"\"";  // no quote or final \ in them
    }
    SECURITY_ATTRIBUTES inherited{static_cast<DWORD>(sizeof(SECURITY_ATTRIBUTES)), nullptr, TRUE};
    auto create = [&](const fs::path& path) {
        return CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    const HANDLE outFile = create(out);
    const HANDLE errFile = create(err);
    STARTUPINFOW startup{};
    startup.cb = static_cast<DWORD>(sizeof(startup));
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = outFile;
    startup.hStdError = errFile;
    PROCESS_INFORMATION process{};
    DWORD status = 0xFFFFFFFF;
    if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                       &startup, &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        GetExitCodeProcess(process.hProcess, &status);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    } else {
        ADD_FAILURE() << "cannot start " << executable();
    }
    CloseHandle(outFile);
    CloseHandle(errFile);
    return static_cast<int>(status);
}
#else
int runProcess(const std::vector<std::string>& args, const fs::path& out, const fs::path& err) {
    std::string command = "'" + executable() + "'";
    for (const std::string& arg : args) {
        command += " '" + arg + "'";  // no ' in them
    }
    command += " >'" + toText(out) + "' 2>'" + toText(err) + "'";
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status)) << command;
    return WEXITSTATUS(status);
}
#endif

class CommandLineTest : public testing::Test {
protected:
    // Runs `args` in this process, capturing what it writes in binary files (as the tool's
    // standard output and error are), kept apart from the test's own directory.
    CliRun run(const std::vector<std::string>& args) {
        std::FILE* out = std::fopen(toText(captures / "out").c_str(), "w+b");
        std::FILE* err = std::fopen(toText(captures / "err").c_str(), "w+b");
        EXPECT_TRUE(out != nullptr && err != nullptr);
        const int status = runCommandLine(args, out, err);
        std::fclose(out);
        std::fclose(err);
        return {status, contents(captures / "out"), contents(captures / "err")};
    }

    // Runs `args` with the tool's executable, its standard output and error going to files.
    CliRun runExecutable(const std::vector<std::string>& args) {
        const fs::path out = captures / "out";
        const fs::path err = captures / "err";
        const int status = runProcess(args, out, err);
        return {status, contents(out), contents(err)};
    }

    TempDir dir;
    TempDir captures;
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
    const CliRun join = runExecutable({"join", dir.text("robot.asm"), dir.text("out.p")});
    EXPECT_EQ(join.status, 3);
    EXPECT_EQ(join.err, "Filelength: The Filelength of 'poly.bin' does not match!\n");
    EXPECT_FALSE(fs::exists(dir / "out.p"));
}

// What the executable writes is byte for byte what the command line gives: no line ending
// becomes CR LF on the way out, on any platform.
TEST_F(CommandLineTest, ExecutableWritesExactlyTheBytesOfTheCommandLine) {
    writeFile(dir / "robot.p", makeModel(kWorkedExample, 8));
    // A name in UTF-8 that no single Windows code page holds whole.
    const std::string foreign = "drache-\xC3\xA4-\xCE\xB4-\xE7\xAB\x9C.p";
    writeFile(dir / foreign, makeModel(kWorkedExample));
    Bytes shortModel = makeModel(kWorkedExample);
    shortModel.pop_back();
    writeFile(dir / "short.p", shortModel);
    const std::vector<std::vector<std::string>> commands = {
        {"--help"},
        {"info", dir.text("robot.p")},
        {"info", dir.text("short.p")},  // a message with a line break in its text
        {"info", dir.text(foreign)},
        {"split", dir.text("missing.p")},
        {"join", dir.text("robot.p")},  // usage
    };
    for (const auto& args : commands) {
        SCOPED_TRACE(args.back());
        const CliRun expected = run(args);
        ASSERT_FALSE(expected.out.empty() && expected.err.empty());
        const CliRun actual = runExecutable(args);
        EXPECT_EQ(actual.status, expected.status);
        EXPECT_EQ(actual.out, expected.out);
        EXPECT_EQ(actual.err, expected.err);
    }
}

}  // namespace
}  // namespace cvx::test
