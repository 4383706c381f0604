#include <gtest/gtest.h>

#include <functional>

#include "convert/MakePatch.h"
#include "convert/PatchFile.h"
#include "convert/PatchPlan.h"
#include "files/FileSystem.h"
#include "formats/ModelLayout.h"
#include "support/ModelFiles.h"
#include "support/SplitJoinOracle.h"

namespace cvx::test {
namespace {

// A model as its sections' bytes and the bytes in no section, cut by the model's own layout; the
// edits below work on them, and join() puts them together again with the counts their lengths
// give, worked out here on their own.
struct Parts {
    std::array<Bytes, kSectionCount> sections;
    Bytes unowned;
};

Parts partsOf(const Bytes& model) {
    ModelHeader::Bytes header;
    std::copy_n(model.begin(), 128, header.begin());
    const ModelLayout layout =
        ModelLayout::compute(ModelHeader(header), static_cast<std::int32_t>(model.size()));
    Parts parts;
    auto cut = [&](std::int64_t at, std::int64_t n) { return Bytes(&model[at], &model[at] + n); };
    for (std::size_t i = 0; i < kSectionCount; ++i) {
        parts.sections[i] = cut(layout[Section(i)].offset, layout[Section(i)].length);
    }
    parts.unowned = cut(layout.frontEnd(), layout.unownedBytes());
    return parts;
}

Bytes join(Parts p) {
    auto n = [&](Section s, std::size_t size) {
        return static_cast<std::int32_t>(p.sections[indexOf(s)].size() / size);
    };
    const std::int32_t verts = n(Section::Unknown, 4);
    const std::int32_t words[] = {verts,
                                  n(Section::Additional, 12) - verts,
                                  n(Section::Value3, 8),
                                  n(Section::Edges, 4),
                                  n(Section::Poly, 24),
                                  n(Section::Hundrets, 100)};
    for (std::size_t i = 0; i < 6; ++i) {
        putWord(p.sections[0], std::array{12, 16, 24, 32, 36, 48}[i], words[i]);
    }
    Bytes model;
    for (std::size_t i = 0; i < kSectionCount; ++i) {
        if (i == indexOf(Section::Bbox)) {
            model.insert(model.end(), p.unowned.begin(), p.unowned.end());
        }
        model.insert(model.end(), p.sections[i].begin(), p.sections[i].end());
    }
    return model;
}

using Edit = std::function<void(Parts&)>;

// Elements of `section`: `count` new ones (bytes `fill`) at `at`, or with a negative count that
// many removed from `at`.
Edit put(Section section, std::size_t at, int count, std::uint8_t fill = 0xA5) {
    return [=](Parts& p) {
        const std::size_t size = static_cast<std::size_t>(elementSize(sectionInfo(section)));
        Bytes& bytes = p.sections[indexOf(section)];
        const auto where = bytes.begin() + static_cast<std::ptrdiff_t>(at * size);
        if (count < 0) {
            bytes.erase(where, where + static_cast<std::ptrdiff_t>(size) * -count);
        } else {
            bytes.insert(where, static_cast<std::size_t>(count) * size, fill);
        }
    };
}

// The byte `at` of `section` (0: the header) xored with `value`.
Edit flip(Section section, std::size_t at, std::uint8_t value = 0x11) {
    return [=](Parts& p) { p.sections[indexOf(section)].at(at) ^= value; };
}

Edit both(std::vector<Edit> edits) {
    return [=](Parts& p) {
        for (const Edit& edit : edits) {
            edit(p);
        }
    };
}

// NumPolys more by `count` polygons at `at`, each with its colour.
Edit addPolys(std::size_t at, int count) {
    return both({put(Section::Poly, at, count), put(Section::Color, 0, count)});
}

Bytes edited(const Bytes& model, const Edit& edit) {
    Parts parts = partsOf(model);
    edit(parts);
    return join(parts);
}

const Counts kOriginal{1, 20, 5, 3, 30, 40, 4};

class Patches : public ::testing::Test {
protected:
    fs::path write(const std::string& name, const Bytes& bytes) {
        writeFile(m_dir / name, bytes);
        return m_dir / name;
    }
    ModelSource open(const fs::path& path) {
        std::vector<JoinedSet::LeftOut> ignored;
        return ModelSource::open(nativeFileSystem(), path, ignored);
    }
    PatchPlan::Named patch(const Bytes& original, const Bytes& mod, const std::string& name) {
        return {m_dir / name, makePatch(open(write("o.p", original)), open(write("m.p", mod)))};
    }
    // The result of applying `patches` to `original` (a path), with the notes of plan and run.
    Bytes apply(const fs::path& original, std::vector<PatchPlan::Named> patches,
                PatchPlan::Prefer prefer = PatchPlan::Prefer::None) {
        const ModelSource source = open(original);
        const PatchPlan plan = PatchPlan::make(source, std::move(patches), prefer);
        notes = plan.notes();
        const Bytes result = run(plan, source);
        EXPECT_EQ(std::ssize(result), plan.length());
        return result;
    }
    // What `plan` writes behind the bytes a file holds already; the run's notes go to `notes`.
    Bytes run(const PatchPlan& plan, const ModelSource& source) {
        fs::remove(m_dir / "r.p");  // left by a run that was refused
        Bytes result;
        {
            const std::unique_ptr<FileHandle> out = nativeFileSystem().createNew(m_dir / "r.p");
            const Bytes lead{1, 2, 3};
            out->write(lead);
            for (const std::string& note : plan.run(source, *out)) {
                notes.push_back(note);
            }
            out->close();
            result = readFile(m_dir / "r.p");
            EXPECT_TRUE(std::equal(lead.begin(), lead.end(), result.begin()));
            result.erase(result.begin(), result.begin() + std::ssize(lead));
        }
        return result;
    }
    int refusal(const std::function<void()>& run, const std::string& cause) {
        try {
            run();
        } catch (const RunError& error) {
            EXPECT_NE(error.detail().find(cause), std::string::npos) << error.detail();
            return codeNumber(error.code());
        }
        return 0;
    }

