#pragma once

#include "ModelState.h"
#include "files/FileSystem.h"

namespace cvx {

// What the operations work on: the file system and the shared model state; each operation owns
// the files it opens. The main window owns one for the life of the program.
struct Workspace {
    explicit Workspace(FileSystem& fs) : fileSystem(fs) {}

    FileSystem& fileSystem;
    ModelState model;
    // Whether every file written reaches the disk before it takes its name, and its folder's
    // entries after: a power cut then leaves each file old or new, never empty or torn.
    bool durable = false;
};

}  // namespace cvx
