// Change notifications on Windows: ReadDirectoryChangesW, overlapped, always one read pending so
// that no change between two waits is missed, and WaitForMultipleObjects sleeping on it and on
// the event that stop() sets.

#include "files/FolderWatch.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <system_error>

#include "files/PathText.h"
#include "files/SystemErrors.h"

namespace cvx {

namespace fs = std::filesystem;

namespace {

RunError watchError(DWORD error, const fs::path& folder) {
    const std::error_code code(static_cast<int>(error), std::system_category());
    return RunError(
        codeForSystemError(nativeFileSystem(), code, FileAction::ChangeDirectory, folder),
        "cannot watch it for changes (" + code.message() + ")", folder);
}

// Names made, removed and renamed, and writes, truncations and touches.
constexpr DWORD kChanges =
    FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE;

}  // namespace

FileStamp fileStamp(const fs::path& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        return {};
    }
    const auto join = [](DWORD high, DWORD low) {
        return static_cast<std::int64_t>((std::uint64_t{high} << 32) | low);
    };
    return {true, join(data.nFileSizeHigh, data.nFileSizeLow),
            join(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime), 0};
}

struct FolderWatch::Native {
    HANDLE folder = INVALID_HANDLE_VALUE;
    HANDLE changed = nullptr, stopped = nullptr;
    OVERLAPPED pending{};
    alignas(DWORD) unsigned char buffer[32 * 1024];

    // Asks for the next changes; they are in `buffer` when `changed` is set.
    bool read() {
        pending = OVERLAPPED{};
        pending.hEvent = changed;
        return ::ReadDirectoryChangesW(folder, buffer, sizeof buffer, FALSE, kChanges, nullptr,
                                       &pending, nullptr) != 0;
    }

    ~Native() {
        if (folder != INVALID_HANDLE_VALUE) {
            DWORD ignored = 0;
            if (::CancelIoEx(folder, &pending)) {
                ::GetOverlappedResult(folder, &pending, &ignored, TRUE);
            }
            ::CloseHandle(folder);
        }
        for (const HANDLE event : {changed, stopped}) {
            if (event != nullptr) {
                ::CloseHandle(event);
            }
        }
    }
};

FolderWatch::FolderWatch(const fs::path& folder)
    : m_folder(folder), m_native(std::make_unique<Native>()) {
    Native& n = *m_native;
    n.folder = ::CreateFileW(
        folder.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
    // GetLastError() is that of the step that failed: each sets it.
    if (n.folder == INVALID_HANDLE_VALUE ||
        (n.changed = ::CreateEventW(nullptr, TRUE, FALSE, nullptr)) == nullptr ||
        (n.stopped = ::CreateEventW(nullptr, TRUE, FALSE, nullptr)) == nullptr || !n.read()) {
        throw watchError(::GetLastError(), folder);
    }
}

FolderWatch::~FolderWatch() = default;

std::optional<std::vector<fs::path>> FolderWatch::wait(std::chrono::milliseconds timeout) {
    Native& n = *m_native;
    const HANDLE events[] = {n.stopped, n.changed};
    const DWORD limit = timeout == kForever ? INFINITE : static_cast<DWORD>(timeout.count());
    const DWORD woken = ::WaitForMultipleObjects(2, events, FALSE, limit);
    if (woken == WAIT_OBJECT_0) {
        return std::nullopt;
    }
    std::vector<fs::path> names;
    if (woken == WAIT_TIMEOUT) {
        return names;
    }
    DWORD length = 0;
    if (woken != WAIT_OBJECT_0 + 1 ||
        !::GetOverlappedResult(n.folder, &n.pending, &length, FALSE)) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_ACCESS_DENIED || error == ERROR_FILE_NOT_FOUND) {
            throw RunError(ErrorCode::PathNotFound,
                           "the folder was removed or moved while it was watched", m_folder,
                           "start the watch again on the folder's new place");
        }
        throw watchError(error, m_folder);
    }
    if (length == 0) {
        names.emplace_back();  // more changes than the buffer holds: any entry may have changed
    }
    for (DWORD at = 0; at < length;) {
        FILE_NOTIFY_INFORMATION info;
        std::memcpy(&info, n.buffer + at, offsetof(FILE_NOTIFY_INFORMATION, FileName));
        std::wstring name(info.FileNameLength / sizeof(wchar_t), L'\0');
        std::memcpy(name.data(), n.buffer + at + offsetof(FILE_NOTIFY_INFORMATION, FileName),
                    info.FileNameLength);
        if (name.find(L'~') != std::wstring::npos) {
            name.clear();  // perhaps a short name ("FIFTYS~1.BIN"): any entry may have changed
        }
        if (std::find(names.begin(), names.end(), fs::path(name)) == names.end()) {
            names.emplace_back(name);
        }
        if (info.NextEntryOffset == 0) {
            break;
        }
        at += info.NextEntryOffset;
    }
    ::ResetEvent(n.changed);
    if (!n.read()) {
        throw watchError(::GetLastError(), m_folder);
    }
    return names;
}

void FolderWatch::stop() noexcept {
    ::SetEvent(m_native->stopped);
}

}  // namespace cvx
