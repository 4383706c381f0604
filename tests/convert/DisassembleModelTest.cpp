#include <filesystem>
#include <set>

#include "OperationTest.h"
#include "formats/ModelLayout.h"

namespace cvx::test {
namespace {

namespace fs = std::filesystem;

class DisassembleModelTest : public OperationTest {
protected:
    // Every file of the set in `where` holds exactly its section of `model`, and the index is the
    // one filled from the model's header.
    void expectSet(const fs::path& where, const std::string& indexName, const Bytes& model) {
        const ModelHeader header(*reinterpret_cast<const ModelHeader::Bytes*>(model.data()));
        const ModelLayout layout =
            ModelLayout::compute(header, static_cast<std::int32_t>(model.size()));
        for (const SectionInfo& info : sectionTable()) {
            SCOPED_TRACE(info.fileName);
            const fs::path file = where / std::string(info.fileName);
            if (info.section == Section::Value3 && !layout.hasValue3()) {
                EXPECT_FALSE(fs::exists(file));
                continue;
            }
            const SectionExtent extent = layout[info.section];
            EXPECT_EQ(readFile(file), slice(model, static_cast<std::size_t>(extent.offset),
                                            static_cast<std::size_t>(extent.length)));
        }
        SectionIndex expected;
        expected.fillFromHeader(header);
        const SectionIndex::Bytes record = expected.encode();
        EXPECT_EQ(readFile(where / indexName), Bytes(record.begin(), record.end()));
    }

