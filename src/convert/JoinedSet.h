#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "files/ReadHandle.h"
#include "formats/ModelHeader.h"
#include "formats/RunError.h"
#include "formats/SectionIndex.h"
#include "formats/SectionTable.h"

namespace cvx {

// Where bytes lie: `length` bytes of `file` from `offset` on.
struct FilePart {
    FileHandle* file = nullptr;
    std::int64_t offset = 0, length = 0;
};

// What a join of a set gives: header.bin's header and, for each section, the bytes of its file
// that header.bin's counts ask for, from the start of the file. Join and diff read a set through
// it alike; only the next step that their refusals name differs.
struct JoinedSet {
    // A section file longer than the counts ask for: a join leaves its last `size - used` bytes
    // out.
    struct LeftOut {
        const SectionInfo* info = nullptr;
        std::filesystem::path file;
        std::filesystem::path index;  // the set's, as given
        std::int64_t size = 0, used = 0;
    };

    // Returns whether the set of `index` holds the section's file: an optional one (value3.bin)
    // only when the index lists it.
    static bool lists(const SectionIndex& index, const SectionInfo& info);

    // Returns why a join refuses header.bin whose NumValue3 `count` is above 0 while `index` (the
    // index file's name, or "the index") leaves value3.bin out of the set: "NumValue3 3 asks for
    // value3.bin, which the index leaves out of the set". Join and check say it alike.
    static std::string value3Unlisted(std::int32_t count, const std::string& index);

    // Returns the refusal of a file that the index lists but that is not there (code 53), with
    // `remedy` as the next step.
    static RunError missing(const std::filesystem::path& file, Remedy remedy);

    // Reads header.bin from `files` (the set's files by section, open where the index lists them)
    // and measures the sections. Messages name the files as lying in `folder` and `index` as the
    // set's index. Throws what reading header.bin throws, code 62 for a file shorter than the
    // counts ask for, each with `repair` as the next step, and code 52 for value3 that the index
    // leaves out of the set. Asks each open file its size once.
    static JoinedSet read(const std::array<ReadHandle, kSectionCount>& files,
                          const std::filesystem::path& folder, const std::filesystem::path& index,
                          const Remedy& repair);

    ModelHeader header;
    // No file for a section that the join copies nothing of: value3.bin while NumValue3 is 0.
    std::array<FilePart, kSectionCount> parts{};
    std::int32_t frontEnd = 0;  // where the joined model's sections end
    std::vector<LeftOut> leftOut;
};

}  // namespace cvx
