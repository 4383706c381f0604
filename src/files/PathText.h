#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace cvx {

// Paths come into the program as text in UTF-8 (what the window's text fields and the command line
// give) and go out as text in messages; in between, the operations hold them as the file
// system's own path type. These convert at those edges.

// Returns the path named by the UTF-8 text `text`.
std::filesystem::path toPath(std::string_view text);

// Returns `path` as UTF-8 text.
std::string toText(const std::filesystem::path& path);

// The shells that a suggested command is pasted into.
enum class Shell { Posix, Cmd };

// Returns `text` as one argument for `shell`, quoted only where the shell would split or expand
// it: in single quotes for a POSIX shell (a single quote inside as '\''), in double quotes for
// cmd.
std::string shellQuoted(std::string_view text, Shell shell);

// Returns `path` as one argument of a command to paste into this system's shell.
std::string commandArgument(const std::filesystem::path& path);

}  // namespace cvx
