// Text output on POSIX systems: terminals take UTF-8 as it is.

#include "cli/TextOut.h"

namespace cvx {

void writeText(std::FILE* stream, std::string_view text) {
    writeBytes(stream, text);
}

}  // namespace cvx
