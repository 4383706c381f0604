#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "convert/FileSystem.h"
#include "convert/SystemErrors.h"

namespace cvx::test {

// A file system held in memory, for fuzzing: fast, hermetic, and able to tell which files are
// still open. It answers as the native file system does on POSIX, codes included (checked by
// MemoryFileSystemTest against the real one). Paths are absolute from "/" or relative to its own
// current directory, which starts at "/"; the real process's current directory is never touched.
class MemoryFileSystem final : public FileSystem {
public:
    using Bytes = std::vector<std::uint8_t>;

    MemoryFileSystem();

    // Set-up and inspection for the harness; parent directories are created as needed.
    void putFile(const std::filesystem::path& path, const Bytes& bytes);
    void putDirectory(const std::filesystem::path& path);
    std::optional<Bytes> file(const std::filesystem::path& path) const;
    // Every file, by absolute path.
    std::map<std::filesystem::path, Bytes> files() const;
    // Handles that were opened and are neither closed nor destroyed.
    std::size_t openHandles() const { return *m_openHandles; }

    FileKind kindOf(const std::filesystem::path& path) override;
    bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b) override;
    std::filesystem::path currentDirectory() override { return m_current; }
    void changeDirectory(const std::filesystem::path& path) override;
    void createDirectory(const std::filesystem::path& path) override;
    std::unique_ptr<FileHandle> openRead(const std::filesystem::path& path) override;
    std::unique_ptr<FileHandle> createNew(const std::filesystem::path& path) override;
    void checkWritable(const std::filesystem::path& path) override;
    void rename(const std::filesystem::path& from, const std::filesystem::path& to) override;
    void remove(const std::filesystem::path& path) noexcept override;

private:
    std::filesystem::path absolute(const std::filesystem::path& path) const;
    FileKind kindAt(const std::filesystem::path& absolutePath) const;
    // Throws what the native file system throws when `path` (absolute: `absolutePath`) is
    // missing for `action`: a missing file when its directory exists, else a missing path.
    [[noreturn]] void throwMissing(const std::filesystem::path& absolutePath,
                                   const std::filesystem::path& path, FileAction action) const;

    std::map<std::filesystem::path, std::shared_ptr<Bytes>> m_files;
    std::set<std::filesystem::path> m_directories;
    std::filesystem::path m_current;
    std::shared_ptr<std::size_t> m_openHandles;
};

}  // namespace cvx::test
