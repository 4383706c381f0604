#pragma once

#include <filesystem>

// When the program is interrupted in the middle of writing (Ctrl-C, SIGTERM or SIGHUP; a console
// event on Windows), the temporary files being written are removed before it ends, so that every
// output is as before or complete, as after any other failure.
//
// Interrupts.cpp keeps the list of those files, the same on every platform; each platform's part
// (posix/Interrupts.cpp, windows/Interrupts.cpp, one of which the build takes) installs the
// handler that goes through it.
namespace cvx::interrupts {

// Installs the handlers; the program's start calls it once. A signal that the process was
// started to ignore (nohup, a background job) stays ignored. On POSIX systems a write past the
// file-size limit then fails (code 61) instead of ending the process in the middle of it.
void install();

// Puts the file `path` on the list that an interrupt removes; a folder on it is removed after the
// files, when it is empty. Throws RunError(TooManyFiles, code
// 67) when the list is full or the path too long for it: rather than make a file that an
// interrupt would leave behind, the caller makes none.
void keep(const std::filesystem::path& path);

// Takes `path` off the list.
void forget(const std::filesystem::path& path) noexcept;

// Holds interrupts back while it lives, so that none finds a temporary file made and not yet on
// the list, or gone and still on it. Holds may nest.
class Held {
public:
    Held();
    ~Held();
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
};

// Between the two parts. removeAll() removes every file on the list, then the folders that are
// empty by then; removeNow() removes one file or empty folder, named by a string that ends in 0,
// and is the platform's. Both are async-signal-safe: they read
// plain data in static storage and make one system call per file, nothing else.
void removeAll() noexcept;
void removeNow(const std::filesystem::path::value_type* path) noexcept;

}  // namespace cvx::interrupts
