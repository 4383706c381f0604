// The machine's own file system on POSIX systems: what differs from Windows.

#include "files/NativeFileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>

#include "files/SystemErrors.h"

namespace cvx {

namespace fs = std::filesystem;

namespace native {

int openFile(const fs::path& path, OpenFor how) {
    const int flags = how == OpenFor::Reading   ? O_RDONLY
                      : how == OpenFor::Writing ? O_WRONLY
                                                : O_WRONLY | O_CREAT | O_EXCL;
    return ::open(path.c_str(), flags | O_CLOEXEC, 0666);
}

int closeFile(int fd) {
    return ::close(fd);
}

bool fileStatus(int fd, std::int64_t& size, bool& regular) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        return false;
    }
    size = static_cast<std::int64_t>(st.st_size);
    regular = S_ISREG(st.st_mode);
    return true;
}

long long readFileAt(int fd, std::int64_t offset, void* data, std::size_t size) {
    return ::pread(fd, data, size, static_cast<off_t>(offset));
}

long long writeFile(int fd, const void* data, std::size_t size) {
    return ::write(fd, data, size);
}

const std::size_t kMaxChunk = std::size_t{1} << 30;

std::int64_t copyInKernel(int in, std::int64_t offset, int out, std::int64_t length) {
#ifdef CINDERVAXEL_KERNEL_COPY
    auto from = static_cast<off_t>(offset);
    std::int64_t copied = 0;
    while (copied < length) {
        const ssize_t done = ::copy_file_range(in, &from, out, nullptr,
                                               static_cast<std::size_t>(length - copied), 0);
        if (done <= 0) {
            break;  // the rest goes the other way, which reports what went wrong
        }
        copied += done;
    }
    return copied;
#else
    (void)in, (void)offset, (void)out, (void)length;
    return 0;
#endif
}

std::error_code syncFile(int fd) {
    while (::fsync(fd) != 0) {
        if (errno != EINTR) {
            return {errno, std::generic_category()};
        }
    }
    return {};
}

}  // namespace native

std::error_code normalisedError(std::error_code error, bool) {
    // A full quota is a full disk to the user.
    if (error.default_error_condition() == std::error_condition(EDQUOT, std::generic_category())) {
        return std::make_error_code(std::errc::no_space_on_device);
    }
    return error;
}

namespace {

std::error_code lastError() {
    return {errno, std::generic_category()};
}

}  // namespace

fs::path NativeFileSystem::sys(const fs::path& path) {
    return path;
}

fs::path NativeFileSystem::currentDirectory() {
    std::error_code error;
    fs::path path = fs::current_path(error);
    if (error) {
        throw systemError(*this, error, FileAction::ChangeDirectory, ".");
    }
    return path;
}

fs::path NativeFileSystem::absolute(const fs::path& path) {
    return path.is_absolute() ? path : currentDirectory() / path;
}

// Names match exactly: the path spells the entry as the listing does.
fs::path NativeFileSystem::listedName(const fs::path& path) {
    return path.filename();
}

// The owner and group first, since changing them clears the set-user-ID and set-group-ID bits.
// Only root may give a file another owner; the group then goes over where the user may.
void NativeFileSystem::copyPermissions(const fs::path& from, const fs::path& to) {
    struct stat st {};
    if (::stat(from.c_str(), &st) != 0) {
        throw systemError(*this, lastError(), FileAction::Query, from);
    }
    if (::chown(to.c_str(), st.st_uid, st.st_gid) != 0 &&
        (errno != EPERM ||
         (::chown(to.c_str(), static_cast<uid_t>(-1), st.st_gid) != 0 && errno != EPERM))) {
        throw systemError(*this, lastError(), FileAction::ChangePermissions, to);
    }
    if (::chmod(to.c_str(), st.st_mode & 07777) != 0) {
        throw systemError(*this, lastError(), FileAction::ChangePermissions, to);
    }
}

// A rename is made durable by syncFolder() of its folder.
void NativeFileSystem::rename(const fs::path& from, const fs::path& to, bool) {
    std::error_code error;
    fs::rename(from, to, error);
    if (error) {
        throw systemError(*this, error, FileAction::Rename, to);
    }
}

void NativeFileSystem::syncFolder(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const std::error_code error = fd < 0 ? lastError() : native::syncFile(fd);
    if (fd >= 0) {
        ::close(fd);
    }
    if (error) {
        throw systemError(*this, error, FileAction::Write, path);
    }
}

}  // namespace cvx
