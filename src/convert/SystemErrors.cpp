#include "SystemErrors.h"

#include <cerrno>
#include <string>

#include "PathText.h"

#ifdef _WIN32
#include <windows.h>
#endif

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
    }
    return "cannot use it";
}

// A missing entry: the file is missing when its directory exists, else the path is.
ErrorCode missingEntry(FileAction action, const std::filesystem::path& path) {
    switch (action) {
        case FileAction::Open:
        case FileAction::Query:
        case FileAction::Read: {
            std::error_code ignored;
            const std::filesystem::path parent = path.parent_path();
            const bool parentExists =
                parent.empty() || std::filesystem::is_directory(parent, ignored);
            return parentExists ? ErrorCode::FileNotFound : ErrorCode::PathNotFound;
        }
        case FileAction::Create:
        case FileAction::Write:
        case FileAction::Close:
        case FileAction::Rename:
        case FileAction::ChangeDirectory:
        case FileAction::MakeDirectory:
            return ErrorCode::PathNotFound;
    }
    return ErrorCode::PathNotFound;
}

bool isDataAction(FileAction action) {
    return action == FileAction::Read || action == FileAction::Write || action == FileAction::Close;
}

#ifdef _WIN32
bool isLookup(FileAction action) {
    return action == FileAction::Query || action == FileAction::Open ||
           action == FileAction::ChangeDirectory;
}
#endif

}  // namespace

ErrorCode codeForSystemError(std::error_code error, FileAction action,
                             const std::filesystem::path& path) {
    using std::errc;
    if (error == errc::no_such_file_or_directory) {
        return missingEntry(action, path);
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
#ifdef EDQUOT
    if (error.default_error_condition() == std::error_condition(EDQUOT, std::generic_category())) {
        return ErrorCode::DiskFull;
    }
#endif
    if (error == errc::not_enough_memory) {
        return ErrorCode::OutOfMemory;
    }
    if (error == errc::too_many_files_open || error == errc::too_many_files_open_in_system) {
        return ErrorCode::TooManyFiles;
    }
    if (error == errc::io_error) {
        return ErrorCode::DeviceIoError;
    }
#ifdef _WIN32
    // A name that Windows does not take ("C:\models\*.p") is an invalid argument to the C library
    // and an invalid name to the system, which the standard library counts as a missing entry;
    // looking it up finds nothing, as on POSIX systems, where such a name is merely absent.
    if (error == errc::invalid_argument && isLookup(action)) {
        return missingEntry(action, path);
    }
    // A file that another program holds open: the C library reports "permission denied" when
    // opening it, the system a sharing or lock violation when replacing it. The same code for both.
    if (error.category() == std::system_category() &&
        (error.value() == ERROR_SHARING_VIOLATION || error.value() == ERROR_LOCK_VIOLATION)) {
        return ErrorCode::PermissionDenied;
    }
#endif
    // A directory where a file is expected, a name the system does not take, and whatever else
    // the system reports about a path.
    return isDataAction(action) ? ErrorCode::DeviceIoError : ErrorCode::PathFileAccessError;
}

RunError systemError(std::error_code error, FileAction action, const std::filesystem::path& path) {
    return RunError(codeForSystemError(error, action, path),
                    std::string(actionName(action)) + " (" + error.message() + ")", toText(path));
}

}  // namespace cvx
