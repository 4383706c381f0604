// Change notifications on Linux: inotify, with an eventfd beside it that stop() writes to, and
// poll() sleeping on both.

#include "files/FolderWatch.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>
#include <system_error>

#include "files/PathText.h"
#include "files/SystemErrors.h"

namespace cvx {

namespace fs = std::filesystem;

namespace {

// A save by rename shows as IN_MOVED_TO, truncate-then-write as IN_MODIFY, a file removed and
// made again as IN_DELETE and IN_CREATE; `touch` as IN_ATTRIB. Reads (IN_ACCESS) are left out:
// a join reads every file it watches.
constexpr std::uint32_t kChanges = IN_CREATE | IN_DELETE | IN_MODIFY | IN_ATTRIB | IN_MOVED_FROM |
                                   IN_MOVED_TO | IN_CLOSE_WRITE | IN_DELETE_SELF | IN_MOVE_SELF;

RunError watchError(int error, const fs::path& folder) {
    const std::error_code code(error, std::generic_category());
    if (error == ENOSPC || error == EMFILE) {
        // ENOSPC: not a full disk, the limit of watches (fs.inotify.max_user_watches).
        return RunError(ErrorCode::TooManyFiles,
                        "cannot watch it for changes: the system's limit of watches is reached",
                        folder, "end other programs that watch folders, or raise the limit");
    }
    return RunError(
        codeForSystemError(nativeFileSystem(), code, FileAction::ChangeDirectory, folder),
        "cannot watch it for changes (" + code.message() + ")", folder);
}

}  // namespace

FileStamp fileStamp(const fs::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return {};
    }
    return {true, static_cast<std::int64_t>(st.st_size),
            static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec,
            static_cast<std::uint64_t>(st.st_ino)};
}

struct FolderWatch::Native {
    int changes = -1, stopper = -1;
    ~Native() {
        for (const int fd : {changes, stopper}) {
            if (fd >= 0) {
                ::close(fd);
            }
        }
    }
};

FolderWatch::FolderWatch(const fs::path& folder)
    : m_folder(folder), m_native(std::make_unique<Native>()) {
    m_native->changes = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    m_native->stopper = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (m_native->changes < 0 || m_native->stopper < 0 ||
        ::inotify_add_watch(m_native->changes, folder.c_str(), kChanges | IN_ONLYDIR) < 0) {
        throw watchError(errno, folder);
    }
}

FolderWatch::~FolderWatch() = default;

std::optional<std::vector<fs::path>> FolderWatch::wait(std::chrono::milliseconds timeout) {
    pollfd fds[] = {{m_native->stopper, POLLIN, 0}, {m_native->changes, POLLIN, 0}};
    int ready = 0;
    do {
        ready = ::poll(fds, 2, static_cast<int>(timeout.count()));
    } while (ready < 0 && errno == EINTR);
    if (ready < 0) {
        throw watchError(errno, m_folder);
    }
    if (fds[0].revents != 0) {
        return std::nullopt;  // left unread, so that every later wait ends at once too
    }
    std::vector<fs::path> names;
    alignas(inotify_event) char buffer[16 * 1024];
    for (;;) {
        const ssize_t length = ::read(m_native->changes, buffer, sizeof buffer);
        if (length < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                return names;
            }
            if (errno != EINTR) {
                throw watchError(errno, m_folder);
            }
            continue;
        }
        for (ssize_t at = 0; at < length;) {
            inotify_event event;
            std::memcpy(&event, buffer + at, sizeof event);
            const char* name = buffer + at + sizeof event;
            at += static_cast<ssize_t>(sizeof event + event.len);
            if ((event.mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED | IN_UNMOUNT)) != 0) {
                throw RunError(ErrorCode::PathNotFound,
                               "the folder was removed or moved while it was watched", m_folder,
                               "start the watch again on the folder's new place");
            }
            // No name: the folder itself changed, or the queue overflowed and changes were lost.
            fs::path changed = event.len > 0 ? fs::path(name) : fs::path();
            if (std::find(names.begin(), names.end(), changed) == names.end()) {
                names.push_back(std::move(changed));
            }
        }
    }
}

void FolderWatch::stop() noexcept {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(m_native->stopper, &one, sizeof one);
}

}  // namespace cvx
