#include <gtest/gtest.h>

#include <functional>

#include "files/ReplacingFile.h"
#include "session/Session.h"
#include "support/PowerCuts.h"
#include "support/SplitJoinOracle.h"

namespace cvx::test {

// A power cut after any change of a run with --sync leaves each file as it was or complete (so
// each was synced before it took its name); one without it, on a file system that orders nothing,
// leaves files lost (empty or cut short). With --sync the folder is synced last.
TEST(PowerCuts, WithSyncEveryFileIsOldOrComplete) {
    using Change = FaultyFileSystem::Change;
    const Bytes model = makeModel(kWorkedExample, 0, 3);
    FileTree overOlder = splitOf(makeModel({1, 5, 0, 2, 9, 3, 2})), set = splitOf(model);
    overOlder["robot.p"] = model;
    set["out.p"] = makeModel({}, 100, 9);
    using Run = std::function<void(Workspace&, const TempDir&)>;
    FakeUserInterface ui;
    const struct {
        const char* name;
        const FileTree& before;
        Run run;
    } rows[] = {
        {"split over an older set", overOlder,
         [&](Workspace& w, const TempDir& dir) { split(w, ui, dir / "robot.p", false); }},
        {"join over an older model", set,
         [&](Workspace& w, const TempDir& dir) {
             join(w, ui, dir / "robot.asm", dir / "out.p", LengthCheck::Ask);
         }},
        {"a replacement", set,
         [](Workspace& w, const TempDir& dir) {
             const auto out = ReplacingFile::create(w.fileSystem, dir / "out.p");
             out->write(Bytes(5000, 0x42));
             out->commit(w.durable);
             w.durable ? w.fileSystem.syncFolder(dir.path()) : void();
         }},
    };
    for (const auto& row : rows) {
        for (const bool durable : {false, true}) {
            const TempDir dir;
            writeTree(dir.path(), row.before);
            FaultyFileSystem files(nativeFileSystem());
            Workspace workspace(files);
            workspace.durable = durable;
            row.run(workspace, dir);
            const auto& changes = files.changes;
            const PowerCuts cuts =
                simulatePowerCuts(changes, dir.path(), row.before, readTree(dir.path()));
            std::printf("figures: power cuts, %s%s: %zu cuts, %zu files lost\n", row.name,
                        durable ? " with --sync" : "", cuts.cuts, cuts.lost);
            EXPECT_EQ(cuts.lost == 0, durable) << row.name << ": " << cuts.firstLoss;
            EXPECT_EQ(changes.back().kind == Change::SyncFolder, durable) << row.name;
        }
    }
    EXPECT_EQ(ui.shown, "");
}

}  // namespace cvx::test
