#include "PathText.h"

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

std::string resolveAgainstCurrentDirectory(FileSystem& fileSystem, const std::string& text) {
    if (text.empty()) {
        return text;
    }
    const std::filesystem::path path = toPath(text);
    if (path.is_absolute()) {
        return text;
    }
    const std::filesystem::path current = fileSystem.currentDirectory();
#ifdef _WIN32
    // "D:robot.p" is relative to the current directory of drive D:, which Windows keeps.
    if (path.has_root_name() && path.root_name() != current.root_name()) {
        std::error_code ignored;
        return toText(std::filesystem::absolute(path, ignored));
    }
#endif
    return toText(current / path);
}

}  // namespace cvx
