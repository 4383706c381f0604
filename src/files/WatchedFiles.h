#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <vector>

#include "FolderWatch.h"

namespace cvx {

// Some files of one folder, watched for changes that have settled: a save by an editor comes as
// a burst of notifications (write, truncate, rename, remove and make again), and a rebuild should
// see only the last state. Each file is known by whether it is there, its length and its time of
// last change (FileStamp); only a file that differs from what was last noted counts as changed. The
// program's own writes to the files (a recount) are noted after them, and notifications of other
// entries of the folder (the model that a join writes there, through a temporary file) count for
// nothing.
class WatchedFiles {
public:
    // Starts watching `names` in `folder` and notes them as they are now. Throws as FolderWatch
    // does.
    WatchedFiles(const std::filesystem::path& folder, std::vector<std::filesystem::path> names,
                 std::chrono::milliseconds quiet);

    // Waits up to `timeout` (FolderWatch::kForever: without a limit) for a change of one of the
    // files, then until none of them has been notified for the quiet time; returns those that
    // differ from what was last noted, in the order they were given, and notes them as they are
    // now. Returns no names when the time ran out first, nothing at all once stop() was called.
    std::optional<std::vector<std::filesystem::path>> next(std::chrono::milliseconds timeout);

    // Notes the files `names` (all, when none are given) as they are now: what changed in them up
    // to here is not reported.
    void note(const std::vector<std::filesystem::path>& names = {});

    FolderWatch& watch() { return m_watch; }

private:
    bool watched(const std::filesystem::path& name) const;

    FolderWatch m_watch;
    std::vector<std::filesystem::path> m_names;
    std::vector<FileStamp> m_noted;
    std::chrono::milliseconds m_quiet;
};

}  // namespace cvx
