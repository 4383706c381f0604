#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "formats/SectionTable.h"

// The names of the files of a split model, built here and nowhere else: the index named after
// the model, the model's own folder, the section files, and whether a name is an index's.
namespace cvx::names {

// Returns the index file's name for the model named `model` ("robot.p" gives "robot.asm"): its
// name without its last extension, and ".asm". Throws code 5 for a name without an extension.
std::filesystem::path indexOf(const std::filesystem::path& model);

// Returns the name of the folder of its own that the model named `model` is split into
// ("robot.p" gives "robot"); nothing when the name gives no folder ("..p", ".p"). Throws code 5
// for a name without an extension.
std::optional<std::filesystem::path> ownFolderOf(const std::filesystem::path& model);

// Returns the name of the file that holds `section` ("poly.bin").
std::filesystem::path sectionFile(Section section);

// True when the name of `path` ends in ".asm", in any case: the name of an index file.
bool isIndexName(const std::filesystem::path& path);

// Returns the name of `path` without its last extension, as text, as a set is named after its
// model ("robot" of "robot.asm"); the whole name when it has none.
std::string stemOf(const std::filesystem::path& path);

}  // namespace cvx::names
