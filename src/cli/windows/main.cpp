// cindervaxel-cli on Windows.

#include <conio.h>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/TextOut.h"
#include "cli/windows/WideCommandLine.h"
#include "files/Interrupts.h"

namespace {

// Explorer starts a console program (a double-click, a file dropped on it) in a console of its
// own, which closes the moment the program ends. Scripts and other programs share their console,
// or hand the program pipes and files.
bool inConsoleOfItsOwn() {
    DWORD processes[2];
    DWORD mode = 0;
    return ::GetConsoleProcessList(processes, 2) == 1 &&
           ::GetConsoleMode(::GetStdHandle(STD_INPUT_HANDLE), &mode) != 0 &&
           ::GetConsoleMode(::GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

}  // namespace

// The narrow arguments of main() come in the Windows code page, not in the UTF-8 that paths
// travel in through this program, so a model called "Drache-ä.p" would not be found. The wide
// arguments are exact.
int wmain(int argc, wchar_t** argv) {
    // Output is compared byte for byte by scripts: no CR LF translation.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    cvx::interrupts::install();
    std::vector<std::wstring> args(argv + 1, argv + argc);
    const bool ownConsole = inConsoleOfItsOwn();
    // Started from Explorer with nothing to do, it says what it does rather than that no
    // command was given, and leaves the window open until it was read.
    if (ownConsole && args.empty()) {
        args.emplace_back(L"--help");
    }
    const int status = cvx::runWideCommandLine(args, stdout, stderr);
    if (ownConsole) {
        cvx::writeText(stdout, "\nPress any key to close this window.");
        _getwch();
    }
    return status;
}
