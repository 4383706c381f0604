#pragma once

#include <string>
#include <string_view>

#include "files/FileSystem.h"

namespace cvx::mdlFuncts {

// Returns `name` without its last extension: everything before its last ".". ("abc.p" gives
// "abc", "a.b.c" gives "a.b", "abc." gives "abc", ".p" gives ""). The search does not stop at a
// path separator. Throws RunError(InvalidArgument, code 5) when `name` holds no ".".
std::string CutExt(std::string_view name);

// Returns the directory part of `path` with its trailing separator when `path` names an existing
// regular file ("/models/abc.asm" gives "/models/"); otherwise `path` unchanged. The path is
// literal: "*" and "?" are ordinary characters.
std::filesystem::path GetDir(FileSystem& fileSystem, const std::filesystem::path& path);

// Returns the bare file name of the regular file that `path` names, as the directory listing
// spells it (on Windows "C:\models\ROBOT.P" gives "robot.p" when that is the file), or an empty
// name when `path` names no regular file.
std::filesystem::path fileNameOf(FileSystem& fileSystem, const std::filesystem::path& path);

}  // namespace cvx::mdlFuncts
