#include <gtest/gtest.h>

#include <functional>

#include "files/ReplacingFile.h"
#include "support/FaultyFileSystem.h"
#include "support/SplitJoinOracle.h"

namespace cvx::test {

// The first run fails no call, each further run one more than the last, up to the last call a run
// makes.
TEST(FaultInjection, EveryFailingCallLeavesEachFileAsBeforeOrComplete) {
    const Bytes worked = makeModel(kWorkedExample, 0, 7);
    const Bytes noValue3 = makeModel({1, 2, 1, 0, 4, 1, 1});
    const FileTree older = splitOf(makeModel({1, 5, 0, 2, 9, 3, 2}));
    const FileTree set = splitOf(worked), large = splitOf(makeModel({1, 0, 0, 0, 0, 46000, 0}));
    FileTree overOlder = set;
    overOlder["out.p"] = makeModel({}, 1000, 5);
    using Run = std::function<Verdict(const fs::path&, std::uint64_t failAt)>;
    const std::pair<const char*, Run> scenarios[] = {
        {"split", [&](auto& dir, auto n) { return checkSplit(dir, worked, {}, false, n); }},
        {"split over an older set",
         [&](auto& dir, auto n) { return checkSplit(dir, worked, older, false, n); }},
        {"split without value3 over an older set",
         [&](auto& dir, auto n) { return checkSplit(dir, noValue3, older, false, n); }},
        {"split into its own folder, with --sync",
         [&](auto& dir, auto n) { return checkSplit(dir, worked, {}, true, n, true); }},
        {"join", [&](auto& dir, auto n) { return checkJoin(dir, set, Answer::Yes, n); }},
        {"join over an older model, answered No, with --sync",
         [&](auto& dir, auto n) { return checkJoin(dir, overOlder, Answer::No, n, true); }},
        {"join of 1 MiB sections",
         [&](auto& dir, auto n) { return checkJoin(dir, large, Answer::Yes, n); }},
    };
    for (const auto& [name, run] : scenarios) {
        const TempDir dir;
        const std::uint64_t calls = run(dir.path(), 0).calls;
        EXPECT_GT(calls, 20u) << name;
        for (std::uint64_t n = 0; n <= calls; ++n) {
            EXPECT_EQ(run(dir.path(), n).problems, "") << name << ", call " << n;
        }
        std::printf("figures: %s: %llu file-system calls, each failed in its own run\n", name,
                    static_cast<unsigned long long>(calls));
    }
}

// However long the one who holds it keeps it, a file that fails to replace its destination leaves
// no temporary file behind.
TEST(FaultInjection, AFailedReplacementLeavesNoTemporaryFile) {
    const TempDir dir;
    writeFile(dir / "out.p", {1, 2, 3});
    FaultyFileSystem files(nativeFileSystem());
    const auto out = ReplacingFile::create(files, dir / "out.p");
    out->write(Bytes(10, 7));
    files.failAt = files.calls + 3;  // after the flush and the close, the rename
    EXPECT_THROW(out->commit(), RunError);
    EXPECT_EQ(readTree(dir.path()), (FileTree{{"out.p", {1, 2, 3}}}));
}

}  // namespace cvx::test
