#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "Command.h"
#include "files/WatchedFiles.h"

namespace cvx {

// `cindervaxel-cli join --watch`: joins a set into its model once, and again each time its files
// have changed and the writes have settled, until the program is interrupted. Each rebuild is
// one line on `out`: the time, which files changed and how long the join took. A set that does
// not fit keeps the last good model; its problems go to `err` once, as `check` names them, and
// the watch waits for the next change. A watch that can never join (an INDEX or a DEST that join
// refuses, which no save to the set mends) ends at once.
class JoinWatch {
public:
    struct Options {
        bool recount = false;      // brings header.bin and the index up to date first
        bool checkLengths = true;  // refuses a set whose lengths do not fit
        bool force = false;        // as join --force: replaces a DEST that holds other work
        bool sync = false;         // as join --sync
    };

    // How long the files must be left alone before a rebuild.
    static constexpr std::chrono::milliseconds kQuiet{150};

    // Takes INDEX and DEST against the current directory and starts watching INDEX's folder.
    // Throws RunError when the folder cannot be watched.
    JoinWatch(const std::filesystem::path& index, const std::filesystem::path& dest,
              Options options, std::FILE* out, std::FILE* err);

    // Joins, then waits and joins again after each change. Returns only after stop(), or when
    // the join is refused at the start or the folder can no longer be watched (the message
    // shown): the exit status.
    ExitStatus run();

    // Makes run() return; may be called from any thread.
    void stop() { m_files->watch().stop(); }

private:
    // One rebuild after `changed` (empty: the first).
    void rebuild(const std::vector<std::filesystem::path>& changed);
    void line(const std::string& text);

    std::filesystem::path m_index, m_dest;
    Options m_options;
    std::FILE* m_out;
    std::FILE* m_err;
    std::unique_ptr<WatchedFiles> m_files;
    bool m_wroteDest = false;  // DEST is the model that this watch wrote
};

}  // namespace cvx
