#include <gtest/gtest.h>

#include "PatchFuzzer.h"
#include "formats/ModelPatch.h"
#include "formats/RunError.h"
#include "support/ModelFiles.h"

namespace cvx::test {
namespace {

// A patch with every kind of record: count words, header bytes, unowned bytes, and runs that
// change, insert (fiftysix.bin's shorter last element among them) and remove elements.
ModelPatch fullPatch() {
    ModelPatch p;
    p.originalLength = 432;
    p.resultLength = 460;
    p.originalHash = {1, 2};
    p.resultHash = {3, 4};
    p.counts = {{Count::NumPolys, 1, 2}, {Count::NumHundrets, 1, 0}};
    p.header = {{40, {1, 2}, {3, 4}}, {100, {5}, {6}}};
    p.unowned = ModelPatch::Unowned{8, 99, {7, 7, 7}};
    ModelPatch::Hunk poly{1, 0, 1, {11}, {}, {}, Bytes(24, 9), {}};
    ModelPatch::Hunk fifty{0, 2, 1, {}, {21, 22}, {}, Bytes(4, 8), {}};
    // Of 17 elements removed, the hashes of the first and last four and of all their bytes.
    ModelPatch::Hunk value3{2, 17, 0, {31}, {1, 2, 3, 4, 5, 6, 7, 8}, {32}, {}, Hash128{9, 10}};
    p.sections = {{Section::Value3, 20, 3, {value3}},
                  {Section::Poly, 1, 2, {poly}},
                  {Section::Fiftysix, 2, 1, {fifty}}};
    return p;
}

// A patch of one run alone: its numbers lie at fixed offsets (section record at 68, the run's
// position at 84, removed 88, inserted 92, byte length 96, neighbours 100 and 102).
Bytes onePatch() {
    ModelPatch p;
    p.originalLength = p.resultLength = 432;
    p.sections = {{Section::Poly, 1, 1, {{0, 1, 1, {}, {5}, {}, Bytes(24, 1), {}}}}};
    return p.encode();
}

// A patch that inserts a last element of fiftysix.bin, `bytes` long.
Bytes fiftysixPatch(std::size_t bytes) {
    ModelPatch p;
    p.originalLength = p.resultLength = 432;
    p.sections = {{Section::Fiftysix, 1, 2, {{1, 0, 1, {}, {}, {}, Bytes(bytes, 1), {}}}}};
    return p.encode();
}

Bytes put(Bytes bytes, std::size_t at, std::int32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        bytes.at(at + i) = static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> (8 * i));
    }
    return bytes;
}

TEST(PatchFormat, ComesBackWhole) {
    ModelPatch patch = fullPatch();
    const Bytes bytes = patch.encode();
    EXPECT_EQ(ModelPatch::decode(bytes, "p.cvxpatch").encode(), bytes);
    // Version 1 keeps 8 bytes of the hash of every element a run replaces and of its neighbours,
    // where version 2 keeps, of the long run, 4 of each neighbour and end, and 16 of all its
    // bytes: 3 * 8 + 17 * 8 against 3 * 4 + 8 * 4 + 16 bytes.
    patch.version = 1;
    ModelPatch::Hunk& run = patch.sections[0].hunks[0];
    run.whole.reset();
    run.old.resize(17, 7);
    const Bytes first = patch.encode();
    EXPECT_EQ(first.size(), bytes.size() + 100);
    EXPECT_EQ(ModelPatch::decode(first, "p.cvxpatch").encode(), first);
}

// Every damaged or hostile patch is refused with its code and cause, never read past its end
// nor allocated for what it only claims.
TEST(PatchFormat, RefusesDamagedPatches) {
    const Bytes one = onePatch(), full = fullPatch().encode();
    Bytes flipped = one, longer = one, cut = one;
    flipped[110] ^= 1;  // in a hash: only the checksum tells
    longer.insert(longer.end() - 8, 0);
    cut.resize(90);
    const struct {
        const char* name;
        Bytes bytes;
        int code;
        std::string cause;
    } rows[] = {
        {"empty", {}, 75, "no patch"},
        {"a picture", {0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0}, 75, "no patch"},
        {"signature alone", Bytes(one.begin(), one.begin() + 8), 62, "cut short"},
        {"cut in a run", cut, 62, "cut short"},
        {"without its checksum", Bytes(one.begin(), one.end() - 8), 62, "cut short"},
        {"version 3", put(one, 8, 3), 75, "version 3"},
        {"version 0", put(one, 8, 0), 75, "version 0"},
        {"flipped byte", flipped, 75, "checksum"},
        {"bytes after the last record", longer, 9, "follow its last record"},
        {"runs beyond the file", put(one, 80, -1), 62, "4294967295 runs"},
        {"original of 2 GiB", put(one, 12, INT32_MIN), 6, "2 GiB"},
        {"no such section", put(one, 68, 10), 9, "names no section"},
        {"run past its section", put(one, 84, 1), 9, "goes past"},
        {"run that changes nothing", put(put(one, 88, 0), 92, 0), 9, "changes nothing"},
        {"bytes not whole elements", put(one, 96, 23), 9, "23 bytes for 1 elements"},
        {"neighbours not there", put(one, 100, 1), 9, "neighbours"},
        {"header bytes in a count word", put(full, 88, 14), 9, "among its count words"},
        {"fiftysix.bin's last word too long", fiftysixPatch(8), 9, "8 bytes for 1 elements"},
        {"elements not as recorded", put(one, 76, 2), 9, "say"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        try {
            ModelPatch::decode(row.bytes, "p.cvxpatch");
            ADD_FAILURE() << "taken";
        } catch (const RunError& error) {
            EXPECT_EQ(codeNumber(error.code()), row.code);
            EXPECT_NE(error.detail().find(row.cause), std::string::npos) << error.detail();
            EXPECT_EQ(error.file(), "p.cvxpatch");
        }
    }
}

// The hashes are XXH3's, whichever of its codes this processor runs: 100 000 bytes given in pieces
// of many lengths hash as xxHash's own library hashes them at once.
TEST(PatchFormat, HashesAreXxh3s) {
    Bytes bytes(100000);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
    }
    StreamHash hash;
    for (std::size_t at = 0, n = 1; at < bytes.size(); at += n, n = n * 3 + 1) {
        hash.add(std::span(bytes).subspan(at, std::min(n, bytes.size() - at)));
    }
    EXPECT_EQ(hash.digest().hex(), "4e53faeda1b5812bb25cea78018497ff");
    EXPECT_EQ(hash64(std::span(bytes).first(100)), 0x6dbb812cf19d012eU);
}

// The patch fuzzing corpus through its fuzz target, which aborts on a finding.
TEST(PatchFormat, TheFuzzCorpusPasses) {
    int inputs = 0;
    for (const auto& entry : fs::directory_iterator(toPath(CINDERVAXEL_PATCH_CORPUS))) {
        const Bytes input = readFile(entry.path());
        fuzzPatch(input.data(), input.size());
        ++inputs;
    }
    EXPECT_GE(inputs, 10);
}

}  // namespace
}  // namespace cvx::test
