#include <gtest/gtest.h>

#include <cstdio>
#include <iterator>
#include <nlohmann/json.hpp>
#include <ranges>
#include <sstream>

#include "CliRun.h"
#include "support/SplitJoinOracle.h"

namespace cvx::test {
namespace {

using Json = nlohmann::json;

// The JSON of a diff in one line: the counts, header bytes and section files that differ ("poly/24
// 72>96" and changed, inserted, removed), the unowned bytes when they differ, how many notes.
std::string summary(const Json& d) {
    std::string s;
    for (const Json& c : d["counts"]) {
        s += c["name"].get<std::string>() + " " + c["a"].dump() + ">" + c["b"].dump() + " ";
    }
    s += d["header"].empty() ? "" : "header " + d["header"].dump() + " ";
    for (const Json& x : d["sections"]) {
        const std::string file = x["file"];
        s += file.substr(0, file.find('.')) + "/" + x["elementSize"].dump() + " " +
             x["lengthA"].dump() + ">" + x["lengthB"].dump() + " " + x["changed"].dump() +
             x["inserted"].dump() + x["removed"].dump() + " ";
    }
    const Json& u = d["unowned"];
    s += !u["differ"] ? ""
                      : "unowned " + u["a"]["length"].dump() + "@" + u["a"]["offset"].dump() + " " +
                            u["b"]["length"].dump() + "@" + u["b"]["offset"].dump();
    return s + (d["notes"].empty() ? "" : "notes " + std::to_string(d["notes"].size()));
}

// Edits of files in ed/, blank-separated: "poly.bin@24+24" puts 24 bytes (0x5A) in at byte 24,
// "header.bin@36^7" xors the byte at 36 with 7, "poly.bin@50." cuts the file to 50 bytes, and
// "unknown.bin@0." removes it. Returns `tree` so edited.
FileTree edited(FileTree tree, const std::string& edits) {
    std::istringstream in(edits);
    for (std::string token; in >> token;) {
        std::size_t at = 0, value = 0;
        char op = '.';
        std::istringstream(token.substr(token.find('@') + 1)) >> at >> op >> value;
        Bytes& file = tree["ed/" + token.substr(0, token.find('@'))];
        if (op == '+') {
            file.insert(file.begin() + static_cast<std::ptrdiff_t>(at), value, 0x5A);
        } else if (op == '^') {
            file[at] ^= static_cast<std::uint8_t>(value);
        } else if (at > 0) {
            file.resize(at);
        } else {
            tree.erase("ed/" + token.substr(0, token.find('@')));
        }
    }
    return tree;
}

// Pairs of models and sets, each a model and its set edited as modders edit them, and trouble.
// What differs is read from the JSON; the text gives the same status and says the same, by
// position ("element 1 changed"), and names the sides by the paths given or by --label.
TEST(Diff, PairsOfModelsAndSets) {
    // Sections: additional 36, value3 1572864 (more than a block of 1 MiB), color 20, edges 16,
    // poly 72, hundrets 100, fiftysix 60; 1573328 bytes, and in u.p 8 unowned ones at 1573296.
    // Header words: NumValue3 at 24, NumLines 32, NumPolys 36, NumHundrets 48.
    const Bytes model = makeModel({1, 2, 1, 0x30000, 4, 3, 1});
    Bytes u = model;
    u.insert(u.end() - 32, 8, 0x5A);
    FileTree base = {{"robot.p", model}, {"u.p", u}, {"ed/u.p", u}};
    for (const auto& [name, bytes] : splitOf(model)) {
        base["set/" + name] = base["ed/" + name] = bytes;
    }
    base["short.p"] = Bytes(model.begin(), model.begin() + 1573000);
    // Sections: color 200004, poly 1200000 at 200144 (its 24-byte elements cut by the end of a
    // block of 1 MiB). NumPolys at 36.
    base["big.p"] = base["ed/big.p"] = makeModel({1, 1, 0, 0, 0, 50000, 0});
    const std::string ed = "ed/robot.asm";
    const struct {
        const char *name, *edits;
        std::string a, b;
        int status;
        std::string json, text;   // the summary of the JSON; in what the text says, each part of it
        const char* labels = "";  // options after A and B, blank-separated
    } rows[] = {
        {"equal, unowned bytes and all", "", "u.p", "ed/u.p", 0, "", ""},
        {"a model and its own set, A labelled", "", "robot.p", "set/robot.asm", 0, "",
         "old and |set/robot.asm give", "--label=old"},
        {"changed elements, two sets",
         "edges.bin@0^1 edges.bin@9^1 edges.bin@12^1 value3.bin@12^1 value3.bin@40^1 "
         "value3.bin@48^1 value3.bin@100^1",
         "set/robot.asm", ed, 1,
         "value3/8 1572864>1572864 [[1,1],[5,6],[12,12]][][] edges/4 16>16 [[0,0],[2,3]][][] ",
         "value3.bin (8-byte elements): elements 1, 5-6 and 12 changed\n"
         "edges.bin (4-byte elements): elements 0 and 2-3 changed\n"},
        {"a polygon inserted",
         "poly.bin@24+24 color.bin@20+4 header.bin@36^7 header.bin@100^1 header.bin@101^1",
         "robot.p", ed, 1,
         "NumPolys 3>4 header [[100,101]] color/4 20>24 [][[5,1]][] poly/24 72>96 [][[1,1]][] ",
         "NumPolys 3 -> 4\nheader.bin bytes 100-101 differ\n"
         "color.bin (4-byte elements): 1 element inserted at 5\n"},
        {"an edge changed, one inserted",
         "edges.bin@4+4 edges.bin@8^1 header.bin@32^1 header.bin@100^1", "robot.p", ed, 1,
         "NumLines 4>5 header [[100,100]] edges/4 16>20 [[1,1]][[2,1]][] ",
         "header.bin byte 100 differs\nedges.bin (4-byte elements): element 1 changed; 1 element "
         "inserted at 2\n"},
        {"an element inserted, one changed a MiB on",
         "value3.bin@1200000^1 value3.bin@16+8 header.bin@24^1", "robot.p", ed, 1,
         "NumValue3 196608>196609 value3/8 1572864>1572872 [[2,150000]][[150001,1]][] ",
         "value3.bin (8-byte elements): elements 2-150000 changed; 1 element inserted at 150001\n"},
        {"polygons across blocks", "big.p@1280144^1 big.p@224144+24 big.p@2140+4 big.p@36^1",
         "big.p", "ed/big.p", 1,
         "NumPolys 50000>50001 color/4 200004>200008 [][[500,1]][] "
         "poly/24 1200000>1200024 [[1000,45000]][[45001,1]][] ",
         ""},
        {"a hundret before fiftysix's extra word",
         "hundrets.bin@100+100 fiftysix.bin@56+56 header.bin@48^3", "robot.p", ed, 1,
         "NumHundrets 1>2 hundrets/100 100>200 [][[1,1]][] fiftysix/56 60>116 [][[1,1]][] ", ""},
        {"counts that leave bytes out", "header.bin@48^1", "robot.p", ed, 1,
         "NumHundrets 1>0 hundrets/100 100>0 [][][[0,1]] fiftysix/56 60>4 [[0,0]][][[1,1]] notes 2",
         "fiftysix.bin (56-byte elements): element 0 changed; 1 element removed at 1\n|"
         "cindervaxel-cli: note: "},
        {"header bytes, value3 dropped",
         "header.bin@0^1 header.bin@40^1 header.bin@60^1 header.bin@61^1 header.bin@26^3 "
         "robot.asm@17^1",
         ed, "robot.p", 1,
         "NumValue3 0>196608 header [[0,0],[40,40],[60,61]] value3/8 0>1572864 [][[0,196608]][] ",
         "header.bin bytes 0, 40 and 60-61 differ\n"
         "value3.bin (8-byte elements): 196608 elements inserted at 0\n"},
        {"unowned bytes left out of the set", "", "u.p", "set/robot.asm", 1,
         "unowned 8@1573296 0@1573296", "unowned bytes: 8 at offset 1573296 in "},
        {"unowned bytes that differ, both labelled", "u.p@1573300^1", "u.p", "ed/u.p", 1,
         "unowned 8@1573296 8@1573296",
         " in old, 8 at offset 1573296 in new: their bytes differ\nold and new differ in the ",
         "--label old --label=new"},
        {"three labels", "", "u.p", "ed/u.p", 2, "", "diff takes --label at most 2 times, not 3\n",
         "--label x --label y --label z"},
        {"a label missing", "", "u.p", "ed/u.p", 2, "", ": --label needs LABEL\nTry ", "--label"},
        {"missing, a near name beside it", "", "robot.p", "robt.p", 2, "",
         "robt.p: there is no such file: did you mean "},
        {"a pattern", "", "*.p", "robot.p", 2, "", "*.p: its name holds * or ?, which make it a"},
        {"a section file", "", "robot.p", "set/poly.bin", 2, "",
         "is a section file, not a model file or an index file: did you mean"},
        {"a model cut short", "", "short.p", "robot.p", 2, "",
         "the header's counts need 1573328 bytes, the file has 1573000: check that"},
        {"an index cut short", "robot.asm@60.", "robot.p", ed, 2, "",
         "an index file cut short, or with bytes behind its record: run cindervaxel-cli recount"},
        {"a listed file missing", "unknown.bin@0.", "robot.p", ed, 2, "",
         "unknown.bin: the index lists it, but it is not beside the index: put it back beside "},
        {"a section file cut short", "poly.bin@50.", "robot.p", ed, 2, "",
         "poly.bin: header.bin's counts need 72 bytes of it, it has 50: run cindervaxel-cli"},
        {"header.bin cut short", "header.bin@100.", ed, "robot.p", 2, "",
         "header.bin: 128 bytes wanted at offset 0, 100"},
        {"value3 left out of the index", "robot.asm@17^1", "robot.p", ed, 2, "",
         "which the index leaves out of the set: run cindervaxel-cli recount --add-value3 "},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const TempDir dir;
        writeTree(dir / "t", edited(base, row.edits));
        const std::string a = dir.text("t/" + row.a), b = dir.text("t/" + row.b);
        auto diff = [&](std::vector<std::string> args) {
            std::istringstream labels(row.labels);
            args.insert(args.end(), std::istream_iterator<std::string>(labels), {});
            return run(args);
        };
        const auto json = diff({"diff", "--json", a, b}), text = diff({"diff", a, b}),
                   back = diff({"diff", "--json", b, a});
        EXPECT_EQ(std::vector({json.status, text.status, back.status}), std::vector(3, row.status));
        for (const auto& part : std::views::split(std::string_view(row.text), '|')) {
            EXPECT_NE((text.out + text.err).find(std::string_view(part.begin(), part.end())),
                      std::string::npos)
                << text.out << text.err;
        }
        if (row.status == 2) {
            EXPECT_EQ(json.out + text.out, "");
            EXPECT_EQ(json.err, text.err);
            continue;
        }
        const Json d = Json::parse(json.out), r = Json::parse(back.out);
        EXPECT_EQ(summary(d), row.json);
        EXPECT_EQ(d["same"], row.status == 0);
        // The text names the sides as the JSON does.
        EXPECT_NE(text.out.find(d["a"].get<std::string>() + " and " + d["b"].get<std::string>() +
                                (row.status ? " differ in " : " give the same model.\n")),
                  std::string::npos);
        // B against A: the same elements changed, inserted and removed the other way round.
        for (std::size_t i = 0; i < d["sections"].size(); ++i) {
            EXPECT_EQ(r["sections"].at(i)["changed"], d["sections"][i]["changed"]);
            EXPECT_EQ(r["sections"].at(i)["inserted"], d["sections"][i]["removed"]);
        }
    }
}

}  // namespace
}  // namespace cvx::test
