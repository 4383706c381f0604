#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <system_error>

#include "FileSystem.h"

// The machine's own file system. What every platform shares is in NativeFileSystem.cpp; what
// differs between POSIX systems and Windows is in posix/NativeFileSystem.cpp and
// windows/NativeFileSystem.cpp, one of which the build takes. Nothing outside this folder uses
// this header: the rest of the program has the FileSystem seam and nativeFileSystem().

namespace cvx {

// The few calls of the C library whose form differs between the platforms. Files are always
// opened in binary mode and are never inherited by programs that the process starts; each call
// returns -1 (or false) with errno set when it fails, as the C library's own do.
namespace native {

enum class OpenFor { Reading, Writing, CreatingNew };

int openFile(const std::filesystem::path& path, OpenFor how);
int closeFile(int fd);
// The length of the open file `fd`, and whether it is a regular file.
bool fileStatus(int fd, std::int64_t& size, bool& regular);
// Reads at `offset` without moving the file's position, so several threads may read at once.
long long readFileAt(int fd, std::int64_t offset, void* data, std::size_t size);
long long writeFile(int fd, const void* data, std::size_t size);
// Makes the data of the open file `fd` durable; returns the error, if any.
std::error_code syncFile(int fd);
// Copies up to `length` bytes of `in` from `offset` on to `out` at its position, inside the
// kernel where it can, and returns how many it copied: 0 where it cannot (another file system,
// no such call); the caller copies the rest.
std::int64_t copyInKernel(int in, std::int64_t offset, int out, std::int64_t length);

// The most bytes that one read or write takes.
extern const std::size_t kMaxChunk;

}  // namespace native

class NativeFileSystem final : public FileSystem {
public:
    FileKind kindOf(const std::filesystem::path& path) override;
    std::filesystem::path listedName(const std::filesystem::path& path) override;
    std::vector<std::filesystem::path> listFolder(const std::filesystem::path& path) override;
    bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b) override;
    std::filesystem::path currentDirectory() override;
    std::filesystem::path absolute(const std::filesystem::path& path) override;
    void createDirectory(const std::filesystem::path& path) override;
    std::unique_ptr<FileHandle> openRead(const std::filesystem::path& path) override;
    std::unique_ptr<FileHandle> createNew(const std::filesystem::path& path) override;
    void checkWritable(const std::filesystem::path& path) override;
    std::filesystem::path followLinks(const std::filesystem::path& path) override;
    void copyPermissions(const std::filesystem::path& from,
                         const std::filesystem::path& to) override;
    void rename(const std::filesystem::path& from, const std::filesystem::path& to,
                bool durable) override;
    void syncFolder(const std::filesystem::path& path) override;
    void remove(const std::filesystem::path& path) noexcept override;

private:
    // The path to hand to the system for `path`: on Windows, the extended form of a long one.
    std::filesystem::path sys(const std::filesystem::path& path);
};

}  // namespace cvx
