#pragma once

#include <filesystem>

#include "files/FileSystem.h"
#include "formats/ModelPatch.h"

namespace cvx {

// Returns the patch in the file `given` (a path as the user gave it), read whole. Throws RunError
// naming it: code 53 when there is no such file, 75 when it is a folder or no patch, 6 when it is
// 2 GiB or more, and what ModelPatch::decode() throws for a damaged one; read errors throw their
// code.
ModelPatch readPatchFile(FileSystem& fileSystem, const std::filesystem::path& given);

}  // namespace cvx
