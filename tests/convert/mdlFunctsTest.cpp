#include <gtest/gtest.h>

#include <filesystem>

#include "convert/FileSystem.h"
#include "convert/mdlFuncts.h"
#include "support/TempDir.h"

namespace cvx {
namespace {

using mdlFuncts::CutExt;
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

}  // namespace
}  // namespace cvx
