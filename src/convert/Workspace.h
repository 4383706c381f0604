#pragma once

#include "ModelState.h"
#include "files/FileSystem.h"
#include "files/FileTable.h"

namespace cvx {

// What the operations work on: the file system, the program's open-file table and the shared
// model state. The main window owns one for the life of the program.
struct Workspace {
    explicit Workspace(FileSystem& fs) : fileSystem(fs) {}

    FileSystem& fileSystem;
    FileTable files;
    ModelState model;
    // Whether every file written reaches the disk before it takes its name, and its folder's
    // entries after: a power cut then leaves each file old or new, never empty or torn.
    bool durable = false;
};

}  // namespace cvx
