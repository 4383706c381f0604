#pragma once

#include <filesystem>
#include <map>
#include <string>

#include "support/TempDir.h"

namespace cvx::test {

// The regular files below a directory, by path relative to it ("set/robot.asm"), with their
// bytes. Campaigns compare these before and after a run.
using FileTree = std::map<std::string, Bytes>;

// Returns every regular file below `dir`.
FileTree readTree(const std::filesystem::path& dir);

// Empties `dir` (creating it when missing) and writes `tree` into it.
void writeTree(const std::filesystem::path& dir, const FileTree& tree);

}  // namespace cvx::test
