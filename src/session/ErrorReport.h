#pragma once

#include <filesystem>
#include <string>

#include "convert/JoinedSet.h"
#include "convert/SectionSet.h"
#include "formats/RunError.h"

namespace cvx {

// Returns `remedy` in words: a command of the command-line tool as the user would type it, the
// file quoted for this system's shell ("run cindervaxel-cli recount '/m/My Models/robot.asm'"),
// then its words.
std::string wordsOf(const Remedy& remedy);

// Returns the line that goes with a message: the file, the cause and the next step
// ("/m/short.p: the header's counts need 1140 bytes, the file has 100: check that ..."); without
// a file, the cause and the next step.
std::string detailLine(const std::filesystem::path& file, const std::string& cause,
                       const Remedy& remedy);

// Returns the line that goes with the message of `error`, the code's usual next step where it
// names none.
std::string detailLine(const RunError& error);

// Returns the note on a section file of a set whose bytes past header.bin's counts a model of
// the set leaves out, as a join leaves them out.
std::string leftOutNote(const JoinedSet::LeftOut& file);

// Returns the line that tells `problem`: the file, the cause and the next step.
std::string lineOf(const Problem& problem);

}  // namespace cvx
