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
};

}  // namespace cvx
