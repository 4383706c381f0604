#include <gtest/gtest.h>

#ifdef __unix__
#include <sys/resource.h>
#endif

#include "convert/FileTable.h"
#include "convert/ReplacingFile.h"
#include "convert/SystemErrors.h"
#include "support/CodeOf.h"
#include "support/TempDir.h"

namespace cvx {
namespace {

using test::codeOf;

TEST(FileTable, NumbersAreOpenedOnceAndClosedAll) {
    test::TempDir dir;
    test::writeFile(dir / "a.bin", {1, 2, 3});
    FileSystem& fs = nativeFileSystem();
    FileTable files;
    files.open(3, fs.openRead(dir / "a.bin"));
    EXPECT_EQ(codeOf([&] { files.open(3, fs.openRead(dir / "a.bin")); }),
              ErrorCode::FileAlreadyOpen);
    EXPECT_EQ(files.get(3).size(), 3);
    EXPECT_EQ(codeOf([&] { files.get(4); }), ErrorCode::BadFileNumber);
    files.open(4, fs.openRead(dir / "a.bin"));
    files.closeAll();
    EXPECT_EQ(files.openCount(), 0u);
    EXPECT_EQ(codeOf([&] { files.close(3); }), ErrorCode::BadFileNumber);
    files.open(3, fs.openRead(dir / "a.bin"));  // free again after closeAll
}

TEST(FileSystemErrors, MapToTheirCodes) {
    test::TempDir dir;
    std::filesystem::create_directory(dir / "sub");
    FileSystem& fs = nativeFileSystem();
    EXPECT_EQ(codeOf([&] { fs.openRead(dir / "missing.bin"); }), ErrorCode::FileNotFound);
    EXPECT_EQ(codeOf([&] { fs.openRead(dir / "nodir" / "a.bin"); }), ErrorCode::PathNotFound);
    EXPECT_EQ(codeOf([&] { fs.openRead(dir / "sub"); }), ErrorCode::PathFileAccessError);
    EXPECT_EQ(codeOf([&] { fs.changeDirectory(dir / "missing"); }), ErrorCode::PathNotFound);
    EXPECT_EQ(codeOf([&] { fs.createDirectory(dir / "sub"); }), ErrorCode::PathFileAccessError);
    // A pattern is a name like any other, one that names nothing here (and on Windows, one that
    // no file can have).
    EXPECT_EQ(codeOf([&] { fs.openRead(dir / "*.p"); }), ErrorCode::FileNotFound);
    EXPECT_EQ(codeOf([&] { fs.changeDirectory(dir / "*.p"); }), ErrorCode::PathNotFound);
}

#ifdef _WIN32
// The system's own error numbers, as std::filesystem and the replacing rename report them.
TEST(FileSystemErrors, WindowsSystemErrorsMapToTheirCodes) {
    test::TempDir dir;
    const std::filesystem::path inDir = dir / "a.p";
    const std::filesystem::path inNoDir = dir / "nodir" / "a.p";
    const struct {
        int system;  // a Windows error number
        FileAction action;
        std::filesystem::path path;
        ErrorCode code;
    } cases[] = {
        {2, FileAction::Open, inDir, ErrorCode::FileNotFound},    // ERROR_FILE_NOT_FOUND
        {3, FileAction::Open, inNoDir, ErrorCode::PathNotFound},  // ERROR_PATH_NOT_FOUND
        {3, FileAction::ChangeDirectory, inDir, ErrorCode::PathNotFound},
        {123, FileAction::ChangeDirectory, inDir, ErrorCode::PathNotFound},  // ERROR_INVALID_NAME
        {5, FileAction::Rename, inDir, ErrorCode::PermissionDenied},         // ERROR_ACCESS_DENIED
        {32, FileAction::Rename, inDir, ErrorCode::PermissionDenied},  // ERROR_SHARING_VIOLATION
        {33, FileAction::Open, inDir, ErrorCode::PermissionDenied},    // ERROR_LOCK_VIOLATION
        {19, FileAction::Create, inDir, ErrorCode::PermissionDenied},  // ERROR_WRITE_PROTECT
        {112, FileAction::Write, inDir, ErrorCode::DiskFull},          // ERROR_DISK_FULL
        {39, FileAction::Write, inDir, ErrorCode::DiskFull},           // ERROR_HANDLE_DISK_FULL
        {8, FileAction::Read, inDir, ErrorCode::OutOfMemory},          // ERROR_NOT_ENOUGH_MEMORY
        {4, FileAction::Open, inDir, ErrorCode::TooManyFiles},         // ERROR_TOO_MANY_OPEN_FILES
        {80, FileAction::MakeDirectory, inDir,
         ErrorCode::PathFileAccessError},  // ERROR_FILE_EXISTS
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.system);
        EXPECT_EQ(
            codeForSystemError(std::error_code(c.system, std::system_category()), c.action, c.path),
            c.code);
    }
}
#endif

TEST(ReplacingFile, RefusesWhatIsNoFileOrHasNoDirectory) {
    test::TempDir dir;
    std::filesystem::create_directory(dir / "sub");
    FileSystem& fs = nativeFileSystem();
    EXPECT_EQ(codeOf([&] { ReplacingFile::create(fs, dir / "sub"); }),
              ErrorCode::PathFileAccessError);
    EXPECT_EQ(codeOf([&] { ReplacingFile::create(fs, dir / "nodir" / "x.p"); }),
              ErrorCode::PathNotFound);
    EXPECT_EQ(codeOf([&] { ReplacingFile::create(fs, ""); }), ErrorCode::PathFileAccessError);
    EXPECT_EQ(test::listNames(dir.path()), std::set<std::string>{"sub"});
}

#ifdef __unix__
// Past the file-size limit the system sends SIGXFSZ, which by default ends the process in the
// middle of the write and leaves the temporary file behind. The native file system must turn it
// into a failed write (code 61) that is tidied up like a full disk.
TEST(ReplacingFile, TheFileSizeLimitFailsTheWriteAndEndsNothing) {
    test::TempDir dir;
    test::writeFile(dir / "model.p", {9, 9, 9});
    FileSystem& fs = nativeFileSystem();
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit low = old;
    low.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &low), 0);
    const ErrorCode code = codeOf([&] {
        auto file = ReplacingFile::create(fs, dir / "model.p");
        file->write(std::vector<std::uint8_t>(10000, 1));
        file->commit();
    });
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(code, ErrorCode::DiskFull);
    EXPECT_EQ(test::readFile(dir / "model.p"), (test::Bytes{9, 9, 9}));
    EXPECT_EQ(test::listNames(dir.path()), std::set<std::string>{"model.p"});
}
#endif

}  // namespace
}  // namespace cvx
