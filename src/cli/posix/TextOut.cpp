// Text output on POSIX systems: terminals take UTF-8 as it is.

#include "cli/TextOut.h"

namespace cvx {

void writeText(std::FILE* stream, std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}

}  // namespace cvx
