#include "WatchedFiles.h"

#include <algorithm>
#include <utility>

namespace cvx {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

WatchedFiles::WatchedFiles(const fs::path& folder, std::vector<fs::path> names, milliseconds quiet)
    : m_watch(folder), m_names(std::move(names)), m_quiet(quiet) {
    note();
}

void WatchedFiles::note(const std::vector<fs::path>& names) {
    m_noted.resize(m_names.size());
    for (std::size_t i = 0; i < m_names.size(); ++i) {
        if (names.empty() || std::find(names.begin(), names.end(), m_names[i]) != names.end()) {
            m_noted[i] = fileStamp(m_watch.folder() / m_names[i]);
        }
    }
}

// Letters compared without their case: Windows takes "POLY.BIN" for poly.bin. Where it is
// another file, a needless look at the stamps is all it costs.
bool WatchedFiles::watched(const fs::path& name) const {
    const auto lower = [](fs::path::value_type c) {
        return c >= 'A' && c <= 'Z' ? static_cast<fs::path::value_type>(c - 'A' + 'a') : c;
    };
    const auto same = [&](const fs::path& a) {
        return std::equal(a.native().begin(), a.native().end(), name.native().begin(),
                          name.native().end(),
                          [&](auto x, auto y) { return lower(x) == lower(y); });
    };
    return name.empty() || std::any_of(m_names.begin(), m_names.end(), same);
}

std::optional<std::vector<fs::path>> WatchedFiles::next(milliseconds timeout) {
    const auto start = Clock::now();
    const auto left = [&](Clock::time_point from, milliseconds span) {
        const auto rest = std::chrono::ceil<milliseconds>(from + span - Clock::now());
        return std::max(rest, milliseconds(0));
    };
    const auto anyWatched = [&](const std::vector<fs::path>& names) {
        return std::any_of(names.begin(), names.end(), [&](const auto& n) { return watched(n); });
    };
    for (;;) {
        const milliseconds first =
            timeout == FolderWatch::kForever ? timeout : left(start, timeout);
        const auto changes = m_watch.wait(first);
        if (!changes) {
            return std::nullopt;
        }
        if (anyWatched(*changes)) {
            // Settles: the quiet time counts from the last notification of a watched file.
            for (auto last = Clock::now(); left(last, m_quiet) > milliseconds(0);) {
                const auto more = m_watch.wait(left(last, m_quiet));
                if (!more) {
                    return std::nullopt;
                }
                if (anyWatched(*more)) {
                    last = Clock::now();
                }
            }
            std::vector<fs::path> changed;
            for (std::size_t i = 0; i < m_names.size(); ++i) {
                const FileStamp now = fileStamp(m_watch.folder() / m_names[i]);
                if (!(now == m_noted[i])) {
                    changed.push_back(m_names[i]);
                    m_noted[i] = now;
                }
            }
            if (!changed.empty()) {
                return changed;
            }
        }
        if (first != FolderWatch::kForever && left(start, timeout) == milliseconds(0)) {
            return std::vector<fs::path>();
        }
    }
}

}  // namespace cvx
