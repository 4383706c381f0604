#include <gtest/gtest.h>

#include <set>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "session/ErrorReport.h"
#include "session/Messages.h"
#include "session/Session.h"
#include "support/SplitJoinOracle.h"

namespace cvx::test {

const std::string kLong(251, 'x');  // with ".asm" 255 bytes, what ext4 allows

// The files that a split of `model` writes, as they lie in `folder` ("" or "robot/").
static FileTree setOf(const Bytes& model, const std::string& folder, const std::string& index) {
    FileTree tree;
    for (const auto& [name, bytes] : splitOf(model)) {
        tree[folder + (name == "robot.asm" ? index : name)] = bytes;
    }
    return tree;
}

// The set is named after the model as the listing spells it, beside it, taken against the
// current directory; a path that names no model file, or a name that gives no set, is refused.
TEST(Disassemble, NamesTheSetAfterTheModelOrRefusesItsPath) {
    const std::string missing = errorFor(76, 76);
    const struct {
        std::string model, path, shown, folder = "", index = "";  // path "=...": typed so
    } rows[] = {
        {"a.b.p", "a.b.p", "", "", "a.b.asm"},
        {"m/robot.p", "=m/robot.p", "", "m/", "robot.asm"},
        {"a.p/a.p", "a.p/a.p", "", "a.p/", "a.asm"},
        {kLong + ".p", kLong + ".p", "", "", kLong + ".asm"},  // as long as names may be
        {"robot.p", "other.p", missing},
        {"robot.p", "nodir/robot.p", missing},
        {"robot.p", "*.p", errorFor(64, 76)},  // a pattern, never a name
        {"robot", "robot", errorFor(5, 76)},
        {"poly.bin", "poly.bin", errorFor(75, 76)},  // the split would replace its model
        {"x.asm", "x.asm", errorFor(75, 76)},
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
        split(workspace, ui, typed ? toPath(row.path.substr(1)) : dir / row.path, false);
        FileTree expected = row.shown.empty() ? setOf(model, row.folder, row.index) : FileTree{};
        expected[row.model] = model;
        EXPECT_EQ(ui.shown + ui.buttons, row.shown + "-+");
        EXPECT_EQ(readTree(dir.path()), expected);
        EXPECT_EQ(fs::current_path(), dir.path());  // never changed, whatever the run did
    }
}

// A box is titled by its cause and headed by a line of it; only a fault of the program itself
// keeps the unknown-error text.
TEST(ErrorReport, EachCauseHasItsTitleAndLine) {
    std::set<std::string> titles;
    for (int number = 0; number < 100; ++number) {
        const auto code = static_cast<ErrorCode>(number);
        if (usualRemedy(code) == std::string("try again")) {
            continue;  // no code of the program's
        }
        FakeUserInterface ui;
        report(ui, {Failure::Kind::Error, RunError(code, "cause"), ErrorCode::FileNotFound, {}});
        const bool fault = number == 51 || number == 55;
        const std::string heading = number == 53 ? "File does not exist!"
                                    : fault      ? "An unkown Error has occured!"
                                                 : causeOf(code).heading;
        EXPECT_EQ(ui.shown, std::string(fault ? "Error" : causeOf(code).title) + ": " + heading +
                                (number == 53 ? "" : "\r\nError Code: " + std::to_string(number)) +
                                "\n");
        EXPECT_TRUE(fault || heading.back() == '.' || number == 53) << number;
        titles.insert(causeOf(code).title);
    }
    EXPECT_EQ(titles.size(), 15u);  // 17 codes, 53 and 76 alike, 51 and 55 alike
}

TEST(Assemble, RefusesDestinationsItCannotWriteAndKeepsTheSet) {
    const TempDir dir;
    const FileTree set = splitOf(makeModel(kWorkedExample));
    writeTree(dir.path(), set);
    fs::create_directory(dir / "adir");
    const struct {
        std::string destination;
        int code;
    } rows[] = {{"nodir/out.p", 76}, {"adir", 75}, {"robot.asm", 75}, {"bbox.bin", 75}};
    Workspace workspace(nativeFileSystem());
    for (const auto& row : rows) {
        FakeUserInterface ui;
        join(workspace, ui, dir / "robot.asm", dir / row.destination, LengthCheck::Ask);
        EXPECT_EQ(ui.shown + ui.buttons, errorFor(row.code, 53) + "-+") << row.destination;
        EXPECT_EQ(readTree(dir.path()), set);
    }
}

// One workspace, as the window has for its life: each run takes a relative path against the
// current directory, which no run changes.
TEST(Assemble, RelativePathsFollowTheDirectoryCurrentAtTheStart) {
    const TempDir dir;
    const Bytes model = makeModel(kWorkedExample);
    writeTree(dir.path(), setOf(model, "set/", "robot.asm"));
    fs::current_path(dir.path());
    Workspace workspace(nativeFileSystem());
    FakeUserInterface ui;
    join(workspace, ui, "set/robot.asm", "one.p", LengthCheck::Ask);
    join(workspace, ui, "set/robot.asm", "two.p", LengthCheck::Ask);
    EXPECT_EQ(ui.shown, "");
    EXPECT_EQ(readFile(dir / "one.p"), model);
    EXPECT_EQ(readFile(dir / "two.p"), model);
}

#ifndef _WIN32
// An output that is a symbolic link replaces the file it points to, or makes it when it points
// nowhere, and stays a link. A replaced file keeps its permissions and owner; a new one gets the
// mode that new files get.
TEST(Assemble, FollowsLinksAndKeepsPermissions) {
    const TempDir dir;
    const Bytes model = makeModel(kWorkedExample);
    FileTree tree = setOf(model, "set/", "robot.asm");
    tree["real/out.p"] = {1, 2, 3};
    writeTree(dir.path(), tree);
    fs::permissions(dir / "real/out.p", fs::perms(0640));
    const bool root = ::geteuid() == 0;
    ASSERT_TRUE(!root || ::chown(dir.text("real/out.p").c_str(), 65534, 65534) == 0);
    fs::create_symlink("real/out.p", dir / "out.p");
    fs::create_symlink("real/new.p", dir / "new.p");
    Workspace workspace(nativeFileSystem());
    FakeUserInterface ui;
    for (const std::string& destination :
         {std::string("out.p"), std::string("new.p"), kLong + "xx.p"}) {
        join(workspace, ui, dir / "set/robot.asm", dir / destination, LengthCheck::Ask);
    }
    EXPECT_EQ(ui.shown, "");
    EXPECT_TRUE(fs::is_symlink(dir / "out.p") && fs::is_symlink(dir / "new.p"));
    for (const char* file : {"real/out.p", "real/new.p"}) {
        EXPECT_EQ(readFile(dir / file), model);
    }
    EXPECT_EQ(readFile(dir / (kLong + "xx.p")), model);
    struct stat out {};
    EXPECT_TRUE(::stat(dir.text("real/out.p").c_str(), &out) == 0 &&
                (out.st_mode & 07777) == 0640 && out.st_uid == (root ? 65534u : ::geteuid()));
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(fs::status(dir / "real/new.p").permissions(), fs::perms(0666 & ~mask));
}
#endif

}  // namespace cvx::test
