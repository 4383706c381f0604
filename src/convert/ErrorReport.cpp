#include "ErrorReport.h"

#include <exception>
#include <new>

#include "files/PathText.h"

namespace cvx {

const char* usualRemedy(ErrorCode code) {
    switch (code) {
        case ErrorCode::InvalidArgument:
            return "give it a name with an extension, such as robot.p";
        case ErrorCode::Overflow:
        case ErrorCode::SubscriptOutOfRange:
        case ErrorCode::InputPastEndOfFile:
            return "check that it is the right file, complete and undamaged";
        case ErrorCode::OutOfMemory:
        case ErrorCode::TooManyFiles:
            return "close other programs and try again";
        case ErrorCode::InternalError:
        case ErrorCode::BadFileNumber:
        case ErrorCode::FileAlreadyOpen:
            return "this is a fault of the program; please report it";
        case ErrorCode::FileNotFound:
        case ErrorCode::PathNotFound:
            return "check the path";
        case ErrorCode::DeviceIoError:
            return "check the disk and try again";
        case ErrorCode::FileAlreadyExists:
            return "remove the temporary files (.*.cvx-*.tmp) beside it and try again";
        case ErrorCode::BadFileName:
            return "give the name of one file";
        case ErrorCode::DiskFull:
            return "free some space on the disk (or raise the file-size limit) and try again";
        case ErrorCode::PermissionDenied:
            return "make the file and its folder writable (or choose another place) and try again";
        case ErrorCode::PathFileAccessError:
            return "check that the path names a file, not a folder";
    }
    return "try again";
}

std::string runCommand(const std::string& command, const std::filesystem::path& file) {
    return "run cindervaxel-cli " + command + " " + commandArgument(file);
}

std::string detailLine(const std::filesystem::path& file, const std::string& cause,
                       const std::string& remedy) {
    return (file.empty() ? "" : toText(file) + ": ") + cause + ": " + remedy;
}

std::string detailLine(const RunError& error) {
    return detailLine(error.file(), error.detail(),
                      error.remedy().empty() ? usualRemedy(error.code()) : error.remedy());
}

Failure currentFailure(ErrorCode expected) {
    try {
        throw;
    } catch (const RunError& error) {
        return {Failure::Kind::Error, error, expected, {}};
    } catch (const std::bad_alloc&) {
        return {Failure::Kind::Error,
                RunError(ErrorCode::OutOfMemory, "not enough memory for the run"),
                expected,
                {}};
    } catch (const std::exception& error) {
        return {
            Failure::Kind::Error, RunError(ErrorCode::InternalError, error.what()), expected, {}};
    }
}

}  // namespace cvx
