// Text output on Windows. A console shows the bytes written to it in its code page, which holds
// few of the characters a name may have (in code page 437 the UTF-8 of "Röbot" reads "R├╢bot",
// and no code page holds "Röbot" and "竜" at once). Text for a console therefore goes through the
// console's own UTF-16 interface, which shows every character whatever the code page; a pipe or a
// file gets the UTF-8 bytes as they are.

#include "cli/TextOut.h"

#include <io.h>
#include <windows.h>

namespace cvx {

void writeText(std::FILE* stream, std::string_view text) {
    std::fflush(stream);
    const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(stream)));
    DWORD mode = 0;
    if (handle == INVALID_HANDLE_VALUE || ::GetConsoleMode(handle, &mode) == 0) {
        writeBytes(stream, text);
        return;
    }
    const int bytes = static_cast<int>(text.size());
    std::wstring wide(
        static_cast<std::size_t>(::MultiByteToWideChar(CP_UTF8, 0, text.data(), bytes, nullptr, 0)),
        L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), bytes, wide.data(),
                          static_cast<int>(wide.size()));
    // The console may take less than it was given at once.
    for (std::size_t done = 0; done < wide.size();) {
        DWORD written = 0;
        if (::WriteConsoleW(handle, wide.data() + done, static_cast<DWORD>(wide.size() - done),
                            &written, nullptr) == 0) {
            keepWriteFailure(stream, std::error_code(static_cast<int>(::GetLastError()),
                                                     std::system_category()));
            return;
        }
        if (written == 0) {
            keepWriteFailure(stream, std::make_error_code(std::errc::io_error));
            return;
        }
        done += written;
    }
}

}  // namespace cvx
