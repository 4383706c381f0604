// Interrupts on Windows: Ctrl-C, Ctrl-Break and the closing of the console remove the temporary
// files being written, then the default handling ends the process.

#include "files/Interrupts.h"

#include <windows.h>

namespace cvx::interrupts {
namespace {

// Windows runs it on a thread of its own, which may read the list as a signal handler would.
BOOL WINAPI onConsoleEvent(DWORD) {
    removeAll();
    return FALSE;  // the default handling ends the process
}

}  // namespace

void install() {
    ::SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

// The handler's thread reads only entries marked complete: there is nothing to hold back.
Held::Held() = default;
Held::~Held() = default;

void removeNow(const wchar_t* path) noexcept {
    if (!::DeleteFileW(path)) {
        ::RemoveDirectoryW(path);  // a folder, removed when it is empty
    }
}

}  // namespace cvx::interrupts
