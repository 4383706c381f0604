#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "FileSystem.h"

namespace cvx {

// Paths travel through the program as text in UTF-8 (what the window's text fields and the
// command line give). These convert between that text and the file system's own path type.

// The characters that separate directories in a path on this platform.
#ifdef _WIN32
inline constexpr std::string_view kPathSeparators = "\\/";
#else
inline constexpr std::string_view kPathSeparators = "/";
#endif

// Returns the path named by the UTF-8 text `text`.
std::filesystem::path toPath(std::string_view text);

// Returns `path` as UTF-8 text.
std::string toText(const std::filesystem::path& path);

// Returns `text` as an absolute path, a relative one taken against the current directory of
// `fileSystem` now. The empty text stays empty: it names nothing.
std::string resolveAgainstCurrentDirectory(FileSystem& fileSystem, const std::string& text);

}  // namespace cvx
