#include <gtest/gtest.h>

#include "convert/SystemErrors.h"
#include "support/TempDir.h"

namespace cvx::test {
namespace {

TEST(SystemErrors, BecomeTheCodesUsersKnow) {
    const TempDir dir;
    const fs::path in = dir / "a.p", nowhere = dir / "nodir/a.p";
    using A = FileAction;
    const struct {
        int error;
        FileAction action;
        fs::path path;
        int code;
    } rows[] = {{ENOENT, A::Open, in, 53},
                {ENOENT, A::Query, "a.p", 53},
                {ENOENT, A::Read, nowhere, 76},
                {ENOENT, A::Create, in, 76},
                {ENOENT, A::ChangeDirectory, in, 76},
                {ENOTDIR, A::Open, in, 76},
                {EEXIST, A::MakeDirectory, in, 75},
                {EEXIST, A::Create, in, 58},
                {EACCES, A::Open, in, 70},
                {EPERM, A::Rename, in, 70},
                {EROFS, A::Create, in, 70},
                {ENOSPC, A::Write, in, 61},
                {EFBIG, A::Write, in, 61},
                {ENOMEM, A::Read, in, 7},
                {EMFILE, A::Open, in, 67},
                {ENFILE, A::Create, in, 67},
                {EIO, A::Close, in, 57},
                {EISDIR, A::Open, in, 75},
                {EISDIR, A::Write, in, 57},
                {EINVAL, A::Rename, in, 75}};
    for (const auto& row : rows) {
        EXPECT_EQ(codeNumber(codeForSystemError({row.error, std::generic_category()}, row.action,
                                                row.path)),
                  row.code)
            << row.error << " " << toText(row.path);
    }
#ifdef EDQUOT
    EXPECT_EQ(codeForSystemError({EDQUOT, std::generic_category()}, A::Write, in),
              ErrorCode::DiskFull);
#endif
#ifdef _WIN32
    // The system's own numbers, as std::filesystem and the replacing rename report them.
    const std::pair<int, FileAction> windows[] = {{2, A::Open},
                                                  {3, A::ChangeDirectory},
                                                  {123, A::ChangeDirectory},
                                                  {5, A::Rename},
                                                  {32, A::Rename},
                                                  {33, A::Open},
                                                  {19, A::Create},
                                                  {112, A::Write},
                                                  {39, A::Write},
                                                  {8, A::Read},
                                                  {4, A::Open},
                                                  {80, A::MakeDirectory}};
    const int codes[] = {53, 76, 76, 70, 70, 70, 70, 61, 61, 7, 67, 75};
    for (std::size_t i = 0; i < std::size(windows); ++i) {
        EXPECT_EQ(codeNumber(codeForSystemError({windows[i].first, std::system_category()},
                                                windows[i].second, in)),
                  codes[i])
            << windows[i].first;
    }
#endif
}

}  // namespace
}  // namespace cvx::test
