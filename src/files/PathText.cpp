#include "PathText.h"

#include <algorithm>
#include <cctype>

namespace cvx {

std::filesystem::path toPath(std::string_view text) {
    // char8_t text makes std::filesystem decode UTF-8 on every platform, where plain char would
    // be taken in the Windows code page.
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::string toText(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string shellQuoted(std::string_view text, Shell shell) {
    // Letters, digits and these marks mean nothing to either shell, and the bytes of non-ASCII
    // letters neither; a backslash is a separator to cmd, an escape to a POSIX shell.
    const auto plain = [shell](char c) {
        return static_cast<unsigned char>(c) >= 0x80 ||
               std::isalnum(static_cast<unsigned char>(c)) ||
               std::string_view("_-./:@+").find(c) != std::string_view::npos ||
               (c == '\\' && shell == Shell::Cmd);
    };
    if (!text.empty() && std::all_of(text.begin(), text.end(), plain)) {
        return std::string(text);
    }
    if (shell == Shell::Cmd) {
        // No name on Windows holds a double quote.
        return '"' + std::string(text) + '"';
    }
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

std::string commandArgument(const std::filesystem::path& path) {
#ifdef _WIN32
    return shellQuoted(toText(path), Shell::Cmd);
#else
    return shellQuoted(toText(path), Shell::Posix);
#endif
}

}  // namespace cvx
