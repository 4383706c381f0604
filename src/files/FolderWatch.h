#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

// Change notifications for the entries of one folder, from the system itself: inotify on Linux
// (posix/FolderWatch.cpp), ReadDirectoryChangesW on Windows (windows/FolderWatch.cpp), one of
// which the build takes. While nothing changes, the process sleeps in the kernel.
//
// An interrupt (Ctrl-C, SIGTERM, SIGHUP; Ctrl-Break and the console's closing on Windows) needs
// nothing from a watch: the handler of Interrupts.h removes the temporary file of a join that is
// being written and ends the process as the signal asks, also in the middle of a wait. A watch
// holds nothing that must be written out: the system closes its handles. stop() is for a thread
// of the program itself that wants a wait to end.
namespace cvx {

// What tells one state of a file from another, as finely as the system keeps it: whether it is
// there, its length, the time of its last change (nanoseconds on Linux, 100 ns on Windows: the
// standard library's clock there counts whole seconds) and, where the system has one, its file
// number, which a save by rename changes.
struct FileStamp {
    bool there = false;
    std::int64_t length = 0, time = 0;
    std::uint64_t id = 0;
    bool operator==(const FileStamp&) const = default;
};

// Returns the stamp of the file `path`; one that is not there when it cannot be looked up.
FileStamp fileStamp(const std::filesystem::path& path);

class FolderWatch {
public:
    // A wait without a limit.
    static constexpr std::chrono::milliseconds kForever{-1};

    // Starts watching the folder `folder`: changes from here on are kept until wait() takes them.
    // Throws RunError naming the folder when the system refuses (76 when it is not there, 70
    // without permission, 67 when the system's limit of watches is reached).
    explicit FolderWatch(const std::filesystem::path& folder);
    ~FolderWatch();
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    const std::filesystem::path& folder() const { return m_folder; }

    // Waits up to `timeout` (kForever: without a limit) for entries of the folder to be made,
    // written, truncated, renamed, removed or touched, and returns the names of those that
    // changed, without the folder; an empty name among them when the system lost track (too many
    // changes at once), so that any entry may have changed. Returns no names when the time ran
    // out, and nothing at all once stop() was called. Throws RunError when the folder itself is
    // removed or moved, or the system fails.
    std::optional<std::vector<std::filesystem::path>> wait(std::chrono::milliseconds timeout);

    // Ends the wait that is going on, and every later one; may be called from any thread.
    void stop() noexcept;

private:
    struct Native;
    std::filesystem::path m_folder;
    std::unique_ptr<Native> m_native;
};

}  // namespace cvx
