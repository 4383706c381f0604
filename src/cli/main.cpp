#include <cstdio>
#include <string>
#include <vector>

#include "CommandLine.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
    // Output is compared byte for byte by scripts: no CR LF translation.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    const std::vector<std::string> args(argv + 1, argv + argc);
    return cvx::runCommandLine(args, stdout, stderr);
}
