#include <gtest/gtest.h>

#include <functional>

#include "support/SplitJoinOracle.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace cvx::test {

// The fuzzing corpus, seeds and every input that ever failed, through the fuzz target: it aborts
// on a finding.
TEST(SplitAndJoin, TheFuzzCorpusPasses) {
    int inputs = 0;
    for (const auto& entry : fs::directory_iterator(toPath(CINDERVAXEL_CORPUS))) {
        const Bytes input = readFile(entry.path());
        LLVMFuzzerTestOneInput(input.data(), input.size());
        ++inputs;
    }
    EXPECT_GT(inputs, 20);
}

// The corpus holds, as files named after them, the worked example, models without value3, of
// zero counts and with unowned bytes, and models cut short, with a negative count, an overflow
// or ModelType 256; sets fresh and over an older model, with the index cut short, poly.bin
// missing, value3 not listed and header.bin too long; the fault-injection test splits into an own
// folder and over older sets with and without value3. The tables below add what they lack.

TEST(SplitAndJoin, ModelsComeBackOrAreRefusedWithTheirCode) {
    const Bytes worked = makeModel(kWorkedExample);
    const FileTree older = splitOf(makeModel({1, 5, 0, 2, 9, 3, 2}));
    const struct {
        const char* name;
        Bytes model;
        FileTree older = {};
        bool ownFolder = false;
    } rows[] = {
        {"into its own folder, which is there", worked, {{"robot/", {}}}, true},
        {"ModelType 255, one value3, sections over 1 MiB",
         makeModel({255, 300, 17, 1, 900, 46000, 12})},
        {"negative NumValue3", makeModel({1, 2, 1, -1, 4, 1, 1})},
        // The largest sections that fit in 32 bits (but not in the file), and one word more.
        {"largest model", makeModel({1, 0, 0, 0, 536870872, 0, 0}, 0, 1, true)},
        {"one word too large", makeModel({1, 0, 0, 0, 536870873, 0, 0}, 0, 1, true)},
        {"NumVerts + NumExtra too large", makeModel({1, 2147483647, 1, 0, 0, 0, 0}, 0, 1, true)},
        {"ModelType -1, beside an older set", makeModel({-1, 2, 1, 3, 4, 1, 1}), older},
    };
    for (const auto& row : rows) {
        const TempDir dir;
        EXPECT_EQ(checkSplit(dir.path(), row.model, row.older, row.ownFolder).problems, "")
            << row.name;
    }
}

TEST(SplitAndJoin, SetsAreJoinedOrRefusedAsTheirFilesCallFor) {
    const FileTree worked = splitOf(makeModel(kWorkedExample));
    const FileTree noValue3 = splitOf(makeModel({1, 2, 1, 0, 4, 1, 1}));
    const FileTree oneValue3 = splitOf(makeModel({1, 2, 1, 1, 4, 1, 1}));
    using Spoil = std::function<void(FileTree&)>;
    auto resize = [](const char* file, std::size_t size) {
        return [=](FileTree& set) { set[file].resize(size, 0x44); };
    };
    auto hasValue3 = [](std::uint8_t value) {
        return [=](FileTree& set) { set["robot.asm"][17] = value; };
    };
    const struct {
        const char* name;
        const FileTree& set;
        Spoil spoil;
        Answer answer = Answer::Yes;
    } rows[] = {
        {"one value3", oneValue3, [](FileTree&) {}},
        {"no index file", worked, [](FileTree& set) { set.erase("robot.asm"); }},
        {"index longer than its record", worked, resize("robot.asm", 100)},
        {"HasValue3 2: no value3.bin needed", noValue3, hasValue3(2)},
        {"HasValue3 1 and NumValue3 0: value3.bin needed", noValue3, hasValue3(1)},
        {"... and there, but not joined", noValue3,
         [&](FileTree& set) { hasValue3(1)(set), resize("value3.bin", 40)(set); }, Answer::No},
        {"header.bin of 200 bytes", worked, resize("header.bin", 200), Answer::No},
        {"header.bin short", worked, resize("header.bin", 100), Answer::No},
        {"edges.bin short", worked, resize("edges.bin", 15), Answer::No},
        {"unknown.bin long", worked, resize("unknown.bin", 9)},
        {"poly.bin missing, a text as out.p", worked,
         [](FileTree& set) {
             set.erase("poly.bin"), set["out.p"] = {'h', 'i'};
         }},
        {"negative count", worked, [](FileTree& set) { putWord(set["header.bin"], 36, -1); },
         Answer::No},
        {"overflowing count", worked,
         [](FileTree& set) { putWord(set["header.bin"], 32, 536870912); }, Answer::No},
    };
    for (const auto& row : rows) {
        FileTree set = row.set;
        row.spoil(set);
        const TempDir dir;
        EXPECT_EQ(checkJoin(dir.path(), set, row.answer).problems, "") << row.name;
    }
}

}  // namespace cvx::test