    void expectRanToItsEnd() {
        EXPECT_TRUE(ui.messages.empty()) << ui.messages.front().text;
        EXPECT_EQ(ui.buttonChanges,
                  (std::vector<std::pair<Button, bool>>{{Button::Disassemble, false},
                                                        {Button::Disassemble, true}}));
        EXPECT_EQ(workspace.files.openCount(), 0u);
    }
};

TEST_F(DisassembleModelTest, WritesIndexAndSectionFilesBesideTheModel) {
    const Bytes model = putModel("robot.p", kWorkedExample);
    split(dir.text("robot.p"));
    expectRanToItsEnd();
    expectSet(dir.path(), "robot.asm", model);
    EXPECT_EQ(fs::current_path(), dir.path());
    EXPECT_EQ(readFile(dir / "value3.bin").size(), 24u);
}

TEST_F(DisassembleModelTest, OwnFolderIsCreatedOrEnteredWhenItExists) {
    for (const bool exists : {false, true}) {
        SCOPED_TRACE(exists);
        const Bytes model = putModel("robot.p", kWorkedExample);
        if (exists) {
            fs::create_directory(dir / "robot");
        }
        split(dir.text("robot.p"), true);
        expectRanToItsEnd();
        expectSet(dir / "robot", "robot.asm", model);
        EXPECT_EQ(fs::current_path(), dir / "robot");
        EXPECT_EQ(listNames(dir.path()), (std::set<std::string>{"robot", "robot.p"}));
        dir.removeAll("robot");
        ui.buttonChanges.clear();
    }
}

TEST_F(DisassembleModelTest, NamesTheIndexAfterTheModelWithoutItsLastExtension) {
    const Bytes model = putModel("a.b.p", kWorkedExample);
    split(dir.text("a.b.p"));
    expectRanToItsEnd();
    expectSet(dir.path(), "a.b.asm", model);
}

TEST_F(DisassembleModelTest, RelativePathIsTakenFromTheCurrentDirectory) {
    fs::create_directory(dir / "models");
    const Bytes model = putModel("models/robot.p", kWorkedExample);
    fs::current_path(dir.path());
    split("models/robot.p");
    expectRanToItsEnd();
    expectSet(dir / "models", "robot.asm", model);
}

TEST_F(DisassembleModelTest, UnownedBytesGoNowhereAndOldOutputsAreReplacedWhole) {
    const Bytes model = putModel("robot.p", kWorkedExample, 8);
    writeFile(dir / "header.bin", Bytes(1000, 0xEE));
    writeFile(dir / "robot.asm", Bytes(100, 0xEE));
    split(dir.text("robot.p"));
    expectRanToItsEnd();
    expectSet(dir.path(), "robot.asm", model);
}

TEST_F(DisassembleModelTest, WithoutValue3AnOldValue3FileStaysAsItWas) {
    const Bytes model = putModel("robot.p", {1, 2, 1, 0, 4, 1, 1});
    writeFile(dir / "value3.bin", {7, 7, 7});
    split(dir.text("robot.p"));
    expectRanToItsEnd();
    EXPECT_EQ(readFile(dir / "value3.bin"), (Bytes{7, 7, 7}));
    EXPECT_EQ(readFile(dir / "robot.asm")[17], 0);  // HasValue3
}

TEST_F(DisassembleModelTest, ZeroCountsGiveEmptySectionFiles) {
    const Bytes model = putModel("empty.p", {0, 0, 0, 0, 0, 0, 0});
    split(dir.text("empty.p"));
    expectRanToItsEnd();
    expectSet(dir.path(), "empty.asm", model);
    EXPECT_EQ(fs::file_size(dir / "edges.bin"), 0u);
    EXPECT_EQ(fs::file_size(dir / "fiftysix.bin"), 4u);
}

struct Refusal {
    const char* name;
    std::string file;  // the model file to create, "" for none
    Counts counts;
    std::int32_t trim;  // bytes cut from the end of the model; -1: the header alone
    std::string path;   // the path given, relative to the temporary directory
    std::string text;   // the message
};

TEST_F(DisassembleModelTest, RefusedModelsLeaveEveryFileUntouched) {
    const std::string unknown = "An unkown Error has occured!\r\nError Code: ";
    const Counts negative{1, 2, 1, 3, -4, 1, 1};
    const Counts overflowing{1, 2, 1, 3, 4, 1, 21474837};
    const Counts badType{256, 2, 1, 3, 4, 1, 1};
    const Refusal refusals[] = {
        {"missing file", "robot.p", kWorkedExample, 0, "other.p", "File does not exist!"},
        {"missing directory", "", kWorkedExample, 0, "nodir/robot.p", "File does not exist!"},
        {"pattern is no wildcard", "robot.p", kWorkedExample, 0, "*.p", "File does not exist!"},
        {"one byte short", "robot.p", kWorkedExample, 1, "robot.p", unknown + "62"},
        {"shorter than its header", "robot.p", kWorkedExample, 310, "robot.p", unknown + "62"},
        {"negative count", "robot.p", negative, -1, "robot.p", unknown + "9"},
        {"overflow", "robot.p", overflowing, -1, "robot.p", unknown + "6"},
        {"ModelType 256", "robot.p", badType, 0, "robot.p", unknown + "6"},
        {"no extension", "robot", kWorkedExample, 0, "robot", unknown + "5"},
        {"model named like a section file", "poly.bin", kWorkedExample, 0, "poly.bin",
         unknown + "75"},
        {"model named like its index", "x.asm", kWorkedExample, 0, "x.asm", unknown + "75"},
    };
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(r.name);
        TempDir where;
        if (!r.file.empty()) {
            Bytes model = makeModel(r.trim < 0 ? Counts{} : r.counts);
            if (r.trim < 0) {
                const ModelHeader header = makeHeader(r.counts);
                std::copy(header.bytes().begin(), header.bytes().end(), model.begin());
            } else {
                model.resize(model.size() - static_cast<std::size_t>(r.trim));
            }
            writeFile(where / r.file, model);
        }
        const auto before = listNames(where.path());
        FakeUserInterface fresh;
        DisassembleModel(workspace, fresh, where.text(r.path), false);
        ASSERT_EQ(fresh.messages.size(), 1u);
        EXPECT_EQ(fresh.messages[0].text, r.text);
        EXPECT_EQ(fresh.messages[0].title, "Error");
        EXPECT_TRUE(fresh.isEnabled(Button::Disassemble));
        EXPECT_EQ(listNames(where.path()), before);
        EXPECT_EQ(workspace.files.openCount(), 0u);
    }
}

TEST_F(DisassembleModelTest, FailedWriteKeepsEarlierFilesAndReportsItsCode) {
    const Bytes model = putModel("robot.p", kWorkedExample);
    fs::create_directory(dir / "edges.bin");
    split(dir.text("robot.p"));
    expectOnlyMessage(unknownErrorText(ErrorCode::PathFileAccessError), "Error");
    EXPECT_TRUE(ui.isEnabled(Button::Disassemble));
    EXPECT_EQ(workspace.files.openCount(), 0u);
    EXPECT_EQ(readFile(dir / "color.bin"), slice(model, 188, 12));
    EXPECT_FALSE(fs::exists(dir / "poly.bin"));
    EXPECT_EQ(listNames(dir.path()),
              (std::set<std::string>{"robot.p", "robot.asm", "header.bin", "additional.bin",
                                     "value3.bin", "color.bin", "edges.bin"}));
}

}  // namespace
}  // namespace cvx::test
