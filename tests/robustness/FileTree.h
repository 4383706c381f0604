#pragma once

#include <filesystem>
#include <map>
#include <string>

#include "support/ModelBuilder.h"

namespace cvx::test {

// The regular files below a directory, by path relative to it ("set/robot.asm"), with their
// bytes. Campaigns compare these before and after a run.
using FileTree = std::map<std::string, Bytes>;

// Returns every regular file below `dir`.
FileTree readTree(const std::filesystem::path& dir);

// Empties `dir` (creating it when missing) and writes `tree` into it.
// Removes the directory `dir` and everything in it. The operations leave the process in the
// directory they worked in, and Windows does not remove the current directory: the current
// directory moves to the parent of `dir` first.
void removeTree(const std::filesystem::path& dir);

void writeTree(const std::filesystem::path& dir, const FileTree& tree);

// Returns the bytes of the file `path`; throws std::runtime_error when it cannot be read.
Bytes readBytes(const std::filesystem::path& path);
// Writes `bytes` as the file `path`; throws std::runtime_error when that fails.
void writeBytes(const std::filesystem::path& path, const Bytes& bytes);

// A new empty directory below the system's temporary directory, removed with everything in it
// when this goes. The process's current directory, which the operations change, is restored.
class ScratchDirectory {
public:
    explicit ScratchDirectory(const std::string& prefix);
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;

    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
    std::filesystem::path m_previousCurrent;
};

}  // namespace cvx::test
