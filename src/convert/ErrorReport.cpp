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

Cause causeOf(ErrorCode code) {
    switch (code) {
        case ErrorCode::InvalidArgument:
            return {"No Extension", "The file's name has no extension."};
        case ErrorCode::Overflow:
            return {"Count Too Large", "A count or length leaves the range of a model."};
        case ErrorCode::OutOfMemory:
            return {"Out of Memory", "There is not enough memory for the run."};
        case ErrorCode::SubscriptOutOfRange:
            return {"Count Below 0", "A count is below 0."};
        case ErrorCode::BadFileNumber:
            return {"File Not in the Set", "A file that the set needs is not in it."};
        case ErrorCode::FileNotFound:
        case ErrorCode::PathNotFound:
            return {"File Not Found", "There is no such file."};
        case ErrorCode::DeviceIoError:
            return {"Disk Error", "The disk could not read or write a file."};
        case ErrorCode::FileAlreadyExists:
            return {"Files in the Way", "Files of the same name are in the way."};
        case ErrorCode::DiskFull:
            return {"Disk Full", "There is no room left for the file."};
        case ErrorCode::InputPastEndOfFile:
            return {"File Cut Short", "A file is shorter than the bytes it must give."};
        case ErrorCode::BadFileName:
            return {"Not a File Name", "A name holds * or ?."};
        case ErrorCode::TooManyFiles:
            return {"Too Many Files Open", "Too many files are open."};
        case ErrorCode::PermissionDenied:
            return {"Permission Denied", "A file or its folder may not be written or read."};
        case ErrorCode::PathFileAccessError:
            return {"Wrong Kind of File", "A file is not of the kind needed here."};
        case ErrorCode::InternalError:
        case ErrorCode::FileAlreadyOpen:
            break;
    }
    return {kErrorTitle, nullptr};
}

std::string runCommand(const std::string& command, const std::filesystem::path& file) {
    return "run cindervaxel-cli " + command + " " + commandArgument(file);
}

std::string unknownErrorText(ErrorCode code) {
    return "An unkown Error has occured!\r\nError Code: " + std::to_string(codeNumber(code));
}

std::string detailLine(const std::filesystem::path& file, const std::string& cause,
                       const std::string& remedy) {
    return (file.empty() ? "" : toText(file) + ": ") + cause + ": " + remedy;
}

std::string detailLine(const RunError& error) {
    return detailLine(error.file(), error.detail(),
                      error.remedy().empty() ? usualRemedy(error.code()) : error.remedy());
}

void reportError(UserInterface& ui, const RunError& error, ErrorCode expected) {
    const Cause cause = causeOf(error.code());
    const std::string text = error.code() == expected ? kFileDoesNotExist
                             : cause.heading
                                 ? std::string(cause.heading) +
                                       "\r\nError Code: " + std::to_string(codeNumber(error.code()))
                                 : unknownErrorText(error.code());
    ui.ShowMessage({text, cause.title, detailLine(error), error.code()});
}

void handleOperationError(UserInterface& ui, ErrorCode expected) {
    try {
        throw;
    } catch (const RunError& error) {
        reportError(ui, error, expected);
    } catch (const std::bad_alloc&) {
        reportError(ui, RunError(ErrorCode::OutOfMemory, "not enough memory for the run"),
                    expected);
    } catch (const std::exception& error) {
        reportError(ui, RunError(ErrorCode::InternalError, error.what()), expected);
    }
}

}  // namespace cvx
