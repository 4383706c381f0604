// cindervaxel-cli on Windows.

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/windows/WideCommandLine.h"
#include "files/Interrupts.h"

// The narrow arguments of main() come in the Windows code page, not in the UTF-8 that paths
// travel in through this program, so a model called "Drache-ä.p" would not be found. The wide
// arguments are exact.
int wmain(int argc, wchar_t** argv) {
    // Output is compared byte for byte by scripts: no CR LF translation.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    cvx::interrupts::install();
    return cvx::runWideCommandLine(std::vector<std::wstring>(argv + 1, argv + argc), stdout,
                                   stderr);
}
