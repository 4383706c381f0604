#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace cvx {

// Runs the command line as Windows gives it, in UTF-16, as runCommandLine does. An argument that
// is not valid UTF-16 (a lone surrogate, which file names on Windows may hold) is a bad command
// line: it is named on `err` and the status is 2.
int runWideCommandLine(const std::vector<std::wstring>& args, std::FILE* out, std::FILE* err);

}  // namespace cvx
