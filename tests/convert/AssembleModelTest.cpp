#include <filesystem>
#include <set>

#include "OperationTest.h"
#include "formats/ModelLayout.h"

namespace cvx::test {
namespace {

namespace fs = std::filesystem;

const char* const kQuestion =
    "Should Cindervaxel check, if the Filelengths are correct?\r\nRecommended: Yes";

class AssembleModelTest : public OperationTest {
protected:
    // Splits a model with `counts` into `set/` and returns the model as a join rebuilds it: the
    // file without its unowned bytes.
    Bytes makeSet(const Counts& counts, std::int32_t unowned = 0) {
        fs::create_directories(dir / "set");
        const Bytes model = putModel("set/robot.p", counts, unowned);
        FakeUserInterface splitUi;
        DisassembleModel(workspace, splitUi, dir.text("set/robot.p"), false);
        EXPECT_TRUE(splitUi.messages.empty());
        Bytes joined = model;
        const auto front =
            static_cast<std::ptrdiff_t>(model.size()) - 24 - 4 * counts.NumVerts - unowned;
        joined.erase(joined.begin() + front, joined.begin() + front + unowned);
        return joined;
    }

    std::string index() const { return dir.text("set/robot.asm"); }
    std::string destination() const { return dir.text("out.p"); }

    void expectRanToItsEnd() {
        EXPECT_TRUE(ui.messages.empty()) << ui.messages.front().text;
        ASSERT_EQ(ui.questions.size(), 1u);
        EXPECT_EQ(ui.questions[0], (FakeUserInterface::Message{kQuestion, "File Lengths"}));
        EXPECT_EQ(ui.buttonChanges, (std::vector<std::pair<Button, bool>>{
                                        {Button::Assemble, false}, {Button::Assemble, true}}));
        EXPECT_EQ(workspace.files.openCount(), 0u);
    }
};

TEST_F(AssembleModelTest, RoundTripGivesTheModelBackByteForByte) {
    const struct {
        const char* name;
        Counts counts;
        std::int32_t unowned;
    } cases[] = {
        {"worked example", kWorkedExample, 0},
        {"no value3", {1, 2, 1, 0, 4, 1, 1}, 0},
        {"all counts zero", {0, 0, 0, 0, 0, 0, 0}, 0},
        {"larger model", {255, 300, 17, 40, 900, 450, 12}, 0},
        {"unowned bytes are left out", kWorkedExample, 8},
    };
    for (const auto& c : cases) {
        for (const Answer answer : {Answer::Yes, Answer::No}) {
            SCOPED_TRACE(testing::Message() << c.name << (answer == Answer::Yes ? " Yes" : " No"));
            const Bytes expected = makeSet(c.counts, c.unowned);
            ui = FakeUserInterface();
            ASSERT_TRUE(join(index(), destination(), answer));
            expectRanToItsEnd();
            EXPECT_EQ(readFile(dir / "out.p"), expected);
            EXPECT_EQ(fs::current_path(), dir / "set");
            dir.removeAll("set");
            fs::remove(dir / "out.p");
        }
    }
}

TEST_F(AssembleModelTest, ExistingLongerDestinationKeepsNothingOfItsOwn) {
    const Bytes expected = makeSet(kWorkedExample);
    writeFile(dir / "out.p", Bytes(5000, 0xEE));
    ASSERT_TRUE(join(index(), destination(), Answer::Yes));
    expectRanToItsEnd();
    EXPECT_EQ(readFile(dir / "out.p"), expected);
    EXPECT_EQ(listNames(dir.path()), (std::set<std::string>{"out.p", "set"}));
}

TEST_F(AssembleModelTest, RelativeDestinationIsTakenFromTheDirectoryCurrentAtTheStart) {
    const Bytes expected = makeSet(kWorkedExample);
    fs::current_path(dir.path());
    ASSERT_TRUE(join("set/robot.asm", "out.p", Answer::Yes));
    EXPECT_EQ(readFile(dir / "out.p"), expected);
}

TEST_F(AssembleModelTest, TwoRunsInARowBothWork) {
    const Bytes first = makeSet(kWorkedExample);
    dir.enter();
    fs::rename(dir / "set", dir / "first");
    const Bytes second = makeSet({3, 5, 0, 0, 2, 7, 2});
    ASSERT_TRUE(join(dir.text("first/robot.asm"), dir.text("one.p"), Answer::Yes));
    ASSERT_TRUE(join(index(), dir.text("two.p"), Answer::Yes));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(readFile(dir / "one.p"), first);
    EXPECT_EQ(readFile(dir / "two.p"), second);
    EXPECT_EQ(fs::current_path(), dir / "set");
}

TEST_F(AssembleModelTest, Value3FollowsTheIndexForTheFileAndTheHeaderForTheBytes) {
    // HasValue3 other than 1: value3.bin is not needed, whether it is there or not.
    Bytes expected = makeSet({1, 2, 1, 0, 4, 1, 1});
    Bytes record = readFile(dir / "set/robot.asm");
    record[17] = 2;
    writeFile(dir / "set/robot.asm", record);
    ASSERT_TRUE(join(index(), destination(), Answer::Yes));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(readFile(dir / "out.p"), expected);

    // HasValue3 1 and NumValue3 0: value3.bin must be there, but none of it is joined.
    record[17] = 1;
    writeFile(dir / "set/robot.asm", record);
    ui = FakeUserInterface();
    ASSERT_TRUE(join(index(), destination(), Answer::No));
    expectOnlyMessage("The File 'value3.bin' does not exists! Model can't be assembled!",
                      "File Missing!");
    writeFile(dir / "set/value3.bin", Bytes(40, 0x33));
    ui = FakeUserInterface();
    ASSERT_TRUE(join(index(), destination(), Answer::No));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(readFile(dir / "out.p"), expected);
}

TEST_F(AssembleModelTest, AnsweringNoTakesOnlyTheBytesTheHeaderAsksFor) {
    const Bytes expected = makeSet(kWorkedExample);
    Bytes header = readFile(dir / "set/header.bin");
    header.resize(200, 0x44);
    writeFile(dir / "set/header.bin", header);
    ASSERT_TRUE(join(index(), destination(), Answer::No));
    expectRanToItsEnd();
    EXPECT_EQ(readFile(dir / "out.p"), expected);
}

TEST_F(AssembleModelTest, FailedLengthCheckEndsTheProgramAndKeepsTheDestination) {
    makeSet(kWorkedExample);
    Bytes header = readFile(dir / "set/header.bin");
    header.push_back(0);
    writeFile(dir / "set/header.bin", header);
    writeFile(dir / "out.p", {1, 2, 3});
    EXPECT_FALSE(join(index(), destination(), Answer::Yes));
    EXPECT_TRUE(ui.programEnded);
    expectOnlyMessage("The Filelength of 'header.bin' does not match!", "Filelength");
    EXPECT_FALSE(ui.isEnabled(Button::Assemble));
    EXPECT_EQ(workspace.files.openCount(), 0u);
    EXPECT_EQ(readFile(dir / "out.p"), (Bytes{1, 2, 3}));
    EXPECT_EQ(listNames(dir.path()), (std::set<std::string>{"out.p", "set"}));
}

// A way to spoil a good set, and what the join must say about it.
struct Failure {
    const char* name;
    void (*spoil)(const TempDir& dir);
    Answer answer;
    std::string text;
    std::string title;
    bool asked;  // whether the length question comes before the failure
};

void setIndexByte(const TempDir& dir, std::size_t offset, std::uint8_t value) {
    Bytes record = readFile(dir / "set/robot.asm");
    record[offset] = value;
    writeFile(dir / "set/robot.asm", record);
}

void setHeaderWord(const TempDir& dir, std::size_t offset, std::int32_t value) {
    Bytes header = readFile(dir / "set/header.bin");
    ModelHeader::Bytes bytes;
    std::copy(header.begin(), header.end(), bytes.begin());
    ModelHeader edited(bytes);
    edited.setWord(offset, value);
    writeFile(dir / "set/header.bin", Bytes(edited.bytes().begin(), edited.bytes().end()));
}

void truncateFile(const fs::path& path, std::uintmax_t size) {
    fs::resize_file(path, size);
}

TEST_F(AssembleModelTest, EveryFailureLeavesTheDestinationAsItWas) {
    const std::string unknown = "An unkown Error has occured!\r\nError Code: ";
    const Failure failures[] = {
        {"missing index", [](const TempDir& d) { fs::remove(d / "set/robot.asm"); }, Answer::Yes,
         "File does not exist!", "Error", false},
        {"missing poly.bin", [](const TempDir& d) { fs::remove(d / "set/poly.bin"); }, Answer::Yes,
         "The File 'poly.bin' does not exists! Model can't be assembled!", "File Missing!", false},
        {"poly.bin is a directory",
         [](const TempDir& d) {
             fs::remove(d / "set/poly.bin");
             fs::create_directory(d / "set/poly.bin");
         },
         Answer::Yes, "The File 'poly.bin' does not exists! Model can't be assembled!",
         "File Missing!", false},
        {"value3 bytes without value3.bin in the set",
         [](const TempDir& d) { setIndexByte(d, 17, 0); }, Answer::No, unknown + "52", "Error",
         true},
        {"section file shorter than its section",
         [](const TempDir& d) { truncateFile(d / "set/edges.bin", 15); }, Answer::No,
         unknown + "62", "Error", true},
        {"index shorter than its record",
         [](const TempDir& d) { truncateFile(d / "set/robot.asm", 63); }, Answer::Yes,
         unknown + "62", "Error", false},
        {"negative count in header.bin",
         [](const TempDir& d) { setHeaderWord(d, ModelHeader::kOffsetNumPolys, -1); }, Answer::No,
         unknown + "9", "Error", true},
        {"overflowing count in header.bin",
         [](const TempDir& d) { setHeaderWord(d, ModelHeader::kOffsetNumLines, 536870912); },
         Answer::No, unknown + "6", "Error", true},
    };
    for (const bool destinationExists : {false, true}) {
        for (const Failure& f : failures) {
            SCOPED_TRACE(testing::Message() << f.name << (destinationExists ? ", replacing" : ""));
            makeSet(kWorkedExample);
            if (destinationExists) {
                writeFile(dir / "out.p", {1, 2, 3});
            }
            f.spoil(dir);
            ui = FakeUserInterface();
            ASSERT_TRUE(join(index(), destination(), f.answer));
            expectOnlyMessage(f.text, f.title);
            EXPECT_EQ(ui.questions.size(), f.asked ? 1u : 0u);
            EXPECT_TRUE(ui.isEnabled(Button::Assemble));
            EXPECT_EQ(workspace.files.openCount(), 0u);
            if (destinationExists) {
                EXPECT_EQ(readFile(dir / "out.p"), (Bytes{1, 2, 3}));
                EXPECT_EQ(listNames(dir.path()), (std::set<std::string>{"out.p", "set"}));
            } else {
                EXPECT_EQ(listNames(dir.path()), std::set<std::string>{"set"});
            }
            dir.removeAll("set");
            fs::remove(dir / "out.p");
        }
    }
}

TEST_F(AssembleModelTest, UnusableDestinationsEndTheRunWithTheirCodes) {
    makeSet(kWorkedExample);
    fs::create_directory(dir / "adir");
    const struct {
        std::string destination;
        ErrorCode code;
    } cases[] = {
        {dir.text("nodir/out.p"), ErrorCode::PathNotFound},
        {dir.text("adir"), ErrorCode::PathFileAccessError},
        {dir.text("set/robot.asm"), ErrorCode::PathFileAccessError},
        {dir.text("set/bbox.bin"), ErrorCode::PathFileAccessError},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.destination);
        ui = FakeUserInterface();
        ui.answer(Answer::Yes);  // not asked for every case
        AssembleModel(workspace, ui, index(), c.destination);
        expectOnlyMessage(unknownErrorText(c.code), "Error");
        EXPECT_TRUE(ui.isEnabled(Button::Assemble));
        EXPECT_EQ(workspace.files.openCount(), 0u);
    }
    EXPECT_EQ(listNames(dir / "set").size(), 12u);  // the set is untouched
}

TEST_F(AssembleModelTest, SplitAfterJoinWritesTheReservedBytesTheJoinRead) {
    makeSet(kWorkedExample);
    for (const std::size_t offset : {19, 61, 62, 63}) {
        setIndexByte(dir, offset, static_cast<std::uint8_t>(offset));
    }
    const Bytes record = readFile(dir / "set/robot.asm");
    ASSERT_TRUE(join(index(), destination(), Answer::Yes));
    fs::remove(dir / "set/robot.asm");
    split(dir.text("set/robot.p"));
    EXPECT_EQ(readFile(dir / "set/robot.asm"), record);
}

}  // namespace
}  // namespace cvx::test
