#include <gtest/gtest.h>

#include "convert/SystemErrors.h"
#include "support/TempDir.h"

namespace cvx::test {

TEST(SystemErrors, BecomeTheCodesUsersKnow) {
    const TempDir dir;
    const fs::path in = dir / "a.p";
    using A = FileAction;
    const struct {
        int error;
        FileAction action;
        int code;
    } rows[] = {
        {ENOENT, A::Open, 53},  {ENOENT, A::Create, 76},        {ENOENT, A::ChangeDirectory, 76},
        {ENOTDIR, A::Open, 76}, {EEXIST, A::MakeDirectory, 75}, {EEXIST, A::Create, 58},
        {EACCES, A::Open, 70},  {EPERM, A::Rename, 70},         {EROFS, A::Create, 70},
        {ENOSPC, A::Write, 61}, {EFBIG, A::Write, 61},          {ENOMEM, A::Read, 7},
        {EMFILE, A::Open, 67},  {ENFILE, A::Create, 67},        {EIO, A::Close, 57},
        {EISDIR, A::Open, 75},  {EISDIR, A::Write, 57},         {EINVAL, A::Rename, 75}};
    auto code = [](std::error_code error, FileAction action, const fs::path& path) {
        return codeNumber(codeForSystemError(error, action, path));
    };
    for (const auto& row : rows) {
        EXPECT_EQ(code({row.error, std::generic_category()}, row.action, in), row.code)
            << row.error;
    }
    // A missing entry is a missing file where its folder is there, else a missing path.
    EXPECT_EQ(code({ENOENT, std::generic_category()}, A::Query, "a.p"), 53);
    EXPECT_EQ(code({ENOENT, std::generic_category()}, A::Read, dir / "nodir/a.p"), 76);
#ifdef EDQUOT
    EXPECT_EQ(code({EDQUOT, std::generic_category()}, A::Write, in), 61);
#endif
}

}  // namespace cvx::test
