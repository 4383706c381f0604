#include <cstdio>
#include <string>
#include <vector>

#include "CommandLine.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include <filesystem>

#include "convert/PathText.h"

// The narrow arguments of main() come in the Windows code page, not in the UTF-8 that paths
// travel in through this program, so a model called "Drache-ä.p" would not be found. The wide
// arguments are exact; they become UTF-8 here.
int wmain(int argc, wchar_t** argv) {
    // Output is compared byte for byte by scripts: no CR LF translation.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        args.push_back(cvx::toText(std::filesystem::path(argv[i])));
    }
    return cvx::runCommandLine(args, stdout, stderr);
}
#else
int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return cvx::runCommandLine(args, stdout, stderr);
}
#endif
