#pragma once

#include <filesystem>
#include <string>

#include "Outcome.h"
#include "formats/RunError.h"

namespace cvx {

// Returns the advice to run the command-line tool's `command` on `file`, the file quoted for this
// system's shell: "run cindervaxel-cli recount '/m/My Models/robot.asm'".
std::string runCommand(const std::string& command, const std::filesystem::path& file);

// Returns what the user can do about an error of `code`, where the place that raised it knew no
// better: "free some space on the disk ... and try again".
const char* usualRemedy(ErrorCode code);

// Returns the line that goes with a message: the file, the cause and the next step
// ("/m/short.p: the header's counts need 1140 bytes, the file has 100: check that ..."); without
// a file, the cause and the next step.
std::string detailLine(const std::filesystem::path& file, const std::string& cause,
                       const std::string& remedy);

// Returns the line that goes with the message of `error`, the code's usual next step where it
// names none.
std::string detailLine(const RunError& error);

}  // namespace cvx
