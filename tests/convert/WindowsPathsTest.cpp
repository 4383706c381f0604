// Paths as Windows users give them: both separators, a drive or none, any spelling of a name.
#ifdef _WIN32

#include <gtest/gtest.h>

#include <algorithm>

#include "convert/mdlFuncts.h"
#include "support/TempDir.h"

namespace cvx::test {
namespace {

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
        {forward + "robot.p", forward, "robot.p"},
        {forward + "a.p\\a.p", forward + "a.p\\", "a.p"},
        {base + "ROBOT.P", base, "robot.p"},
        {base + "A.P\\A.p", base + "A.P\\", "a.p"},
        {base.substr(2) + "robot.p", base.substr(2), "robot.p"},  // on the current drive
        {base + "*.p", base + "*.p", ""},
        {base + "a.p", base + "a.p", ""},
    };
    fs::current_path(dir.path());
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        EXPECT_EQ(mdlFuncts::GetDir(nativeFileSystem(), row.path), row.dir);
        EXPECT_EQ(mdlFuncts::FileNameOf(nativeFileSystem(), row.path), row.name);
    }
}

}  // namespace
}  // namespace cvx::test

#endif  // _WIN32
