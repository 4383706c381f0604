#include "SystemErrors.h"

#include <string>

#include "PathText.h"

namespace cvx {
namespace {

// What could not be done to the file, as the user reads it after the file's name.
const char* actionName(FileAction action) {
    switch (action) {
        case FileAction::Query:
            return "cannot look it up";
        case FileAction::Open:
            return "cannot open it";
        case FileAction::Create:
            return "cannot create it";
        case FileAction::Read:
            return "cannot read it";
        case FileAction::Write:
            return "cannot write it";
        case FileAction::Close:
            return "cannot close it";
        case FileAction::Rename:
            return "cannot put it in place";
        case FileAction::ChangeDirectory:
            return "cannot enter this folder";
        case FileAction::MakeDirectory:
            return "cannot create this folder";
        case FileAction::ChangePermissions:
            return "cannot give it the permissions and owner of the file it replaces";
    }
    return "cannot use it";
}

// A missing entry: the file is missing when its directory exists, else the path is.
ErrorCode missingEntry(FileSystem& fileSystem, FileAction action,
                       const std::filesystem::path& path) {
    const bool looking =
        action == FileAction::Open || action == FileAction::Query || action == FileAction::Read;
    const std::filesystem::path parent = path.parent_path();
    return looking && (parent.empty() || fileSystem.kindOf(parent) == FileKind::Directory)
               ? ErrorCode::FileNotFound
               : ErrorCode::PathNotFound;
}

bool isDataAction(FileAction action) {
    return action == FileAction::Read || action == FileAction::Write || action == FileAction::Close;
}

bool isLookup(FileAction action) {
    return action == FileAction::Query || action == FileAction::Open ||
           action == FileAction::ChangeDirectory;
}

}  // namespace

ErrorCode codeForSystemError(FileSystem& fileSystem, std::error_code systemCode, FileAction action,
                             const std::filesystem::path& path) {
    using std::errc;
    const std::error_code error = normalisedError(systemCode, isLookup(action));
    if (error == errc::no_such_file_or_directory) {
        return missingEntry(fileSystem, action, path);
    }
    if (error == errc::not_a_directory) {
        return ErrorCode::PathNotFound;
    }
    if (error == errc::file_exists) {
        return action == FileAction::MakeDirectory ? ErrorCode::PathFileAccessError
                                                   : ErrorCode::FileAlreadyExists;
    }
    if (error == errc::permission_denied || error == errc::operation_not_permitted ||
        error == errc::read_only_file_system) {
        return ErrorCode::PermissionDenied;
    }
    if (error == errc::no_space_on_device || error == errc::file_too_large) {
        return ErrorCode::DiskFull;
    }
    if (error == errc::not_enough_memory) {
        return ErrorCode::OutOfMemory;
    }
    if (error == errc::too_many_files_open || error == errc::too_many_files_open_in_system) {
        return ErrorCode::TooManyFiles;
    }
    if (error == errc::io_error) {
        return ErrorCode::DeviceIoError;
    }
    // A directory where a file is expected, a name the system does not take, and whatever else
    // the system reports about a path.
    return isDataAction(action) ? ErrorCode::DeviceIoError : ErrorCode::PathFileAccessError;
}

RunError systemError(FileSystem& fileSystem, std::error_code error, FileAction action,
                     const std::filesystem::path& path) {
    return RunError(codeForSystemError(fileSystem, error, action, path),
                    std::string(actionName(action)) + " (" + error.message() + ")", path);
}

}  // namespace cvx
