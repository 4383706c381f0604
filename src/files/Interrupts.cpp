#include "Interrupts.h"

#include <algorithm>
#include <array>
#include <csignal>

#include "PathText.h"
#include "formats/RunError.h"

namespace cvx::interrupts {
namespace {

namespace fs = std::filesystem;

// The list, as a handler may read it: plain data in static storage, each entry marked as used
// only once its path is complete. A split completes all of its eleven files before the first
// takes its name, in a folder that it may have made.
struct PendingFile {
    std::array<fs::path::value_type, 4096> path;
    volatile std::sig_atomic_t used;
};
std::array<PendingFile, 16> g_pending{};

}  // namespace

void keep(const fs::path& path) {
    const auto& text = path.native();
    if (text.size() >= g_pending.front().path.size()) {
        throw RunError(ErrorCode::TooManyFiles,
                       "its temporary file's name is too long to be removed after an interrupt",
                       path, "write it to a folder with a shorter path");
    }
    for (PendingFile& pending : g_pending) {
        if (pending.used == 0) {
            std::copy(text.begin(), text.end(), pending.path.begin());
            pending.path[text.size()] = 0;
            pending.used = 1;
            return;
        }
    }
    throw RunError(ErrorCode::TooManyFiles,
                   "more files are being written at once than an interrupt could remove", path,
                   "this is a fault of the program; please report it");
}

void forget(const fs::path& path) noexcept {
    for (PendingFile& pending : g_pending) {
        if (pending.used != 0 && path.native() == pending.path.data()) {
            pending.used = 0;
        }
    }
}

void removeAll() noexcept {
    // A folder on the list is empty only once the files in it are gone.
    for (int round = 0; round < 2; ++round) {
        for (const PendingFile& pending : g_pending) {
            if (pending.used != 0) {
                removeNow(pending.path.data());
            }
        }
    }
}

}  // namespace cvx::interrupts
