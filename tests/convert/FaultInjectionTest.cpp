#include <gtest/gtest.h>

#include <functional>

#include "convert/SectionSet.h"
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

// A recount writes header.bin and the index whole before either takes its name: a failure before
// that changes neither, one between the two renames says which file is new.
TEST(FaultInjection, ARecountChangesBothFilesOrNeither) {
    const TempDir dir;
    FileTree set = splitOf(makeModel(kWorkedExample));
    set["poly.bin"].resize(48);  // a polygon more, and its colour
    set["color.bin"].resize(16);
    for (std::uint64_t n = 1, more = 1; more; ++n) {
        writeTree(dir.path(), set);
        FaultyFileSystem files(nativeFileSystem());
        files.failAt = n;
        std::string told = "-";  // no fault, or one that loses nothing: both files new
        try {
            const SectionSet read = SectionSet::read(files, dir / "robot.asm");
            read.write(files, read.recount(SectionSet::Value3::AsIndexed));
        } catch (const RunError& error) {
            told = error.detail();
        }
        const FileTree after = readTree(dir.path());
        // Only a failed second rename leaves one file new, and it says so.
        const bool second =
            told.ends_with("new by then: header.bin; still as they were: robot.asm");
        EXPECT_EQ(after.size(), set.size()) << "a temporary file left after call " << n;
        EXPECT_EQ(after.at("header.bin") != set["header.bin"], told == "-" || second) << told;
        EXPECT_EQ(after.at("robot.asm") != set["robot.asm"], told == "-") << n;
        EXPECT_TRUE(!second || files.injected->action == FileAction::Rename);
        more = files.injected.has_value();
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
