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

}  // namespace cvx