    TempDir m_dir;
    std::vector<std::string> notes;
};

// Every kind of edit comes back byte for byte through a patch file, from a model or a set.
TEST_F(Patches, GiveTheModBack) {
    const struct {
        const char* name;
        Counts counts;
        std::size_t unowned;
        Edit edit;
    } rows[] = {
        {"changed elements", kOriginal, 0,
         both({flip(Section::Poly, 30), flip(Section::Poly, 130)})},
        {"inserted polygons", kOriginal, 0, addPolys(3, 2)},
        {"removed edges", kOriginal, 0, put(Section::Edges, 0, -3)},
        {"20 edges removed, 20 changed", kOriginal, 0,
         both({put(Section::Edges, 5, -20),
               [](Parts& p) {
                   std::fill_n(p.sections[indexOf(Section::Color)].begin(), 80, 0x5A);
               }})},
        {"value3 added", {1, 20, 5, 0, 30, 40, 4}, 0, put(Section::Value3, 0, 2)},
        {"value3 dropped", kOriginal, 0, put(Section::Value3, 0, -3)},
        {"header bytes and type", kOriginal, 0,
         both({flip(Section::Header, 8), flip(Section::Header, 100)})},
        {"a hundret more, the last word changed", kOriginal, 0,
         both({put(Section::Hundrets, 4, 1), put(Section::Fiftysix, 2, 1),
               flip(Section::Fiftysix, 226)})},
        {"bytes in no section", kOriginal, 5, [](Parts& p) { p.unowned.assign(9, 3); }},
        {"a vertex more", kOriginal, 0,
         both({put(Section::Unknown, 20, 1), put(Section::Additional, 0, 1),
               put(Section::Color, 7, 1)})},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Bytes original = makeModel(row.counts, row.unowned, 7);
        const Bytes mod = edited(original, row.edit);
        const Bytes bytes = patch(original, mod, "p").patch.encode();
        const fs::path file = write("p.cvxpatch", bytes);
        EXPECT_EQ(apply(write("a.p", original), {{file, readPatchFile(nativeFileSystem(), file)}}),
                  mod);
        EXPECT_TRUE(notes.empty());
        if (row.unowned == 0) {  // a set has none
            writeTree(m_dir / "set", splitOf(original));
            EXPECT_EQ(apply(m_dir / "set/robot.asm", {{file, ModelPatch::decode(bytes, file)}}),
                      mod);
        }
    }
}

// Three polygons changed, or 10 000 removed, in a model of 2 MiB make a patch of a few hundred
// bytes, which gives the mod back from stretches of the original long enough for the kernel to
// copy.
TEST_F(Patches, AreSmall) {
    const Bytes original = makeModel({1, 3000, 0, 0, 100, 80000, 10}, 0, 3);
    for (const Edit& edit :
         {both({flip(Section::Poly, 24 * 10), flip(Section::Poly, 24 * 5000),
                flip(Section::Poly, 24 * 79999)}),
          both({put(Section::Poly, 50, -10000), put(Section::Color, 9, -10000)})}) {
        const Bytes mod = edited(original, edit);
        const PatchPlan::Named made = patch(original, mod, "p");
        EXPECT_LT(made.patch.encode().size(), 500U);
        EXPECT_EQ(apply(write("a.p", original), {made}), mod);
    }
}

// Patches meet originals they were not made from, and each other.
TEST_F(Patches, ApplyToUpdatedOriginalsAndCombine) {
    using P = PatchPlan::Prefer;
    const Bytes o = makeModel(kOriginal, 0, 7);
    const Edit poly10 = flip(Section::Poly, 24 * 10 + 3),
               poly10b = flip(Section::Poly, 24 * 10 + 4), edge1 = flip(Section::Edges, 5),
               lines = put(Section::Edges, 29, 2);
    const Edit long8 = put(Section::Edges, 8, -20);
    const auto a = patch(o, edited(o, poly10), "a"), b = patch(o, edited(o, poly10b), "b"),
               e = patch(o, edited(o, both({edge1, lines})), "e"),
               r = patch(o, edited(o, long8), "r");
    // Two polygons in front of polygon 10, and one edge less: it stands two places on.
    const Edit update = both({addPolys(0, 2), put(Section::Edges, 0, -1)});
    const Bytes updated = edited(o, update);
    const fs::path original = write("o.p", o);
    EXPECT_EQ(apply(write("u.p", updated), {a, e, r}),
              edited(o, both({poly10, edge1, lines, long8, update})));
    EXPECT_EQ(notes.size(), 3U);
    EXPECT_NE(notes[0].find("1 of its 1 runs stand elsewhere"), std::string::npos) << notes[0];
    EXPECT_NE(notes[2].find("1 of its 1 runs stand elsewhere"), std::string::npos) << notes[2];

    EXPECT_EQ(apply(original, {a, e, a}), edited(o, both({poly10, edge1, lines})));
    EXPECT_EQ(notes,
              std::vector<std::string>{"1 change of " + toText(m_dir / "a") +
                                       " is made by a patch before it too, and counts once"});
    EXPECT_EQ(apply(original, {a, b}, P::First), edited(o, poly10));
    EXPECT_EQ(apply(original, {a, b}, P::Last), edited(o, poly10b));
    const std::string differ = toText(m_dir / "a") + " and " + toText(m_dir / "b") +
                               " change element 10 of poly.bin differently";
    EXPECT_EQ(notes, std::vector<std::string>{differ + "; the change of " + toText(m_dir / "b") +
                                              " is taken"});
    EXPECT_EQ(refusal([&] { apply(original, {a, b}); }, differ), 5);
    const auto cut = patch(o, edited(o, put(Section::Edges, 5, -4)), "c"),
               in = patch(o, edited(o, put(Section::Edges, 7, 1)), "i");
    EXPECT_EQ(refusal([&] { apply(original, {cut, in}); }, "change element 7 of edges.bin"), 5);

    const auto merged = [&](P prefer) {
        const ModelSource base = open(original), mod = open(write("x.p", edited(o, poly10))),
                          other = open(write("y.p", edited(o, edge1)));
        const PatchPlan plan = PatchPlan::merge(base, mod, "x.p", other, "y.p", prefer);
        return run(plan, base);
    };
    EXPECT_EQ(merged(P::None), edited(o, both({poly10, edge1})));
}

// A patch that does not fit the original, or that does not give what it was made to give, is
// refused before or while the result is written.
TEST_F(Patches, RefuseWhatDoesNotFit) {
    const Bytes o = makeModel(kOriginal, 4, 7);
    auto a = patch(o, edited(o, flip(Section::Poly, 24 * 10 + 3)), "a");
    EXPECT_EQ(refusal([&] { apply(write("w.p", edited(o, flip(Section::Poly, 24 * 10))), {a}); },
                      "poly.bin: its run at element 10 is found nowhere"),
              9);
    EXPECT_EQ(
        refusal([&] { apply(write("w.p", edited(o, flip(Section::Poly, 24 * 10 + 3))), {a}); },
                "the model it gives already"),
        9);
    // Of a long run, only the hash of all its bytes tells an element in its middle.
    const auto r = patch(o, edited(o, put(Section::Edges, 5, -20)), "r");
    EXPECT_EQ(refusal([&] { apply(write("w.p", edited(o, flip(Section::Edges, 4 * 15))), {r}); },
                      "edges.bin: its run at elements 5 to 24 is found nowhere"),
              9);
    EXPECT_EQ(refusal(
                  [&] {
                      apply(write("w.p", edited(o, flip(Section::Header, 100))),
                            {patch(o, edited(o, flip(Section::Header, 100, 2)), "h")});
                  },
                  "header.bin bytes 100 to 100 of the original are not"),
              9);
    EXPECT_EQ(refusal(
                  [&] {
                      apply(write("w.p", edited(o, [](Parts& p) { p.unowned[0] ^= 1; })),
                            {patch(o, edited(o, [](Parts& p) { p.unowned = {1}; }), "u")});
                  },
                  "4 bytes in no section"),
              9);
    a.patch.resultHash.low ^= 1;
    EXPECT_EQ(refusal([&] { apply(write("o.p", o), {a}); }, "it is damaged"), 75);
}

}  // namespace
}  // namespace cvx::test
