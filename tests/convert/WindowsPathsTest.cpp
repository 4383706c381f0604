// Paths as Windows users give them: both separators, a drive or none, any spelling of a name.
#ifdef _WIN32

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "convert/mdlFuncts.h"
#include "session/Session.h"
#include "support/SplitJoinOracle.h"

namespace cvx::test {

// A file is found in any spelling that Windows takes for it; its name then comes from the
// directory listing, which names the index and the own folder, not from the spelling typed.
TEST(WindowsPaths, GetDirAndTheListedNameTakeEverySpelling) {
    const TempDir dir;
    fs::create_directories(dir / "a.p");
    writeFile(dir / "a.p/a.p", {1});
    writeFile(dir / "robot.p", {1});
    const std::string base = dir.text("");  // "C:\...\cvx-test-123\"
    std::string forward = base;
    std::replace(forward.begin(), forward.end(), '\\', '/');
    const struct {
        std::string path, dir, name;
    } rows[] = {
        {base + "robot.p", base, "robot.p"},
        {forward + "a.p\\a.p", forward + "a.p\\", "a.p"},
        {base + "A.P\\A.p", base + "A.P\\", "a.p"},
        {base.substr(2) + "robot.p", base.substr(2), "robot.p"},  // on the current drive
        {base + "*.p", base + "*.p", ""},
        {base + "a.p", base + "a.p", ""},
    };
    fs::current_path(dir.path());
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        EXPECT_EQ(mdlFuncts::GetDir(nativeFileSystem(), row.path), row.dir);
        EXPECT_EQ(mdlFuncts::fileNameOf(nativeFileSystem(), row.path), row.name);
    }
}

// Paths longer than MAX_PATH, and a path relative to another drive's current directory, as Windows
// takes it ("C:robot.p" while the process is on another drive).
TEST(WindowsPaths, LongAndDriveRelativePathsWork) {
    const TempDir dir;
    const std::string deep =
        "m" + std::string(100, 'a') + "/" + std::string(100, 'b') + "/" + std::string(100, 'c');
    const Bytes model = makeModel(kWorkedExample);
    const fs::path where = LR"(\\?\)" + (dir / deep).make_preferred().native();
    fs::create_directories(where);
    writeFile(where / "robot.p", model);
    ASSERT_GT(dir.text(deep + "/robot.p").size(), 300u);
    Workspace workspace(nativeFileSystem());
    FakeUserInterface ui;
    split(workspace, ui, dir / (deep + "/robot.p"), true);
    join(workspace, ui, dir / (deep + "/robot/robot.asm"), dir / (deep + "/robot/back.p"),
         LengthCheck::Ask);
    EXPECT_EQ(ui.shown, "");
    EXPECT_EQ(readFile(where / "robot" / "back.p"), model);

    writeFile(dir / "near.p", model);
    const std::wstring drive = dir.path().root_name().native();
    ASSERT_TRUE(::SetEnvironmentVariableW((L"=" + drive).c_str(), dir.path().c_str()));
    fs::current_path(drive == L"Z:" ? L"C:\\" : L"Z:\\");
    split(workspace, ui, fs::path(drive + L"near.p"), false);
    EXPECT_EQ(ui.shown, "");
    EXPECT_TRUE(fs::exists(dir / "near.asm"));
}

}  // namespace cvx::test

#endif  // _WIN32
