#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <string>
#include <utility>
#include <vector>

#include "FileSystem.h"
#include "PathText.h"
#include "SystemErrors.h"
#include "formats/RunError.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <signal.h>
#include <unistd.h>
#endif

namespace cvx {
namespace {

namespace fs = std::filesystem;

// The few low-level calls that differ between the C libraries of POSIX systems and Windows.
// Files are always opened in binary mode; there is no text translation anywhere.
#ifdef _WIN32
using FileStat = struct _stat64;
int openFile(const fs::path& path, int flags) {
    const int fd = ::_wopen(path.c_str(), flags | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
    if (fd < 0 && errno == EACCES) {
        // Windows answers "access denied" for a directory opened as a file; say what it is, as
        // POSIX systems do, so that it does not pass for a permission problem.
        std::error_code ignored;
        const bool directory = fs::is_directory(path, ignored);
        errno = directory ? EISDIR : EACCES;
    }
    return fd;
}
int statFile(int fd, FileStat* st) {
    return ::_fstat64(fd, st);
}
int closeFile(int fd) {
    return ::_close(fd);
}
long long readFileAt(int fd, std::int64_t offset, void* data, std::size_t size) {
    if (::_lseeki64(fd, offset, SEEK_SET) < 0) {
        return -1;
    }
    return ::_read(fd, data, static_cast<unsigned>(size));
}
long long writeFile(int fd, const void* data, std::size_t size) {
    return ::_write(fd, data, static_cast<unsigned>(size));
}
constexpr int kReadOnly = _O_RDONLY;
constexpr int kWriteOnly = _O_WRONLY;
constexpr int kCreateNew = _O_WRONLY | _O_CREAT | _O_EXCL;
constexpr std::size_t kMaxChunk = INT_MAX / 2;  // _read and _write count in int
bool isRegular(const FileStat& st) {
    return (st.st_mode & _S_IFMT) == _S_IFREG;
}
// std::filesystem::rename of this C++ library reports every failure but "access denied" as an
// I/O error; the system's own code tells a file held open by another program from a full disk.
std::error_code renameFile(const fs::path& from, const fs::path& to) {
    if (::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        return {};
    }
    const DWORD error = ::GetLastError();
    std::error_code ignored;
    if (error == ERROR_ACCESS_DENIED && fs::is_directory(to, ignored)) {
        // As for opening: a directory in the way is no permission problem.
        return std::make_error_code(std::errc::is_a_directory);
    }
    return {static_cast<int>(error), std::system_category()};
}
// Names match without regard to case, and the system forgives trailing dots and spaces and
// knows short 8.3 aliases: the listing has the one spelling of the entry.
fs::path listedNameOf(const fs::path& path) {
    const std::wstring name = path.filename().native();
    if (name.empty() || name.find_first_of(L"*?") != std::wstring::npos) {
        return path.filename();  // a search pattern, which names no single file
    }
    WIN32_FIND_DATAW entry;
    const HANDLE search = ::FindFirstFileW(path.c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        return path.filename();
    }
    ::FindClose(search);
    return fs::path(entry.cFileName);
}
// Windows keeps no permission bits but read-only, which a file to be replaced cannot have (it is
// refused); the rest is the folder's access control, which the new file takes on.
void copyPermissionsOf(const fs::path&, const fs::path&) {}
// Windows takes a path longer than MAX_PATH (260 characters) only in its extended form,
// "\\?\C:\..." or "\\?\UNC\server\share\...": absolute, with backslashes only and nothing
// left to resolve. Paths that are shorter go as they are.
constexpr std::size_t kLongPath = 240;  // room for an 8.3 name below a directory
fs::path extendedForm(const fs::path& absolute) {
    const std::wstring text = absolute.lexically_normal().make_preferred().native();
    if (text.size() < kLongPath || text.rfind(LR"(\\?\)", 0) == 0) {
        return absolute;
    }
    return text.rfind(LR"(\\)", 0) == 0 ? LR"(\\?\UNC\)" + text.substr(2) : LR"(\\?\)" + text;
}
#else
using FileStat = struct stat;
int openFile(const fs::path& path, int flags) {
    return ::open(path.c_str(), flags | O_CLOEXEC, 0666);
}
int statFile(int fd, FileStat* st) {
    return ::fstat(fd, st);
}
int closeFile(int fd) {
    return ::close(fd);
}
long long readFileAt(int fd, std::int64_t offset, void* data, std::size_t size) {
    return ::pread(fd, data, size, static_cast<off_t>(offset));
}
long long writeFile(int fd, const void* data, std::size_t size) {
    return ::write(fd, data, size);
}
constexpr int kReadOnly = O_RDONLY;
constexpr int kWriteOnly = O_WRONLY;
constexpr int kCreateNew = O_WRONLY | O_CREAT | O_EXCL;
constexpr std::size_t kMaxChunk = std::size_t{1} << 30;
bool isRegular(const FileStat& st) {
    return S_ISREG(st.st_mode);
}
std::error_code renameFile(const fs::path& from, const fs::path& to) {
    std::error_code error;
    fs::rename(from, to, error);
    return error;
}
// Names match exactly: the path spells the entry as the listing does.
fs::path listedNameOf(const fs::path& path) {
    return path.filename();
}
std::error_code lastError();
// The owner and group first, since changing them clears the set-user-ID and set-group-ID bits.
// Only root may give a file another owner; the group then goes over where the user may.
void copyPermissionsOf(const fs::path& from, const fs::path& to) {
    struct stat st {};
    if (::stat(from.c_str(), &st) != 0) {
        throw systemError(lastError(), FileAction::Query, from);
    }
    if (::chown(to.c_str(), st.st_uid, st.st_gid) != 0 &&
        (errno != EPERM ||
         (::chown(to.c_str(), static_cast<uid_t>(-1), st.st_gid) != 0 && errno != EPERM))) {
        throw systemError(lastError(), FileAction::Create, to);
    }
    if (::chmod(to.c_str(), st.st_mode & 07777) != 0) {
        throw systemError(lastError(), FileAction::Create, to);
    }
}
#endif

std::error_code lastError() {
    return {errno, std::generic_category()};
}

class NativeFile final : public FileHandle {
public:
    NativeFile(int fd, fs::path path) : m_fd(fd), m_path(std::move(path)) {}
    ~NativeFile() override {
        if (m_fd >= 0) {
            closeFile(m_fd);
        }
    }
    NativeFile(const NativeFile&) = delete;
    NativeFile& operator=(const NativeFile&) = delete;

    const fs::path& path() const override { return m_path; }

    std::int64_t size() override {
        FileStat st{};
        if (statFile(descriptor(), &st) != 0) {
            throw systemError(lastError(), FileAction::Read, m_path);
        }
        return static_cast<std::int64_t>(st.st_size);
    }

    std::size_t readAt(std::int64_t offset, std::span<std::uint8_t> data) override {
        std::size_t done = 0;
        while (done < data.size()) {
            const std::size_t chunk = std::min(data.size() - done, kMaxChunk);
            const long long got = readFileAt(descriptor(), offset + static_cast<std::int64_t>(done),
                                             data.data() + done, chunk);
            if (got < 0) {
                if (errno == EINTR) {
                    continue;
                }
                throw systemError(lastError(), FileAction::Read, m_path);
            }
            if (got == 0) {
                break;  // end of file
            }
            done += static_cast<std::size_t>(got);
        }
        return done;
    }

    void write(std::span<const std::uint8_t> data) override {
        std::size_t done = 0;
        while (done < data.size()) {
            const std::size_t chunk = std::min(data.size() - done, kMaxChunk);
            const long long put = writeFile(descriptor(), data.data() + done, chunk);
            if (put < 0) {
                if (errno == EINTR) {
                    continue;
                }
                throw systemError(lastError(), FileAction::Write, m_path);
            }
            if (put == 0) {
                // No progress and no error: the device takes nothing more.
                throw systemError(std::make_error_code(std::errc::no_space_on_device),
                                  FileAction::Write, m_path);
            }
            done += static_cast<std::size_t>(put);
        }
    }

    // Writes go straight to the system, so there is nothing buffered here to hand over.
    void flush() override { descriptor(); }

    void close() override {
        if (m_fd < 0) {
            return;
        }
        const int fd = m_fd;
        m_fd = -1;
        if (closeFile(fd) != 0 && errno != EINTR) {
            throw systemError(lastError(), FileAction::Close, m_path);
        }
    }

private:
    int descriptor() const {
        if (m_fd < 0) {
            throw RunError(ErrorCode::BadFileNumber, "it is closed", toText(m_path));
        }
        return m_fd;
    }

    int m_fd;
    fs::path m_path;
};

class NativeFileSystem final : public FileSystem {
public:
    NativeFileSystem() {
#ifdef SIGXFSZ
        // A write past the file-size limit (RLIMIT_FSIZE) raises SIGXFSZ, which by default ends
        // the process in the middle of the write: the run can neither report it nor remove its
        // temporary file. Ignored, the write fails with EFBIG and is reported as code 61 and
        // tidied up like a full disk. A handler that the program installed itself stays.
        struct sigaction current {};
        if (::sigaction(SIGXFSZ, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
            struct sigaction ignore {};
            ignore.sa_handler = SIG_IGN;
            ::sigemptyset(&ignore.sa_mask);
            ::sigaction(SIGXFSZ, &ignore, nullptr);
        }
#endif
    }

    FileKind kindOf(const fs::path& path) override {
        std::error_code error;
        const fs::file_status status = fs::status(sys(path), error);
        switch (status.type()) {
            case fs::file_type::regular:
                return FileKind::Regular;
            case fs::file_type::directory:
                return FileKind::Directory;
            case fs::file_type::none:
            case fs::file_type::not_found:
            case fs::file_type::unknown:
                return FileKind::None;
            case fs::file_type::symlink:
            case fs::file_type::block:
            case fs::file_type::character:
            case fs::file_type::fifo:
            case fs::file_type::socket:
                return FileKind::Other;
        }
        return FileKind::Other;
    }

    std::vector<fs::path> listFolder(const fs::path& path) override {
        std::vector<fs::path> names;
        std::error_code error;
        for (fs::directory_iterator it(sys(path), error), end; !error && it != end;
             it.increment(error)) {
            names.push_back(it->path().filename());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    bool sameFile(const fs::path& a, const fs::path& b) override {
        std::error_code error;
        const bool same = fs::equivalent(sys(a), sys(b), error);
        return !error && same;
    }

#ifdef _WIN32
    // Windows makes no directory with a long path the process's current one (short of a system
    // setting), so the current directory of the operations is kept here, and relative paths are
    // taken against it; the process follows wherever Windows lets it.
    fs::path currentDirectory() override {
        return current();
    }

    void changeDirectory(const fs::path& path) override {
        const fs::path full = absoluteOf(path).lexically_normal();
        std::error_code error;
        if (path.empty() || kindOf(full) != FileKind::Directory) {
            error = std::make_error_code(kindOf(full) == FileKind::None
                                             ? std::errc::no_such_file_or_directory
                                             : std::errc::not_a_directory);
        } else {
            fs::current_path(full, error);
        }
        if (error && (path.empty() || full.native().size() < kLongPath)) {
            throw systemError(error, FileAction::ChangeDirectory, path);
        }
        m_current = full;
        m_process = processCurrent();
    }
#else
    fs::path currentDirectory() override {
        std::error_code error;
        fs::path path = fs::current_path(error);
        if (error) {
            throw systemError(error, FileAction::ChangeDirectory, ".");
        }
        return path;
    }

    void changeDirectory(const fs::path& path) override {
        std::error_code error;
        if (path.empty()) {
            error = std::make_error_code(std::errc::no_such_file_or_directory);
        } else {
            fs::current_path(path, error);
        }
        if (error) {
            throw systemError(error, FileAction::ChangeDirectory, path);
        }
    }
#endif

    void createDirectory(const fs::path& path) override {
        std::error_code error;
        if (path.empty()) {
            error = std::make_error_code(std::errc::no_such_file_or_directory);
        } else if (!fs::create_directory(sys(path), error) && !error) {
            error = std::make_error_code(std::errc::file_exists);
        }
        if (error) {
            throw systemError(error, FileAction::MakeDirectory, path);
        }
    }

    std::unique_ptr<FileHandle> openRead(const fs::path& path) override {
        const int fd = openFile(sys(path), kReadOnly);
        if (fd < 0) {
            throw systemError(lastError(), FileAction::Open, path);
        }
        auto file = std::make_unique<NativeFile>(fd, path);
        FileStat st{};
        if (statFile(fd, &st) != 0) {
            throw systemError(lastError(), FileAction::Open, path);
        }
        if (!isRegular(st)) {
            throw RunError(ErrorCode::PathFileAccessError, "it is a folder or a device, not a file",
                           toText(path));
        }
        return file;
    }

    std::unique_ptr<FileHandle> createNew(const fs::path& path) override {
        const int fd = openFile(sys(path), kCreateNew);
        if (fd < 0) {
            throw systemError(lastError(), FileAction::Create, path);
        }
        return std::make_unique<NativeFile>(fd, path);
    }

    void checkWritable(const fs::path& path) override {
        const int fd = openFile(sys(path), kWriteOnly);
        if (fd < 0) {
            throw systemError(lastError(), FileAction::Open, path);
        }
        closeFile(fd);
    }

    fs::path listedName(const fs::path& path) override {
        return listedNameOf(sys(path));
    }

    fs::path followLinks(const fs::path& path) override {
        fs::path file = path;
        for (int hops = 0; hops < 40; ++hops) {
            std::error_code error;
            if (!fs::is_symlink(fs::symlink_status(sys(file), error))) {
                return file;
            }
            const fs::path target = fs::read_symlink(sys(file), error);
            if (error) {
                throw systemError(error, FileAction::Query, file);
            }
            file = target.is_absolute() ? target : file.parent_path() / target;
        }
        throw systemError(std::make_error_code(std::errc::too_many_symbolic_link_levels),
                          FileAction::Query, path);
    }

    void copyPermissions(const fs::path& from, const fs::path& to) override {
        copyPermissionsOf(sys(from), sys(to));
    }

    void rename(const fs::path& from, const fs::path& to) override {
        const std::error_code error = renameFile(sys(from), sys(to));
        if (error) {
            throw systemError(error, FileAction::Rename, to);
        }
    }

    void remove(const fs::path& path) noexcept override {
        std::error_code ignored;
        fs::remove(sys(path), ignored);
    }

private:
#ifdef _WIN32
    // `path` as an absolute path. A path relative to another drive ("D:robot.p") is taken
    // against that drive's current directory, as Windows takes it.
    fs::path absoluteOf(const fs::path& path) {
        if (path.is_absolute() || path.empty()) {
            return path;
        }
        std::error_code ignored;
        return path.has_root_name() && path.root_name() != current().root_name()
                   ? fs::absolute(path, ignored)
                   : current() / path;
    }
    // The path to hand to the system for `path`: itself, or its extended form when it is long.
    fs::path sys(const fs::path& path) {
        const fs::path extended = extendedForm(absoluteOf(path));
        return extended.native().rfind(LR"(\\?\)", 0) == 0 ? extended : path;
    }
    // The current directory, which follows the process's when something else has moved that.
    const fs::path& current() {
        const fs::path process = processCurrent();
        if (process != m_process) {
            m_current = m_process = process;
        }
        return m_current;
    }
    // The process's current directory, also when it is long (which std::filesystem gets wrong).
    static fs::path processCurrent() {
        std::wstring text(::GetCurrentDirectoryW(0, nullptr), L'\0');
        text.resize(::GetCurrentDirectoryW(static_cast<DWORD>(text.size()), text.data()));
        return text;
    }

    fs::path m_current, m_process;
#else
    static const fs::path& sys(const fs::path& path) {
        return path;
    }
#endif
};

}  // namespace

FileSystem& nativeFileSystem() {
    static NativeFileSystem instance;
    return instance;
}

}  // namespace cvx
