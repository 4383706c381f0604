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

}  // namespace cvx
