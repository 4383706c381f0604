#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "JoinedSet.h"
#include "files/FileSystem.h"
#include "files/ReadHandle.h"
#include "formats/ModelHeader.h"
#include "formats/SectionTable.h"

namespace cvx {

// A model as a command reads it: the model that a model file is, or that a join of a set gives,
// named by a model file or by the set's index file. It holds its files open as long as it lives.
struct ModelSource {
    // Opens the model that `given` (a path as the user gave it) is or stands for. Throws RunError,
    // naming the file, the cause and the next step, when it is no model or index (code 75), is
    // missing (53, with a file of a near name offered), is a pattern (64), is damaged (62, 9 or
    // 6), or is a set that a join would refuse: a listed file missing (53), shorter than
    // header.bin's counts need (62), or value3 bytes that the index leaves out (52). Adds to
    // `leftOut` the section files that hold bytes beyond header.bin's counts, which the model
    // leaves out.
    static ModelSource open(FileSystem& fileSystem, const std::filesystem::path& given,
                            std::vector<JoinedSet::LeftOut>& leftOut);

    std::vector<ReadHandle> files;                   // closed as the source goes
    std::array<ReadHandle, kSectionCount> sections;  // of a set, by section
    ModelHeader header;
    std::array<FilePart, kSectionCount> parts{};
    FilePart unowned;  // bytes in no section; its offset is where they lie, or would lie
};

// Returns the bytes [from, to) of `part`. Throws RunError when they cannot be read.
std::vector<std::uint8_t> readPart(const FilePart& part, std::int64_t from, std::int64_t to);

}  // namespace cvx
