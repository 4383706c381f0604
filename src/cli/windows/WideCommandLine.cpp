#include "WideCommandLine.h"

#include <windows.h>

#include "cli/Command.h"
#include "cli/CommandLine.h"
#include "cli/TextOut.h"

namespace cvx {

int runWideCommandLine(const std::vector<std::wstring>& args, std::FILE* out, std::FILE* err) {
    std::vector<std::string> utf8;
    for (const std::wstring& arg : args) {
        const int wide = static_cast<int>(arg.size());
        const int size = ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, arg.data(), wide,
                                               nullptr, 0, nullptr, nullptr);
        if (size == 0 && wide != 0) {
            writeText(err, "cindervaxel-cli: argument " + std::to_string(utf8.size() + 1) +
                               " is not valid Unicode text (a lone UTF-16 surrogate)\n");
            return kExitBadCommandLine;
        }
        std::string text(static_cast<std::size_t>(size), '\0');
        ::WideCharToMultiByte(CP_UTF8, 0, arg.data(), wide, text.data(), size, nullptr, nullptr);
        utf8.push_back(std::move(text));
    }
    return runCommandLine(utf8, out, err);
}

}  // namespace cvx
