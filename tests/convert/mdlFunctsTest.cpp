#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "convert/FileSystem.h"
#include "convert/mdlFuncts.h"
#include "support/TempDir.h"

namespace cvx {
namespace {

using mdlFuncts::CutExt;
using mdlFuncts::FileNameOf;
using mdlFuncts::GetDir;

TEST(CutExt, CutsTheLastExtension) {
    const struct {
        const char* name;
        const char* expected;
    } cases[] = {{"abc.p", "abc"}, {"a.b.c", "a.b"},     {"abc.", "abc"},
                 {".p", ""},       {"dir.x/abc", "dir"}, {"robot.P", "robot"}};
    for (const auto& c : cases) {
        EXPECT_EQ(CutExt(c.name), c.expected) << c.name;
    }
}

TEST(CutExt, NameWithoutDotIsAnInvalidArgument) {
    for (const char* name : {"", "robot", "models/robot"}) {
        try {
            CutExt(name);
            ADD_FAILURE() << "accepted " << name;
        } catch (const RunError& error) {
            EXPECT_EQ(error.code(), ErrorCode::InvalidArgument) << name;
        }
    }
}

TEST(GetDir, CutsAfterTheLastSeparatorOnlyForAnExistingRegularFile) {
    test::TempDir dir;
    std::filesystem::create_directories(dir / "a.p");
    test::writeFile(dir / "a.p" / "a.p", {1});
    test::writeFile(dir / "robot.p", {1});
    const std::string base = dir.text("");  // ends with a separator
    const struct {
        std::string path;
        std::string expected;
    } cases[] = {
        {base + "robot.p", base},
        // The directory shares the file's name: only the last separator counts.
        {base + "a.p/a.p", base + "a.p/"},
        {base + "missing.p", base + "missing.p"},
        {base + "*.p", base + "*.p"},  // no wildcards
        {base + "a.p", base + "a.p"},  // a directory is no regular file
        {base + "robot.p/", base + "robot.p/"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GetDir(nativeFileSystem(), c.path), c.expected) << c.path;
    }
}

#ifdef _WIN32
// Both separators count, and a file is found in any spelling that Windows takes for it; the model
// name then comes from the directory listing, not from the spelling typed.
TEST(GetDir, WindowsPathsInEverySpelling) {
    test::TempDir dir;
    std::filesystem::create_directories(dir / "a.p");
    test::writeFile(dir / "a.p" / "a.p", {1});
    test::writeFile(dir / "robot.p", {1});
    std::string base = dir.text("");  // "C:\...\cvx-test-123\"
    ASSERT_EQ(base.back(), '\\');
    std::string forward = base;
    std::replace(forward.begin(), forward.end(), '\\', '/');
    const struct {
        std::string path;
        std::string dir;
        std::string name;
    } cases[] = {
        {base + "robot.p", base, "robot.p"},
        {forward + "robot.p", forward, "robot.p"},
        {base + "a.p/a.p", base + "a.p/", "a.p"},
        {forward + "a.p\\a.p", forward + "a.p\\", "a.p"},
        {base + "ROBOT.P", base, "robot.p"},
        {base + "A.P\\A.p", base + "A.P\\", "a.p"},
        {base.substr(2) + "robot.p", base.substr(2), "robot.p"},  // the current drive
        {base + "*.p", base + "*.p", ""},
        {base + "robot.?", base + "robot.?", ""},
        {base + "a.p", base + "a.p", ""},
    };
    dir.enter();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(GetDir(nativeFileSystem(), c.path), c.dir);
        EXPECT_EQ(FileNameOf(nativeFileSystem(), c.path), c.name);
    }
}
#endif

}  // namespace
}  // namespace cvx
