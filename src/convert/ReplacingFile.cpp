#include "ReplacingFile.h"

#include <algorithm>
#include <array>
#include <csignal>
#include <random>
#include <string>

#include "PathText.h"
#include "formats/RunError.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <unistd.h>
#endif

namespace cvx {
namespace {

namespace fs = std::filesystem;

// The temporary files being written, for an interrupt: a signal handler may use nothing but
// plain data in static storage. A path too long for a slot is not kept; its file would stay.
struct PendingFile {
    std::array<fs::path::value_type, 4096> path;
    volatile std::sig_atomic_t used;
};
std::array<PendingFile, 4> g_pending{};

void keepPending(const fs::path& path) {
    const auto& text = path.native();
    for (PendingFile& pending : g_pending) {
        if (pending.used == 0 && text.size() < pending.path.size()) {
            std::copy(text.begin(), text.end(), pending.path.begin());
            pending.path[text.size()] = 0;
            pending.used = 1;
            return;
        }
    }
}

void forgetPending(const fs::path& path) {
    for (PendingFile& pending : g_pending) {
        if (pending.used != 0 && path.native() == pending.path.data()) {
            pending.used = 0;
        }
    }
}

#ifdef _WIN32
BOOL WINAPI removePendingOnInterrupt(DWORD) {
    for (const PendingFile& pending : g_pending) {
        if (pending.used != 0) {
            ::DeleteFileW(pending.path.data());
        }
    }
    return FALSE;  // the default handling ends the process
}

// Interrupts are taken by a thread of their own on Windows, which the list above is plain enough
// for; there is nothing to hold.
struct InterruptsHeld {
    InterruptsHeld() {}  // NOLINT(modernize-use-equals-default): a user-provided one is used
};
#else
constexpr int kInterrupts[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void removePendingOnInterrupt(int signal) {
    for (const PendingFile& pending : g_pending) {
        if (pending.used != 0) {
            ::unlink(pending.path.data());
        }
    }
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

// Holds interrupts back while a temporary file comes into being or goes, so that none finds the
// file there and the list without it.
class InterruptsHeld {
public:
    InterruptsHeld() {
        sigset_t interrupts;
        ::sigemptyset(&interrupts);
        for (const int signal : kInterrupts) {
            ::sigaddset(&interrupts, signal);
        }
        ::sigprocmask(SIG_BLOCK, &interrupts, &m_previous);
    }
    ~InterruptsHeld() { ::sigprocmask(SIG_SETMASK, &m_previous, nullptr); }
    InterruptsHeld(const InterruptsHeld&) = delete;
    InterruptsHeld& operator=(const InterruptsHeld&) = delete;

private:
    sigset_t m_previous;
};
#endif

// A hidden name beside the destination that no other run picks at the same time. The
// destination's own name goes into it only in part, so that a name as long as the file system
// allows still leaves room for the rest.
fs::path temporaryName(const fs::path& destination, std::mt19937& random) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string name = toText(destination.filename());
    std::size_t kept = std::min<std::size_t>(name.size(), 64);
    while (kept > 0 && (static_cast<unsigned char>(name[kept]) & 0xC0) == 0x80) {
        --kept;  // not inside a UTF-8 character
    }
    std::string hidden = ".";
    hidden += name.substr(0, kept);
    hidden += ".cvx-";
    for (int i = 0; i < 8; ++i) {
        hidden += kDigits[random() % 16];
    }
    hidden += ".tmp";
    fs::path temp = destination;
    temp.replace_filename(toPath(hidden));
    return temp;
}

// `error` as the user is told it: a failure of the temporary file `temp` as one of `destination`.
RunError toldAs(const RunError& error, const fs::path& temp, const fs::path& destination) {
    return error.file() == toText(temp)
               ? RunError(error.code(), error.detail(), toText(destination), error.remedy())
               : error;
}

}  // namespace

void ReplacingFile::removeTemporaryFilesOnInterrupt() {
#ifdef _WIN32
    ::SetConsoleCtrlHandler(removePendingOnInterrupt, TRUE);
#else
    // A signal that the process was started to ignore (nohup, a background job) stays ignored.
    for (const int signal : kInterrupts) {
        struct sigaction action {};
        if (::sigaction(signal, nullptr, &action) == 0 && action.sa_handler != SIG_IGN) {
            action.sa_handler = removePendingOnInterrupt;
            action.sa_flags = 0;
            ::sigemptyset(&action.sa_mask);
            ::sigaction(signal, &action, nullptr);
        }
    }
#endif
}

std::unique_ptr<ReplacingFile> ReplacingFile::create(FileSystem& fileSystem,
                                                     const fs::path& destination) {
    if (destination.filename().empty()) {
        throw RunError(ErrorCode::PathFileAccessError, "it does not name a file",
                       toText(destination), "give the name of the file to write");
    }
    const fs::path file = fileSystem.followLinks(destination);
    const FileKind kind = fileSystem.kindOf(file);
    switch (kind) {
        case FileKind::None:
            break;
        case FileKind::Regular:
            fileSystem.checkWritable(file);
            break;
        case FileKind::Directory:
        case FileKind::Other:
            throw RunError(ErrorCode::PathFileAccessError, "it is a folder or a device, not a file",
                           toText(destination), "give the name of the file to write");
    }

    static std::mt19937 random{std::random_device{}()};
    constexpr int kAttempts = 16;
    for (int attempt = 1;; ++attempt) {
        const fs::path tempPath = temporaryName(file, random);
        try {
            std::unique_ptr<ReplacingFile> replacing;
            {
                const InterruptsHeld held;
                std::unique_ptr<FileHandle> temp = fileSystem.createNew(tempPath);
                keepPending(tempPath);
                replacing.reset(new ReplacingFile(fileSystem, file, tempPath, std::move(temp)));
            }
            if (kind == FileKind::Regular) {
                fileSystem.copyPermissions(file, replacing->m_tempPath);
            }
            return replacing;
        } catch (const RunError& error) {
            if (error.code() != ErrorCode::FileAlreadyExists || attempt == kAttempts) {
                throw toldAs(error, tempPath, destination);
            }
        }
    }
}

ReplacingFile::ReplacingFile(FileSystem& fileSystem, fs::path destination, fs::path tempPath,
                             std::unique_ptr<FileHandle> temp)
    : m_fileSystem(fileSystem),
      m_destination(std::move(destination)),
      m_tempPath(std::move(tempPath)),
      m_temp(std::move(temp)) {}

ReplacingFile::~ReplacingFile() {
    discard();
}

template <typename Step>
auto ReplacingFile::onTemporary(Step step) {
    try {
        return step();
    } catch (const RunError& error) {
        throw toldAs(error, m_tempPath, m_destination);
    }
}

std::int64_t ReplacingFile::size() {
    return onTemporary([&] { return m_temp->size(); });
}

std::size_t ReplacingFile::readAt(std::int64_t offset, std::span<std::uint8_t> data) {
    return onTemporary([&] { return m_temp->readAt(offset, data); });
}

void ReplacingFile::write(std::span<const std::uint8_t> data) {
    onTemporary([&] { m_temp->write(data); });
}

void ReplacingFile::copyFrom(FileHandle& source, std::int64_t offset, std::int64_t length) {
    onTemporary([&] { m_temp->copyFrom(source, offset, length); });
}

void ReplacingFile::flush() {
    onTemporary([&] { m_temp->flush(); });
}

void ReplacingFile::commit() {
    if (m_finished) {
        throw RunError(ErrorCode::BadFileNumber, "it is closed", toText(m_destination));
    }
    try {
        onTemporary([&] {
            m_temp->flush();
            m_temp->close();
        });
        const InterruptsHeld held;
        m_fileSystem.rename(m_tempPath, m_destination);
        forgetPending(m_tempPath);
    } catch (...) {
        discard();
        throw;
    }
    m_finished = true;
}

void ReplacingFile::discard() noexcept {
    if (m_finished) {
        return;
    }
    m_finished = true;
    try {
        m_temp->close();
    } catch (...) {
        // The temporary file is removed below whether or not it closed cleanly.
    }
    const InterruptsHeld held;
    m_fileSystem.remove(m_tempPath);
    forgetPending(m_tempPath);
}

}  // namespace cvx
