#pragma once

#include <string>

#include "UserInterface.h"
#include "formats/RunError.h"

namespace cvx {

inline constexpr const char* kErrorTitle = "Error";
inline constexpr const char* kFileDoesNotExist = "File does not exist!";

// Returns "An unkown Error has occured!", CR LF, "Error Code: " and `code` in decimal.
std::string unknownErrorText(ErrorCode code);

// What an error of a code says of its cause, as a message's title ("File Cut Short") and first
// line ("A file is shorter than the bytes it must give."); no line for a code that only a fault
// of the program raises.
struct Cause {
    const char* title;
    const char* heading;  // nullptr: not foreseen
};
Cause causeOf(ErrorCode code);

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

// The message of an operation's error handler, titled by its cause: "File does not exist!" for
// `expected`, the one code the operation expects; for every other code the cause's line and the
// code, or the unknown-error text with the code where the cause was not foreseen. `error`'s
// detail line below it.
void reportError(UserInterface& ui, const RunError& error, ErrorCode expected);

// The error handler at the end of an operation; call it only inside a catch block, when the run's
// files are closed. Reports the error being handled: a RunError by its code, a failed allocation
// as code 7 and any other standard exception as code 51.
void handleOperationError(UserInterface& ui, ErrorCode expected);

}  // namespace cvx
