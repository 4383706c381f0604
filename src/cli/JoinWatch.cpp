#include "JoinWatch.h"

#include <ctime>
#include <utility>

#include "CliUserInterface.h"
#include "TextOut.h"
#include "convert/SectionSet.h"
#include "convert/SetNames.h"
#include "files/PathText.h"
#include "formats/SectionTable.h"
#include "session/ErrorReport.h"
#include "session/Session.h"

namespace cvx {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// The index and every file a set may hold: header.bin and the section files.
std::vector<fs::path> namesOfTheSet(const fs::path& index) {
    std::vector<fs::path> files{index.filename()};
    for (const SectionInfo& info : sectionTable()) {
        files.push_back(names::sectionFile(info.section));
    }
    return files;
}

template <typename Texts, typename Text>
std::string listed(const Texts& texts, Text text) {
    std::string list;
    for (const auto& item : texts) {
        list += (list.empty() ? "" : ", ") + text(item);
    }
    return list;
}

}  // namespace

JoinWatch::JoinWatch(const fs::path& index, const fs::path& dest, Options options, std::FILE* out,
                     std::FILE* err)
    : m_index(resolveAgainstCurrentDirectory(nativeFileSystem(), index)),
      m_dest(resolveAgainstCurrentDirectory(nativeFileSystem(), dest)),
      m_options(options),
      m_out(out),
      m_err(err),
      m_files(
          std::make_unique<WatchedFiles>(m_index.parent_path(), namesOfTheSet(m_index), kQuiet)) {}

ExitStatus JoinWatch::run() {
    {
        Workspace workspace(nativeFileSystem());
        CliUserInterface ui(m_err, m_options.force);
        if (!checkJoin(workspace, ui, m_index, m_dest)) {
            return kExitMessage;
        }
    }
    rebuild({});
    for (;;) {
        std::optional<std::vector<fs::path>> changed;
        try {
            changed = m_files->next(FolderWatch::kForever);
        } catch (const RunError& error) {
            writeError(m_err, detailLine(error), error.code());
            return kExitMessage;
        }
        if (!changed) {
            return kExitOk;
        }
        rebuild(*changed);
    }
}

void JoinWatch::line(const std::string& text) {
    char time[16] = "";
    const std::time_t now = std::time(nullptr);
    std::strftime(time, sizeof time, "%H:%M:%S", std::localtime(&now));
    writeText(m_out, std::string(time) + " " + text + "\n");
}

void JoinWatch::rebuild(const std::vector<fs::path>& changed) {
    const std::string what = changed.empty() ? "start" : listed(changed, [](const fs::path& name) {
                                                             return toText(name);
                                                         }) + " changed";
    const std::string kept = toText(m_dest.filename()) + " kept as it was";
    const auto refused = [&](const std::string& why, const std::vector<Problem>& problems) {
        line(what + ": " + why + ", " + kept);
        for (const Problem& problem : problems) {
            writeText(m_err, lineOf(problem) + "\n");
        }
    };
    const auto started = Clock::now();
    FileSystem& fileSystem = nativeFileSystem();
    try {
        SectionSet set = SectionSet::read(fileSystem, m_index);
        if (set.refusal()) {
            return refused("not joined", {*set.refusal()});
        }
        if (m_options.recount) {
            const SectionSet::Recount recount = set.recount(SectionSet::Value3::AsIndexed);
            if (!recount.problems.empty()) {
                return refused("cannot be counted yet", recount.problems);
            }
            if (!recount.changes.empty()) {
                set.write(fileSystem, recount);
                // The watch's own writes are no change to rebuild after.
                m_files->note({m_index.filename(), names::sectionFile(Section::Header)});
                line("recount: " + listed(recount.changes, [](const std::string& c) { return c; }));
                set = SectionSet::read(fileSystem, m_index);
            }
        }
        if (const auto problems = set.problems(); m_options.checkLengths && !problems.empty()) {
            return refused("not joined", problems);
        }
    } catch (const RunError& error) {
        line(what + ": not joined, " + kept);
        writeError(m_err, detailLine(error), error.code());
        return;
    }
    Workspace workspace(fileSystem);
    workspace.durable = m_options.sync;
    CliUserInterface ui(m_err, m_options.force);
    if (join(workspace, ui, m_index, m_dest,
             m_options.checkLengths ? LengthCheck::Check : LengthCheck::Skip,
             m_wroteDest) != JoinResult::Joined) {
        line(what + ": not joined, " + kept);
        return;
    }
    m_wroteDest = true;
    const std::chrono::duration<double, std::milli> took = Clock::now() - started;
    char ms[32];
    std::snprintf(ms, sizeof ms, " joined in %.1f ms", took.count());
    line(what + ": " + toText(m_dest.filename()) + ms);
}

}  // namespace cvx
