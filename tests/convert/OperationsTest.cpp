#include <gtest/gtest.h>

#include "convert/AssembleModel.h"
#include "convert/DisassembleModel.h"
#include "support/FakeUserInterface.h"
#include "support/SplitJoinOracle.h"

namespace cvx::test {
namespace {

const std::string kUnknown = "Error: An unkown Error has occured!\r\nError Code: ";

// The files that a split of `model` writes, as they lie in `folder` ("" or "robot/").
FileTree setOf(const Bytes& model, const std::string& folder, const std::string& index) {
    FileTree tree;
    for (const auto& [name, bytes] : splitOf(model)) {
        tree[folder + (name == "robot.asm" ? index : name)] = bytes;
    }
    return tree;
}

// The set is named after the model as the listing spells it, beside it, taken against the
// current directory; a path that names no model file, or a name that gives no set, is refused.
TEST(Disassemble, NamesTheSetAfterTheModelOrRefusesItsPath) {
    const std::string missing = "Error: File does not exist!\n";
    const struct {
        std::string model, path, shown, folder = "", index = "";  // path "=...": typed so
    } rows[] = {
        {"a.b.p", "a.b.p", "", "", "a.b.asm"},
        {"m/robot.p", "=m/robot.p", "", "m/", "robot.asm"},
        {"a.p/a.p", "a.p/a.p", "", "a.p/", "a.asm"},
        {"robot.p", "other.p", missing},
        {"robot.p", "nodir/robot.p", missing},
        {"robot.p", "*.p", missing},  // no wildcard
        {"robot", "robot", kUnknown + "5\n"},
        {"poly.bin", "poly.bin", kUnknown + "75\n"},  // the split would replace its model
        {"x.asm", "x.asm", kUnknown + "75\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        const TempDir dir;
        const Bytes model = makeModel(kWorkedExample);
        writeTree(dir.path(), {{row.model, model}});
        fs::current_path(dir.path());
        Workspace workspace(nativeFileSystem());
        FakeUserInterface ui;
        const bool typed = row.path[0] == '=';
        DisassembleModel(workspace, ui, typed ? row.path.substr(1) : dir.text(row.path), false);
        FileTree expected = row.shown.empty() ? setOf(model, row.folder, row.index) : FileTree{};
        expected[row.model] = model;
        EXPECT_EQ(ui.shown + ui.buttons, row.shown + "D-D+");
        EXPECT_EQ(readTree(dir.path()), expected);
        EXPECT_TRUE(!row.shown.empty() || fs::equivalent(fs::current_path(), dir / row.folder));
        EXPECT_EQ(workspace.files.openCount(), 0u);
    }
}

TEST(Assemble, RefusesDestinationsItCannotWriteAndKeepsTheSet) {
    const TempDir dir;
    const FileTree set = splitOf(makeModel(kWorkedExample));
    writeTree(dir.path(), set);
    fs::create_directory(dir / "adir");
    const struct {
        std::string destination, code;
    } rows[] = {{"nodir/out.p", "76"}, {"adir", "75"}, {"robot.asm", "75"}, {"bbox.bin", "75"}};
    Workspace workspace(nativeFileSystem());
    for (const auto& row : rows) {
        FakeUserInterface ui;
        AssembleModel(workspace, ui, dir.text("robot.asm"), dir.text(row.destination));
        EXPECT_EQ(ui.shown + ui.buttons, kUnknown + row.code + "\nA-A+") << row.destination;
        EXPECT_EQ(readTree(dir.path()), set);
        EXPECT_EQ(workspace.files.openCount(), 0u);
    }
}

// One workspace, as the window has for its life: a relative destination is taken against the
// directory current at the start, and a split writes the reserved index bytes that a join read.
TEST(Assemble, RunsOneAfterAnotherShareTheDirectoryAndTheRecord) {
    const TempDir dir;
    const Bytes first = makeModel(kWorkedExample);
    const Bytes second = makeModel({3, 5, 0, 0, 2, 7, 2}, 0, 9);
    FileTree tree = setOf(first, "first/", "robot.asm");
    Bytes record = setOf(second, "", "robot.asm")["robot.asm"];
    for (const std::size_t reserved : {19, 61, 62, 63}) {
        tree["first/robot.asm"][reserved] = record[reserved] = static_cast<std::uint8_t>(reserved);
    }
    tree["second/robot.p"] = second;
    writeTree(dir.path(), tree);
    fs::current_path(dir.path());
    Workspace workspace(nativeFileSystem());
    FakeUserInterface ui;
    AssembleModel(workspace, ui, "first/robot.asm", "one.p");
    DisassembleModel(workspace, ui, dir.text("second/robot.p"), false);
    AssembleModel(workspace, ui, dir.text("second/robot.asm"), dir.text("two.p"));
    EXPECT_EQ(ui.shown, "");
    EXPECT_EQ(readFile(dir / "one.p"), first);
    EXPECT_EQ(readFile(dir / "two.p"), second);
    EXPECT_EQ(readFile(dir / "second/robot.asm"), record);
    EXPECT_TRUE(fs::equivalent(fs::current_path(), dir / "second"));
}

}  // namespace
}  // namespace cvx::test
