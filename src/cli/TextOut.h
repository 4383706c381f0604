#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace cvx {

// Everything that the command-line tool prints goes through here. `text` is UTF-8; a stream that
// goes to a file or a pipe gets its bytes unchanged, and a console shows its characters as they
// are meant (each platform's TextOut.cpp says how).
void writeText(std::FILE* stream, std::string_view text);

// Returns the text that printf would print for `pattern` and its arguments.
[[gnu::format(printf, 1, 2)]] std::string format(const char* pattern, ...);

}  // namespace cvx
