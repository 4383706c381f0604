#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "convert/PathText.h"
#include "support/MemoryFileSystem.h"
#include "support/TempDir.h"

namespace cvx::test {
namespace {

namespace fs = std::filesystem;

// The fuzz targets run the operations on MemoryFileSystem; what they find is worth something only
// if it answers as the native file system does. Each case runs on both, from the same start: a
// 3-byte file "f" and an empty directory "d" in a root directory.
struct Case {
    const char* name;
    std::function<void(FileSystem&, const fs::path& root)> action;
    std::optional<ErrorCode> code;  // nothing: the action succeeds
};

std::optional<ErrorCode> outcome(const Case& c, FileSystem& fileSystem, const fs::path& root) {
    try {
        c.action(fileSystem, root);
    } catch (const RunError& error) {
        return error.code();
    }
    return std::nullopt;
}

TEST(MemoryFileSystemTest, FailsWithTheCodesOfTheNativeFileSystem) {
    const Case cases[] = {
        {"open a file", [](FileSystem& f, const fs::path& r) { f.openRead(r / "f"); }, {}},
        {"open a missing file", [](FileSystem& f, const fs::path& r) { f.openRead(r / "x"); },
         ErrorCode::FileNotFound},
        {"open in a missing directory",
         [](FileSystem& f, const fs::path& r) { f.openRead(r / "x/y"); }, ErrorCode::PathNotFound},
        {"open below a file", [](FileSystem& f, const fs::path& r) { f.openRead(r / "f/y"); },
         ErrorCode::PathNotFound},
        {"open a directory", [](FileSystem& f, const fs::path& r) { f.openRead(r / "d"); },
         ErrorCode::PathFileAccessError},
        {"create over a file", [](FileSystem& f, const fs::path& r) { f.createNew(r / "f"); },
         ErrorCode::FileAlreadyExists},
        {"create over a directory", [](FileSystem& f, const fs::path& r) { f.createNew(r / "d"); },
         ErrorCode::FileAlreadyExists},
        {"create in a missing directory",
         [](FileSystem& f, const fs::path& r) { f.createNew(r / "x/y"); }, ErrorCode::PathNotFound},
        {"make an existing directory",
         [](FileSystem& f, const fs::path& r) { f.createDirectory(r / "d"); },
         ErrorCode::PathFileAccessError},
        {"make a directory over a file",
         [](FileSystem& f, const fs::path& r) { f.createDirectory(r / "f"); },
         ErrorCode::PathFileAccessError},
        {"make a directory in a missing one",
         [](FileSystem& f, const fs::path& r) { f.createDirectory(r / "x/y"); },
         ErrorCode::PathNotFound},
        {"enter a directory",
         [](FileSystem& f, const fs::path& r) { f.changeDirectory(r / "d"); },
         {}},
        {"enter a file", [](FileSystem& f, const fs::path& r) { f.changeDirectory(r / "f"); },
         ErrorCode::PathNotFound},
        {"enter nothing", [](FileSystem& f, const fs::path&) { f.changeDirectory(""); },
         ErrorCode::PathNotFound},
        {"write-check a directory",
         [](FileSystem& f, const fs::path& r) { f.checkWritable(r / "d"); },
         ErrorCode::PathFileAccessError},
        {"write-check a missing file",
         [](FileSystem& f, const fs::path& r) { f.checkWritable(r / "x"); },
         ErrorCode::FileNotFound},
        {"rename onto a directory",
         [](FileSystem& f, const fs::path& r) { f.rename(r / "f", r / "d"); },
         ErrorCode::PathFileAccessError},
        {"rename a missing file",
         [](FileSystem& f, const fs::path& r) { f.rename(r / "x", r / "y"); },
         ErrorCode::PathNotFound},
        {"rename into a missing directory",
         [](FileSystem& f, const fs::path& r) { f.rename(r / "f", r / "x/y"); },
         ErrorCode::PathNotFound},
        {"relative names follow the current directory",
         [](FileSystem& f, const fs::path& r) {
             f.changeDirectory(r / "d");
             f.createNew("g")->close();
             f.changeDirectory("..");
             if (f.kindOf("d/g") != FileKind::Regular || f.kindOf("g") != FileKind::None) {
                 throw RunError(ErrorCode::InternalError, "wrong place");
             }
         },
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir native;
        writeFile(native / "f", {1, 2, 3});
        fs::create_directory(native / "d");
        MemoryFileSystem memory;
        memory.putFile("/r/f", {1, 2, 3});
        memory.putDirectory("/r/d");

        EXPECT_EQ(outcome(c, nativeFileSystem(), native.path()), c.code);
        EXPECT_EQ(outcome(c, memory, "/r"), c.code);
        EXPECT_EQ(memory.openHandles(), 0u);
    }
}

TEST(MemoryFileSystemTest, HandlesReadShortAtTheEndAndOutliveARename) {
    MemoryFileSystem memory;
    std::unique_ptr<FileHandle> out = memory.createNew("/new");
    out->write(std::vector<std::uint8_t>{1, 2, 3, 4});
    memory.rename("/new", "/moved");
    out->write(std::vector<std::uint8_t>{5});
    EXPECT_EQ(memory.openHandles(), 1u);
    out->close();
    EXPECT_EQ(memory.openHandles(), 0u);
    EXPECT_EQ(memory.file("/moved"), (MemoryFileSystem::Bytes{1, 2, 3, 4, 5}));
    EXPECT_FALSE(memory.file("/new"));

    std::unique_ptr<FileHandle> in = memory.openRead("/moved");
    std::uint8_t buffer[4] = {};
    EXPECT_EQ(in->readAt(3, buffer), 2u);
    EXPECT_EQ(buffer[0], 4);
    EXPECT_EQ(in->readAt(9, buffer), 0u);
    in.reset();
    EXPECT_EQ(memory.openHandles(), 0u);
}

}  // namespace
}  // namespace cvx::test
