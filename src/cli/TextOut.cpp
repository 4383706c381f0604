#include "TextOut.h"

#include <cerrno>
#include <cstdarg>
#include <map>
#include <mutex>

namespace cvx {
namespace {

// The first failure of each stream written to, until writeFailure takes it; streams are written
// from more than one thread, so the table is shared under a lock.
std::mutex failuresLock;
std::map<std::FILE*, std::error_code> failures;

}  // namespace

void writeError(std::FILE* stream, std::string_view text, std::optional<ErrorCode> code) {
    std::string message = "cindervaxel-cli: " + std::string(text) + "\n";
    if (code) {
        message += "Error Code: " + std::to_string(codeNumber(*code)) + "\n";
    }
    writeText(stream, message);
}

void writeBytes(std::FILE* stream, std::string_view text) {
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), stream) != text.size() ||
        std::fflush(stream) != 0) {
        keepWriteFailure(stream, errno != 0 ? std::error_code(errno, std::generic_category())
                                            : std::make_error_code(std::errc::io_error));
    }
}

std::error_code writeFailure(std::FILE* stream) {
    const std::lock_guard lock(failuresLock);
    const auto found = failures.find(stream);
    if (found == failures.end()) {
        return {};
    }
    const std::error_code failure = found->second;
    failures.erase(found);
    return failure;
}

void keepWriteFailure(std::FILE* stream, std::error_code failure) {
    const std::lock_guard lock(failuresLock);
    failures.try_emplace(stream, failure);
}

std::string format(const char* pattern, ...) {
    std::va_list args, again;
    va_start(args, pattern);
    va_copy(again, args);
    const int size = std::vsnprintf(nullptr, 0, pattern, args);
    va_end(args);
    std::string text(size > 0 ? static_cast<std::size_t>(size) : 0, '\0');
    std::vsnprintf(text.data(), text.size() + 1, pattern, again);
    va_end(again);
    return text;
}

}  // namespace cvx
