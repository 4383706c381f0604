#pragma once

#include <string>

#include "FileTable.h"
#include "UserInterface.h"
#include "formats/RunError.h"

namespace cvx {

inline constexpr const char* kErrorTitle = "Error";
inline constexpr const char* kFileDoesNotExist = "File does not exist!";

// Returns "An unkown Error has occured!", CR LF, "Error Code: " and `code` in decimal.
std::string unknownErrorText(ErrorCode code);

// The message of an operation's error handler: "File does not exist!" for `expected`, the one
// code the operation expects, and the unknown-error text with the code for every other code.
// Title "Error".
void reportError(UserInterface& ui, ErrorCode code, ErrorCode expected);

// The error handler at the end of an operation; call it only inside a catch block. Closes every
// open file, then reports the error being handled: a RunError by its code, a failed allocation
// as code 7 and any other standard exception as code 51.
void handleOperationError(FileTable& files, UserInterface& ui, ErrorCode expected);

}  // namespace cvx
