#pragma once

#include <filesystem>
#include <memory>
#include <vector>

#include "FileSystem.h"

namespace cvx {

// An output file that replaces its destination only when it is complete.
//
// Everything is written to a new temporary file in the destination's own directory; commit()
// flushes and closes it and then renames it over the destination in one step. Closing without a
// commit, or any failure, removes the temporary file, so the destination is either exactly as it
// was before or holds exactly the new contents, never a part of them. A destination that is a
// symbolic link is followed: the file it points to is replaced (or made, when it points nowhere)
// and the link stays. A replaced file keeps its permissions, owner and group.
class ReplacingFile final : public FileHandle {
public:
    // Prepares to replace `destination`. Throws 75 when it names a directory or anything else
    // that is not a regular file, 70 when an existing destination is read-only, and the code of
    // the failure when no temporary file can be made beside it (76 for a missing directory).
    static std::unique_ptr<ReplacingFile> create(FileSystem& fileSystem,
                                                 const std::filesystem::path& destination);

    ~ReplacingFile() override;
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Failures of writing name the destination: the temporary file is none of the user's
    // business.
    const std::filesystem::path& path() const override { return m_destination; }
    void write(std::span<const std::uint8_t> data) override;
    void copyFrom(FileHandle& source, std::int64_t offset, std::int64_t length) override;
    std::int64_t size() override { return m_temp->size(); }
    std::size_t readAt(std::int64_t offset, std::span<std::uint8_t> data) override {
        return m_temp->readAt(offset, data);
    }
    void flush() override { m_temp->flush(); }
    void sync() override { m_temp->sync(); }

    // Abandons the new contents unless they were committed: the destination stays as it was.
    void close() override { discard(); }

    // Finishes the written contents without giving them the destination's name yet: flushed and
    // closed, and with `durable` on the disk. Doing it again does nothing. On failure the
    // temporary file is gone.
    void complete(bool durable = false);

    // Makes the written contents the destination's, completing them first. With `durable`, they
    // are on the disk before they take the destination's name (the folder's entry itself is the
    // caller's: syncFolder). On failure the destination is unchanged and the temporary file is
    // gone.
    void commit(bool durable = false);

private:
    ReplacingFile(FileSystem& fileSystem, std::filesystem::path destination,
                  std::filesystem::path tempPath, std::unique_ptr<FileHandle> temp);
    void discard() noexcept;
    // Runs `step` on the temporary file; a failure of that file is told as the destination's.
    template <typename Step>
    auto onTemporary(Step step);

    FileSystem& m_fileSystem;
    std::filesystem::path m_destination;
    std::filesystem::path m_tempPath;
    std::unique_ptr<FileHandle> m_temp;
    bool m_completed = false, m_finished = false;
};

// Files that replace their destinations together: every one is written and completed before the
// first takes its name, so that a failure before that leaves every destination as it was.
class ReplacingSet {
public:
    explicit ReplacingSet(FileSystem& fileSystem) : m_fileSystem(fileSystem) {}

    // Prepares to replace `destination` as ReplacingFile::create does, and returns its file.
    ReplacingFile& add(const std::filesystem::path& destination);

    // Completes every file (see ReplacingFile::complete), then renames each over its destination
    // in the order they were added. A failure of a rename is told with the files that are new by
    // then and those that are still as they were; the temporary files left are removed.
    void commit(bool durable = false);

    // How many files have taken their names.
    std::size_t renamed() const { return m_renamed; }

private:
    FileSystem& m_fileSystem;
    std::vector<std::unique_ptr<ReplacingFile>> m_files;
    std::size_t m_renamed = 0;
};

}  // namespace cvx
