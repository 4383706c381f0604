#include "Messages.h"

#include "ErrorReport.h"

namespace cvx {

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

std::string unknownErrorText(ErrorCode code) {
    return "An unkown Error has occured!\r\nError Code: " + std::to_string(codeNumber(code));
}

Message messageOf(const Failure& failure) {
    const RunError& error = failure.error;
    switch (failure.kind) {
        case Failure::Kind::SectionMissing:
            return {"The File '" + failure.section + "' does not exists! Model can't be assembled!",
                    "File Missing!", detailLine(error), error.code()};
        case Failure::Kind::LengthDiffers:
            return {"The Filelength of '" + failure.section + "' does not match!", "Filelength",
                    detailLine(error), std::nullopt};
        case Failure::Kind::Error:
            break;
    }
    const Cause cause = causeOf(error.code());
    const std::string text = error.code() == failure.expected ? kFileDoesNotExist
                             : cause.heading
                                 ? std::string(cause.heading) +
                                       "\r\nError Code: " + std::to_string(codeNumber(error.code()))
                                 : unknownErrorText(error.code());
    return {text, cause.title, detailLine(error), error.code()};
}

void report(UserInterface& ui, const Failure& failure) {
    ui.ShowMessage(messageOf(failure));
}

}  // namespace cvx
