#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "ContentHash.h"
#include "ModelHeader.h"
#include "SectionTable.h"

namespace cvx {

// What a mod changes in a model, in the model's own terms: elements of its section files,
// header bytes and the bytes in no section. Little of the original is in it: the hashes of the
// elements that it changes or removes and of a few neighbours each side, by which a run is found
// again in an updated original, and the hashes of the whole original and the whole result.
// docs/patch-format.md describes the file (.cvxpatch) byte by byte.
struct ModelPatch {
    // The first bytes of every patch file.
    static constexpr std::string_view kSignature = "CVXPATCH";
    // The version written; version 1, which keeps the hash of every element a run replaces, is
    // read too.
    static constexpr std::uint16_t kVersion = 2;
    // Neighbours whose hashes a patch keeps each side of a run, and the most a reader takes.
    static constexpr std::int32_t kNeighbours = 3;
    static constexpr std::int32_t kMostNeighbours = 16;
    // A run that replaces more than kLongRun elements keeps the hashes of its first and last
    // kEdge of them only, and one hash of all their bytes.
    static constexpr std::int32_t kLongRun = 16;
    static constexpr std::int32_t kEdge = 4;

    struct CountChange {
        Count count;
        std::int32_t before, after;
    };
    // Bytes of the header outside the count words, from `offset` on.
    struct HeaderRun {
        std::int32_t offset;
        std::vector<std::uint8_t> before, after;
    };
    // At element `position` of the original (0-based), `removed` elements are replaced by the
    // `inserted` elements in `bytes`.
    struct Hunk {
        std::int32_t position = 0, removed = 0, inserted = 0;
        // Hashes of the neighbours in front, in order (as anchorMask() keeps them).
        std::vector<std::uint64_t> before;
        // Of the `removed` elements; of a long run, of its first and last kEdge only, with the
        // hash of all their bytes in `whole`.
        std::vector<std::uint64_t> old;
        std::vector<std::uint64_t> after;  // of the neighbours behind
        std::vector<std::uint8_t> bytes;
        std::optional<Hash128> whole;

        std::int32_t end() const { return position + removed; }
        // Whether `old` holds the ends of the run only: a long run of a patch since version 2.
        bool longRun() const { return whole.has_value(); }
    };
    struct SectionEdit {
        Section section;
        std::int32_t elementsBefore = 0, elementsAfter = 0;
        std::vector<Hunk> hunks;  // in order, none overlapping another
    };
    // The bytes in no section, when they changed: how many there were, their hash, and all of
    // the new ones.
    struct Unowned {
        std::int32_t lengthBefore = 0;
        std::uint64_t hashBefore = 0;
        std::vector<std::uint8_t> after;
    };

    std::uint16_t version = kVersion;  // as read; a patch is written in its own version
    std::int32_t originalLength = 0, resultLength = 0;
    Hash128 originalHash, resultHash;
    std::vector<CountChange> counts;
    std::vector<HeaderRun> header;
    std::optional<Unowned> unowned;
    std::vector<SectionEdit> sections;  // in file order

    // Of the neighbours of a run and of the ends of a long run, a patch since version 2 keeps the
    // lower 32 bits of the hashes alone: enough to find a run by.
    std::uint64_t anchorMask() const { return version >= 2 ? 0xFFFF'FFFF : ~std::uint64_t{0}; }

    // Returns the patch file's bytes.
    std::vector<std::uint8_t> encode() const;

    // Returns the patch that `bytes`, the contents of the patch file `file`, hold. Throws
    // RunError naming `file`: code 75 when they are no patch (another signature, an unknown
    // version, a checksum that does not match), 62 when they end before what they announce, 6
    // for a length of 2 GiB or more, 9 for any other value out of range: a count word or section
    // that does not exist, runs out of order, overlapping or past their section, neighbours that
    // are not there, bytes that are not whole elements. Allocates no more than `bytes` holds.
    static ModelPatch decode(std::span<const std::uint8_t> bytes,
                             const std::filesystem::path& file);
};

}  // namespace cvx
