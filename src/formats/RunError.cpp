#include "RunError.h"

#include <utility>

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

RunError::RunError(ErrorCode code, const std::string& detail, std::filesystem::path file,
                   Remedy remedy)
    : std::runtime_error(std::to_string(codeNumber(code)) + ": " + detail),
      m_code(code),
      m_detail(detail),
      m_file(std::move(file)),
      m_remedy(std::move(remedy)) {}

RunError RunError::about(const std::filesystem::path& file, const Remedy& remedy) const {
    return RunError(m_code, m_detail, m_file.empty() ? file : m_file,
                    remedy.empty() ? m_remedy : remedy);
}

}  // namespace cvx
