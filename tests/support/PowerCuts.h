#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "FaultyFileSystem.h"
#include "ModelFiles.h"

namespace cvx::test {

// What power cuts in the middle of a run leave, on a file system that orders nothing: after each
// change that the run made in `dir` (FaultyFileSystem::changes), a cut keeps of every file only
// the data that was synced, and of the names in a folder either every change since the folder was
// last synced or none of them; both are looked at. Every file under its own name must then be as
// in `before` or as in `after` (a run's temporary files aside): each one that is not is lost.
// Folders themselves are taken to last.
struct PowerCuts {
    std::size_t cuts = 0, lost = 0;
    std::string firstLoss;  // the first file lost, and after which change
};

PowerCuts simulatePowerCuts(const std::vector<FaultyFileSystem::Change>& changes,
                            const fs::path& dir, const FileTree& before, const FileTree& after);

}  // namespace cvx::test
