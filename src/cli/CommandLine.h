#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace cvx {

// Runs the command line `args` (without the program name) of cindervaxel-cli and returns the
// exit status: 0 when the operation ran to its end without a message, 1 when it showed one, 2 for
// a bad command line, 3 when the operation ended the program. Output goes to `out` and `err`.
int runCommandLine(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

#ifdef _WIN32
// The same for the command line as Windows gives it, in UTF-16. An argument that is not valid
// UTF-16 (a lone surrogate, which file names on Windows may hold) is a bad command line: it is
// named on `err` and the status is 2.
int runWideCommandLine(const std::vector<std::wstring>& args, std::FILE* out, std::FILE* err);
#endif

}  // namespace cvx
