#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace cvx {

// Runs the command line `args` (without the program name) of cindervaxel-cli and returns the
// exit status (ExitStatus in Command.h): 0 when the operation ran to its end without a message, 1
// when it showed one, 2 for a bad command line, 3 when a join found a section file whose length
// differs from the index. Output goes to `out` and `err`.
int runCommandLine(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

}  // namespace cvx
