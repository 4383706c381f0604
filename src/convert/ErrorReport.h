#pragma once

#include <string>

#include "UserInterface.h"
#include "files/FileTable.h"
#include "formats/RunError.h"

namespace cvx {

inline constexpr const char* kErrorTitle = "Error";
inline constexpr const char* kFileDoesNotExist = "File does not exist!";

// Returns "An unkown Error has occured!", CR LF, "Error Code: " and `code` in decimal.
std::string unknownErrorText(ErrorCode code);

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

// The message of an operation's error handler: "File does not exist!" for `expected`, the one
// code the operation expects, and the unknown-error text with the code for every other code.
// Title "Error"; `error`'s detail line below it.
void reportError(UserInterface& ui, const RunError& error, ErrorCode expected);

// The error handler at the end of an operation; call it only inside a catch block. Closes every
// open file, then reports the error being handled: a RunError by its code, a failed allocation
// as code 7 and any other standard exception as code 51.
void handleOperationError(FileTable& files, UserInterface& ui, ErrorCode expected);

}  // namespace cvx
