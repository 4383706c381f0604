// Interrupts on POSIX systems: SIGINT, SIGTERM and SIGHUP remove the temporary files being
// written, then end the process as the signal asks.

#include "files/Interrupts.h"

#include <signal.h>
#include <unistd.h>

namespace cvx::interrupts {
namespace {

constexpr int kInterrupts[] = {SIGINT, SIGTERM, SIGHUP};

// Async-signal-safe: removeAll() (see Interrupts.h; unlink() and rmdir() are safe), then signal()
// and raise(), which POSIX lists as safe, to end the process with the default action of the signal.
extern "C" void onInterrupt(int signal) {
    removeAll();
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

int g_holds = 0;
sigset_t g_beforeHold;

}  // namespace

void install() {
    for (const int signal : kInterrupts) {
        struct sigaction action {};
        if (::sigaction(signal, nullptr, &action) == 0 && action.sa_handler != SIG_IGN) {
            action.sa_handler = onInterrupt;
            action.sa_flags = 0;
            ::sigemptyset(&action.sa_mask);
            ::sigaction(signal, &action, nullptr);
        }
    }
    // A write past the file-size limit (RLIMIT_FSIZE) raises SIGXFSZ, which by default ends the
    // process in the middle of the write: the run could neither report it nor remove its
    // temporary file. Ignored, the write fails with EFBIG, reported as code 61 and tidied up like
    // a full disk. A handler that the program installed itself stays.
    struct sigaction current {};
    if (::sigaction(SIGXFSZ, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        ::sigemptyset(&ignore.sa_mask);
        ::sigaction(SIGXFSZ, &ignore, nullptr);
    }
}

Held::Held() {
    if (g_holds++ == 0) {
        sigset_t interrupts;
        ::sigemptyset(&interrupts);
        for (const int signal : kInterrupts) {
            ::sigaddset(&interrupts, signal);
        }
        ::sigprocmask(SIG_BLOCK, &interrupts, &g_beforeHold);
    }
}

Held::~Held() {
    if (--g_holds == 0) {
        ::sigprocmask(SIG_SETMASK, &g_beforeHold, nullptr);
    }
}

void removeNow(const char* path) noexcept {
    if (::unlink(path) != 0) {
        ::rmdir(path);  // a folder, removed when it is empty
    }
}

}  // namespace cvx::interrupts
