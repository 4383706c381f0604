#pragma once

#include <string>

#include "UserInterface.h"
#include "convert/Outcome.h"

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

// The message that tells `failure`. An error is titled by its cause: "File does not exist!" for
// the code that the operation expects; for every other code the cause's line and the code, or the
// unknown-error text with the code where the cause was not foreseen. A missing section file and
// a length that differs have messages of their own. The detail line of the error below it.
Message messageOf(const Failure& failure);

// Shows the message of `failure` through `ui`.
void report(UserInterface& ui, const Failure& failure);

}  // namespace cvx
