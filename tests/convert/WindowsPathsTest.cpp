// Split and join as Windows users drive them: paths from a file dialog, with a drive letter and
// backslashes, or typed in other spellings; files whose bytes a text mode would change; and
// destinations that exist already. Drive letters and text mode exist on Windows only.
#ifdef _WIN32

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <functional>
#include <set>
#include <string>

#include "OperationTest.h"
#include "formats/ModelLayout.h"

namespace cvx::test {
namespace {

namespace fs = std::filesystem;

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::set<std::string> lowerCaseNames(const fs::path& where) {
    std::set<std::string> names;
    for (const std::string& name : listNames(where)) {
        names.insert(lowerCase(name));
    }
    return names;
}

class WindowsPathsTest : public OperationTest {};

TEST_F(WindowsPathsTest, SplitAndJoinTakeEverySpellingOfAPath) {
    // `dir` is below the system's temporary directory, a path like a file dialog returns:
    // "C:\Users\...\Temp\cvx-test-123\" (under Wine "C:\users\...\Temp\...").
    const std::string base = dir.text("");
    ASSERT_EQ(base.substr(1, 2), ":\\");
    auto upper = [](std::string text) {
        std::transform(text.begin(), text.end(), text.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        return text;
    };
    const struct {
        const char* name;
        std::function<std::string(const std::string&)> spell;  // of a path below `dir`
    } spellings[] = {
        {"as a file dialog gives it", [&](const std::string& rel) { return base + rel; }},
        {"with forward slashes",
         [&](const std::string& rel) {
             std::string path = base + rel;
             std::replace(path.begin(), path.end(), '\\', '/');
             return path;
         }},
        {"without the drive", [&](const std::string& rel) { return (base + rel).substr(2); }},
        {"in capitals", [&](const std::string& rel) { return base + upper(rel); }},
    };
    const Bytes model = makeModel(kWorkedExample);
    for (const auto& s : spellings) {
        SCOPED_TRACE(s.name);
        dir.removeAll("work");  // also makes the drive of `dir` the current one
        fs::create_directory(dir / "work");
        writeFile(dir / "work" / "robot.p", model);
        writeFile(dir / "work" / "back.p", Bytes(5000, 0xEE));
        ui = FakeUserInterface();

        split(s.spell("work\\robot.p"), true);
        EXPECT_TRUE(ui.messages.empty()) << ui.messages.front().text;
        // The folder and the index are named as the directory listing spells the model.
        EXPECT_EQ(listNames(dir / "work"), (std::set<std::string>{"back.p", "robot", "robot.p"}));
        EXPECT_EQ(listNames(dir / "work" / "robot").count("robot.asm"), 1u);
        EXPECT_EQ(listNames(dir / "work" / "robot").size(), 11u);

        ASSERT_TRUE(join(s.spell("work\\robot\\robot.asm"), s.spell("work\\back.p"), Answer::Yes));
        EXPECT_TRUE(ui.messages.empty()) << ui.messages.front().text;
        EXPECT_EQ(readFile(dir / "work" / "back.p"), model);
        EXPECT_EQ(lowerCaseNames(dir / "work"),
                  (std::set<std::string>{"back.p", "robot", "robot.p"}));
    }
}

TEST_F(WindowsPathsTest, BytesThatTextModeWouldChangeSurviveSplitAndJoin) {
    // CR LF pairs, lone LFs and CRs, and Ctrl-Z, which ends a file read in text mode.
    const Bytes pattern = {0x0D, 0x0A, 0x1A, 0x0A, 0x0D, 0x0D, 0x1A, 0x0A, 0x00};
    Bytes model = makeModel(kWorkedExample);
    for (std::size_t i = ModelHeader::kSize; i < model.size(); ++i) {
        model[i] = pattern[i % pattern.size()];
    }
    writeFile(dir / "robot.p", model);
    split(dir.text("robot.p"));
    EXPECT_TRUE(ui.messages.empty());
    const ModelHeader header(*reinterpret_cast<const ModelHeader::Bytes*>(model.data()));
    const ModelLayout layout =
        ModelLayout::compute(header, static_cast<std::int32_t>(model.size()));
    for (const SectionInfo& info : sectionTable()) {
        SCOPED_TRACE(info.fileName);
        const SectionExtent extent = layout[info.section];
        EXPECT_EQ(readFile(dir / std::string(info.fileName)),
                  slice(model, static_cast<std::size_t>(extent.offset),
                        static_cast<std::size_t>(extent.length)));
    }
    ASSERT_TRUE(join(dir.text("robot.asm"), dir.text("back.p"), Answer::Yes));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(readFile(dir / "back.p"), model);
}

}  // namespace
}  // namespace cvx::test

#endif  // _WIN32
