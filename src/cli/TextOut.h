#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "formats/RunError.h"

namespace cvx {

// Everything that the command-line tool prints goes through here. `text` is UTF-8; a stream that
// goes to a file or a pipe gets its bytes unchanged, and a console shows its characters as they
// are meant (each platform's TextOut.cpp says how). A write that fails or is cut short is kept
// for writeFailure.
void writeText(std::FILE* stream, std::string_view text);

// Writes a message of the tool: "cindervaxel-cli: ", `text` and a line end, then, when `code` is
// given, a line with the code's number, as the window shows it. Every refusal and every error
// the tool tells of is written here.
void writeError(std::FILE* stream, std::string_view text, std::optional<ErrorCode> code);

// Returns why the first write to `stream` that failed since the last call failed, or nothing when
// every write went through; forgets it.
std::error_code writeFailure(std::FILE* stream);

// Writes `text` to `stream` byte for byte, as writeText does for a file or a pipe.
void writeBytes(std::FILE* stream, std::string_view text);

// Keeps `failure` for writeFailure, unless a failure of `stream` is kept already.
void keepWriteFailure(std::FILE* stream, std::error_code failure);

// Returns the text that printf would print for `pattern` and its arguments.
[[gnu::format(printf, 1, 2)]] std::string format(const char* pattern, ...);

}  // namespace cvx
