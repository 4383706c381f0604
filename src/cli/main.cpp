#include <cstdio>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "convert/ReplacingFile.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

// The narrow arguments of main() come in the Windows code page, not in the UTF-8 that paths
// travel in through this program, so a model called "Drache-ä.p" would not be found. The wide
// arguments are exact.
int wmain(int argc, wchar_t** argv) {
    // Output is compared byte for byte by scripts: no CR LF translation.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    cvx::ReplacingFile::removeTemporaryFilesOnInterrupt();
    return cvx::runWideCommandLine(std::vector<std::wstring>(argv + 1, argv + argc), stdout,
                                   stderr);
}
#else
int main(int argc, char** argv) {
    cvx::ReplacingFile::removeTemporaryFilesOnInterrupt();
    return cvx::runCommandLine(std::vector<std::string>(argv + 1, argv + argc), stdout, stderr);
}
#endif
