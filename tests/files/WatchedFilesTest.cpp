#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "files/ReplacingFile.h"
#include "files/WatchedFiles.h"
#include "support/ModelFiles.h"

namespace cvx::test {

using namespace std::chrono_literals;
using Names = std::vector<fs::path>;

// Each way an editor saves, and a burst of saves, is one change of the files it touched, reported
// once the writes have settled, and nothing more after it. Real files, real notifications.
TEST(WatchedFiles, EachSaveIsOneChangeOnceTheWritesSettle) {
    const struct {
        const char* how;
        std::function<void(const TempDir&)> save;
        Names changed;
    } rows[] = {
        {"in place, truncated then written",
         [](const TempDir& d) { writeFile(d / "poly.bin", Bytes(48, 7)); },
         {"poly.bin"}},
        {"by rename over it",
         [](const TempDir& d) {
             writeFile(d / ".poly.bin.swp", Bytes(72, 1));
             fs::rename(d / ".poly.bin.swp", d / "poly.bin");
         },
         {"poly.bin"}},
        {"removed and made again",
         [](const TempDir& d) {
             fs::remove(d / "color.bin");
             writeFile(d / "color.bin", Bytes(8, 2));
         },
         {"color.bin"}},
        {"a burst over half a second, the last state",
         [](const TempDir& d) {
             for (std::uint8_t i = 1; i <= 50; ++i) {
                 writeFile(d / (i % 2 ? "poly.bin" : "color.bin"), Bytes(i, i));
                 std::this_thread::sleep_for(10ms);
             }
         },
         {"color.bin", "poly.bin"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.how);
        TempDir dir;
        writeTree(dir.path(), {{"color.bin", Bytes(4)}, {"poly.bin", Bytes(24)}});
        // Twice the watch's quiet time: a busy machine may stall the burst's writer that long.
        WatchedFiles files(dir.path(), {"color.bin", "poly.bin"}, 300ms);
        std::thread saving(row.save, std::cref(dir));
        const auto changed = files.next(FolderWatch::kForever);
        saving.join();
        EXPECT_EQ(changed, row.changed);
        EXPECT_EQ(files.next(400ms), Names());
    }
}

// A model written into the watched folder through its temporary file, other files and the
// program's own writes, once noted, are no change; the next save is, and stop() ends a wait.
TEST(WatchedFiles, TheProgramsOwnWritesAreNoChange) {
    TempDir dir;
    writeTree(dir.path(), {{"robot.asm", Bytes(64)}, {"header.bin", Bytes(128)}});
    WatchedFiles files(dir.path(), {"robot.asm", "header.bin"}, 150ms);
    auto model = ReplacingFile::create(nativeFileSystem(), dir / "robot.p");
    model->write(Bytes(1000, 3));
    model->commit();
    writeFile(dir / "robot.asm.bak", Bytes(64, 1));
    writeFile(dir / "header.bin", Bytes(128, 5));
    files.note({"header.bin"});
    EXPECT_EQ(files.next(500ms), Names());
    writeFile(dir / "robot.asm", Bytes(64, 9));
    EXPECT_EQ(files.next(FolderWatch::kForever), Names{"robot.asm"});
    std::thread stopping([&] { files.watch().stop(); });
    EXPECT_EQ(files.next(FolderWatch::kForever), std::nullopt);
    stopping.join();
    try {
        FolderWatch gone(dir / "gone");
        ADD_FAILURE() << "a missing folder is watched";
    } catch (const RunError& error) {
        EXPECT_EQ(error.code(), ErrorCode::PathNotFound);
    }
}

}  // namespace cvx::test
