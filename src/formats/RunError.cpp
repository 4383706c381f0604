#include "RunError.h"

#include <utility>

namespace cvx {

const char* codeName(ErrorCode code) {
    switch (code) {
        case ErrorCode::InvalidArgument:
            return "invalid argument";
        case ErrorCode::Overflow:
            return "overflow";
        case ErrorCode::OutOfMemory:
            return "out of memory";
        case ErrorCode::SubscriptOutOfRange:
            return "subscript out of range";
        case ErrorCode::InternalError:
            return "internal error";
        case ErrorCode::BadFileNumber:
            return "bad file number";
        case ErrorCode::FileNotFound:
            return "file not found";
        case ErrorCode::FileAlreadyOpen:
            return "file already open";
        case ErrorCode::DeviceIoError:
            return "device I/O error";
        case ErrorCode::FileAlreadyExists:
            return "file already exists";
        case ErrorCode::DiskFull:
            return "disk full";
        case ErrorCode::InputPastEndOfFile:
            return "input past end of file";
        case ErrorCode::TooManyFiles:
            return "too many files";
        case ErrorCode::PermissionDenied:
            return "permission denied";
        case ErrorCode::PathFileAccessError:
            return "path/file access error";
        case ErrorCode::PathNotFound:
            return "path not found";
    }
    return "unknown error";
}

RunError::RunError(ErrorCode code, const std::string& detail, std::string file, std::string remedy)
    : std::runtime_error(std::to_string(codeNumber(code)) + " (" + codeName(code) +
                         "): " + (file.empty() ? "" : file + ": ") + detail),
      m_code(code),
      m_detail(detail),
      m_file(std::move(file)),
      m_remedy(std::move(remedy)) {}

RunError RunError::about(const std::string& file, const std::string& remedy) const {
    return RunError(m_code, m_detail, m_file.empty() ? file : m_file,
                    remedy.empty() ? m_remedy : remedy);
}

}  // namespace cvx
