#pragma once

#include <filesystem>
#include <system_error>

#include "FileSystem.h"
#include "formats/RunError.h"

namespace cvx {

// The kind of file action that failed; the same system error can mean different things for
// different actions (a missing entry is a missing path for a directory change, a missing file
// for an open).
enum class FileAction {
    Query,
    Open,
    Create,
    Read,
    Write,
    Close,
    Rename,
    ChangeDirectory,
    MakeDirectory,
    ChangePermissions
};

// Returns `error` as the codes below expect it: what only this platform reports (a quota, a file
// held open by another program, a name it does not take where `lookup` looks a name up) becomes
// the portable error that means the same. Each platform's NativeFileSystem.cpp has it.
std::error_code normalisedError(std::error_code error, bool lookup);

// Returns the run-time code for a failed file action. The one place where system errors become
// codes: 53 file not found, 76 path not found, 75 path/file access error, 70 permission denied,
// 61 disk full, 7 out of memory, 67 too many files, 57 device I/O error. Whether a missing entry
// is a missing file or a missing path is asked of `fileSystem`.
ErrorCode codeForSystemError(FileSystem& fileSystem, std::error_code error, FileAction action,
                             const std::filesystem::path& path);

// Returns the RunError for a failed file action, naming the path and what could not be done.
RunError systemError(FileSystem& fileSystem, std::error_code error, FileAction action,
                     const std::filesystem::path& path);

}  // namespace cvx
