// The machine's own file system on Windows: what differs from POSIX systems.

#include "files/NativeFileSystem.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>
#include <climits>
#include <string>

#include "files/SystemErrors.h"

namespace cvx {

namespace fs = std::filesystem;

namespace {

// "\\server\share\..." and "\\?\..." are absolute, though this library's path does not say so:
// without this they would be taken as folders on the current drive.
bool isNetworkOrDevicePath(const fs::path& path) {
    const std::wstring& text = path.native();
    const auto separator = [](wchar_t c) { return c == L'\\' || c == L'/'; };
    return text.size() > 2 && separator(text[0]) && separator(text[1]);
}

// `path` without "." and "..": the library's own normal form would drop one of the two leading
// separators of a network or device path.
fs::path normalised(const fs::path& path) {
    if (!isNetworkOrDevicePath(path)) {
        return path.lexically_normal();
    }
    return L"\\" + fs::path(path.native().substr(1)).lexically_normal().native();
}

// Windows takes a path longer than MAX_PATH (260 characters) only in its extended form,
// "\\?\C:\..." or "\\?\UNC\server\share\...": absolute, with backslashes only and nothing
// left to resolve. Paths that are shorter go as they are.
constexpr std::size_t kLongPath = 240;  // room for an 8.3 name below a directory

fs::path extendedForm(const fs::path& absolute) {
    const std::wstring text = normalised(absolute).make_preferred().native();
    if (text.size() < kLongPath || text.rfind(LR"(\\?\)", 0) == 0) {
        return absolute;
    }
    return text.rfind(LR"(\\)", 0) == 0 ? LR"(\\?\UNC\)" + text.substr(2) : LR"(\\?\)" + text;
}

// The process's current directory, also when it is long (which std::filesystem gets wrong).
fs::path processCurrent() {
    std::wstring text(::GetCurrentDirectoryW(0, nullptr), L'\0');
    text.resize(::GetCurrentDirectoryW(static_cast<DWORD>(text.size()), text.data()));
    return text;
}

}  // namespace

namespace native {

int openFile(const fs::path& path, OpenFor how) {
    const int flags = how == OpenFor::Reading   ? _O_RDONLY
                      : how == OpenFor::Writing ? _O_WRONLY
                                                : _O_WRONLY | _O_CREAT | _O_EXCL;
    const int fd = ::_wopen(path.c_str(), flags | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
    if (fd < 0 && errno == EACCES) {
        // Windows answers "access denied" for a directory opened as a file; say what it is, as
        // POSIX systems do, so that it does not pass for a permission problem.
        std::error_code ignored;
        errno = fs::is_directory(path, ignored) ? EISDIR : EACCES;
    }
    return fd;
}

int closeFile(int fd) {
    return ::_close(fd);
}

bool fileStatus(int fd, std::int64_t& size, bool& regular) {
    struct _stat64 st {};
    if (::_fstat64(fd, &st) != 0) {
        return false;
    }
    size = static_cast<std::int64_t>(st.st_size);
    regular = (st.st_mode & _S_IFMT) == _S_IFREG;
    return true;
}

// A read at a position of its own rather than at the file pointer, as pread() reads: two threads
// may read one file at once (a patch is applied while a second thread hashes the original).
long long readFileAt(int fd, std::int64_t offset, void* data, std::size_t size) {
    const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
    if (handle == INVALID_HANDLE_VALUE) {
        errno = EBADF;
        return -1;
    }
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(static_cast<std::uint64_t>(offset));
    at.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(offset) >> 32);
    DWORD got = 0;
    if (!::ReadFile(handle, data, static_cast<DWORD>(size), &got, &at)) {
        const DWORD code = ::GetLastError();
        if (code == ERROR_HANDLE_EOF) {
            return 0;
        }
        // Another program's lock on the bytes is a permission problem, as the C library has it.
        errno = code == ERROR_LOCK_VIOLATION || code == ERROR_ACCESS_DENIED ? EACCES : EIO;
        return -1;
    }
    return got;
}

long long writeFile(int fd, const void* data, std::size_t size) {
    return ::_write(fd, data, static_cast<unsigned>(size));
}

const std::size_t kMaxChunk = INT_MAX / 2;  // _read and _write count in int

// Windows has no such call between two open files.
std::int64_t copyInKernel(int, std::int64_t, int, std::int64_t) {
    return 0;
}

std::error_code syncFile(int fd) {
    const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
    if (handle == INVALID_HANDLE_VALUE || !::FlushFileBuffers(handle)) {
        return {static_cast<int>(::GetLastError()), std::system_category()};
    }
    return {};
}

}  // namespace native

std::error_code normalisedError(std::error_code error, bool lookup) {
    // A name that Windows does not take ("C:\models\*.p") is an invalid argument to the C library
    // and an invalid name to the system, which the standard library counts as a missing entry;
    // looking it up finds nothing, as on POSIX systems, where such a name is merely absent.
    if (lookup && error == std::errc::invalid_argument) {
        return std::make_error_code(std::errc::no_such_file_or_directory);
    }
    // A file that another program holds open: the C library reports "permission denied" when
    // opening it, the system a sharing or lock violation when replacing it. The same for both.
    if (error.category() == std::system_category() &&
        (error.value() == ERROR_SHARING_VIOLATION || error.value() == ERROR_LOCK_VIOLATION)) {
        return std::make_error_code(std::errc::permission_denied);
    }
    return error;
}

// The path to hand to the system for `path`: itself, or its extended form when it is long.
fs::path NativeFileSystem::sys(const fs::path& path) {
    const fs::path extended = extendedForm(absolute(path));
    return extended.native().rfind(LR"(\\?\)", 0) == 0 ? extended : path;
}

fs::path NativeFileSystem::currentDirectory() {
    return processCurrent();
}

// A path relative to another drive ("D:robot.p") is taken against that drive's current
// directory, as Windows takes it.
fs::path NativeFileSystem::absolute(const fs::path& path) {
    if (path.is_absolute() || path.empty() || isNetworkOrDevicePath(path)) {
        return path;
    }
    std::error_code ignored;
    const fs::path current = currentDirectory();
    return path.has_root_name() && path.root_name() != current.root_name()
               ? fs::absolute(path, ignored)
               : current / path;
}

// Names match without regard to case, and the system forgives trailing dots and spaces and
// knows short 8.3 aliases: the listing has the one spelling of the entry.
fs::path NativeFileSystem::listedName(const fs::path& path) {
    const std::wstring name = path.filename().native();
    if (name.empty() || name.find_first_of(L"*?") != std::wstring::npos) {
        return path.filename();  // a search pattern, which names no single file
    }
    WIN32_FIND_DATAW entry;
    const HANDLE search = ::FindFirstFileW(sys(path).c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        return path.filename();
    }
    ::FindClose(search);
    return fs::path(entry.cFileName);
}

// Windows keeps no permission bits but read-only, which a file to be replaced cannot have (it is
// refused); the rest is the folder's access control, which the new file takes on.
void NativeFileSystem::copyPermissions(const fs::path&, const fs::path&) {}

// std::filesystem::rename of this C++ library reports every failure but "access denied" as an
// I/O error; the system's own code tells a file held open by another program from a full disk.
// With `durable`, Windows returns only once the rename is on the disk.
void NativeFileSystem::rename(const fs::path& from, const fs::path& to, bool durable) {
    std::error_code error;
    const DWORD flags = MOVEFILE_REPLACE_EXISTING | (durable ? MOVEFILE_WRITE_THROUGH : 0);
    if (!::MoveFileExW(sys(from).c_str(), sys(to).c_str(), flags)) {
        const DWORD code = ::GetLastError();
        std::error_code ignored;
        // As for opening: a directory in the way is no permission problem.
        error = code == ERROR_ACCESS_DENIED && fs::is_directory(sys(to), ignored)
                    ? std::make_error_code(std::errc::is_a_directory)
                    : std::error_code(static_cast<int>(code), std::system_category());
    }
    if (error) {
        throw systemError(*this, error, FileAction::Rename, to);
    }
}

// Windows keeps a folder's entries with the files themselves: a write-through rename is durable.
void NativeFileSystem::syncFolder(const fs::path&) {}

}  // namespace cvx
