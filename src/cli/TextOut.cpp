#include "TextOut.h"

#include <cstdarg>

namespace cvx {

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
