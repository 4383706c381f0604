#include <gtest/gtest.h>

#include "CliRun.h"
#include "support/SplitJoinOracle.h"

namespace cvx::test {
namespace {

// A copy of `model` with byte `at` (of additional.bin's first elements) set to `value`.
Bytes with(Bytes model, std::size_t at, std::uint8_t value) {
    model.at(128 + at) = value;
    return model;
}

// The patch commands as modders and players run them: the result of each run that writes, and
// each slip of the keyboard refused with its code and nothing written.
TEST(PatchCommands, WriteTheirResultsAndRefuseWhatIsNotTheirs) {
    const TempDir dir;
    const Bytes original = makeModel(kWorkedExample);
    const Bytes modA = with(original, 0, 0x11), modB = with(original, 0, 0x22);
    const Bytes modC = with(original, 12, 0x33), both = with(modA, 12, 0x33);
    // Header bytes 100-101 and 101-102 changed: byte 101 differently.
    Bytes headerA = original, headerB = original;
    headerA.at(100) = 0xA0, headerA.at(101) = 0xA1, headerB.at(101) = 0xB1, headerB.at(102) = 0xB2;
    Bytes headers = headerB;
    headers.at(100) = 0xA0;
    FileTree files = {{"o.p", original},
                      {"a.p", modA},
                      {"b.p", modB},
                      {"c.p", modC},
                      {"notes.txt", {'h', 'i'}},
                      {"w.p", makeModel(kWorkedExample, 0, 7)},
                      {"ha.p", headerA},
                      {"hb.p", headerB},
                      {"ip.p", original}};
    for (const auto& [name, bytes] : splitOf(original)) {
        files["set/" + name] = bytes;
    }
    writeTree(dir.path(), files);
    auto at = [&](const char* name) { return dir.text(name); };
    for (const char* mod : {"a", "b", "c", "ha", "hb"}) {
        ASSERT_EQ(run({"patch", at("set/robot.asm"), at((std::string(mod) + ".p").c_str()),
                       at((std::string(mod) + ".cvxpatch").c_str())})
                      .status,
                  0);
    }
    const struct {
        std::vector<std::string> args;
        int status;
        std::string said;               // on standard error
        const char* written = nullptr;  // the file that the run writes
        const Bytes* gives = nullptr;   // what it holds then
    } rows[] = {
        {{"apply", at("o.p"), at("a.cvxpatch"), at("out.p")}, 0, "", "out.p", &modA},
        {{"apply", at("set/robot.asm"), at("a.cvxpatch"), at("c.cvxpatch"), at("ac.p")},
         0,
         "",
         "ac.p",
         &both},
        {{"merge", at("o.p"), at("a.p"), at("c.p"), at("m.p")}, 0, "", "m.p", &both},
        {{"apply", at("a.p"), at("c.cvxpatch"), at("u.p")},
         0,
         "made from another original",
         "u.p",
         &both},
        {{"apply", at("ip.p"), at("c.cvxpatch"), at("ip.p")},
         0,
         "the original is kept as " + at("ip.p.orig"),
         "ip.p",
         &modC},
        {{"apply", at("o.p"), at("a.cvxpatch"), at("b.cvxpatch"), at("x.p")},
         1,
         "element 0",
         nullptr,
         nullptr},
        {{"apply", "--prefer", "last", at("o.p"), at("a.cvxpatch"), at("b.cvxpatch"), at("x.p")},
         0,
         "",
         "x.p",
         &modB},
        {{"merge", "--prefer", "a", at("o.p"), at("a.p"), at("b.p"), at("y.p")},
         0,
         "",
         "y.p",
         &modA},
        {{"apply", "--force", at("o.p"), at("a.cvxpatch"), at("notes.txt")},
         0,
         "",
         "notes.txt",
         &modA},
        {{"apply", at("o.p"), at("ha.cvxpatch"), at("hb.cvxpatch"), at("x.p")}, 1, "ha.cvxpatch"},
        {{"apply", "--prefer", "last", at("o.p"), at("ha.cvxpatch"), at("hb.cvxpatch"), at("x.p")},
         0,
         "",
         "x.p",
         &headers},
        // Slips of the keyboard.
        {{"apply", at("w.p"), at("c.cvxpatch"), at("z.p")}, 1, "Error Code: 9"},
        {{"apply", at("a.cvxpatch"), at("o.p"), at("z.p")}, 1, "a patch file (.cvxpatch)"},
        {{"apply", at("o.p"), at("a.p"), at("z.p")}, 1, "Error Code: 75"},
        {{"apply", at("o.p"), at("a.cvxpatch"), at("c.cvxpatch")}, 1, "not a model file"},
        {{"apply", at("o.p"), at("a.cvxpatch"), at("set/poly.bin")}, 1, "Error Code: 75"},
        {{"apply", at("o.p"), at("a.cvxpatch"), at("b.p")}, 1, "another mod of o"},
        {{"apply", at("o.p"), at("missing.cvxpatch"), at("z.p")}, 1, "Error Code: 53"},
        {{"patch", at("o.p"), at("c.p"), at("notes.txt")}, 1, "--force"},
        {{"patch", at("o.p"), at("c.p"), at("a.p")}, 1, "not a patch file"},
        {{"merge", at("o.p"), at("a.p"), at("c.p"), at("a.p")}, 1, "one of the files given"},
        {{"apply", "--prefer", "a", at("o.p"), at("a.cvxpatch"), at("z.p")}, 2, "first or last"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.args[0] + " " + row.args[1] + " " + row.args[2]);
        const FileTree before = readTree(dir.path());
        const CliRun result = run(row.args);
        EXPECT_EQ(result.status, row.status) << result.err;
        EXPECT_NE(result.err.find(row.said), std::string::npos) << result.err;
        FileTree expected = before;
        if (row.written) {
            expected[row.written] = *row.gives;
            if (std::string(row.written) == "ip.p") {
                expected["ip.p.orig"] = original;
            }
        }
        EXPECT_EQ(readTree(dir.path()), expected);
        writeTree(dir.path(), before);
    }
    // info tells what a patch changes and what it was made from.
    const CliRun info = run({"info", at("c.cvxpatch")});
    EXPECT_EQ(info.status, 0);
    EXPECT_NE(info.out.find("additional.bin: element 1 changed\n"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("a model of 432 bytes"), std::string::npos) << info.out;
}

}  // namespace
}  // namespace cvx::test
