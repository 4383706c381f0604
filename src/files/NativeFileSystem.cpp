#include "NativeFileSystem.h"

#include <algorithm>
#include <cerrno>
#include <string>
#include <utility>
#include <vector>

#include "PathText.h"
#include "SystemErrors.h"
#include "formats/RunError.h"

namespace cvx {
namespace {

namespace fs = std::filesystem;

std::error_code lastError() {
    return {errno, std::generic_category()};
}

class NativeFile final : public FileHandle {
public:
    NativeFile(FileSystem& fileSystem, int fd, fs::path path)
        : m_fileSystem(fileSystem), m_fd(fd), m_path(std::move(path)) {}
    ~NativeFile() override {
        if (m_fd >= 0) {
            native::closeFile(m_fd);
        }
    }
    NativeFile(const NativeFile&) = delete;
    NativeFile& operator=(const NativeFile&) = delete;

    const fs::path& path() const override { return m_path; }

    std::int64_t size() override {
        std::int64_t size = 0;
        bool regular = false;
        if (!native::fileStatus(descriptor(), size, regular)) {
            fail(lastError(), FileAction::Read);
        }
        return size;
    }

    std::size_t readAt(std::int64_t offset, std::span<std::uint8_t> data) override {
        std::size_t done = 0;
        while (done < data.size()) {
            const std::size_t chunk = std::min(data.size() - done, native::kMaxChunk);
            const long long got = native::readFileAt(
                descriptor(), offset + static_cast<std::int64_t>(done), data.data() + done, chunk);
            if (got < 0) {
                if (errno == EINTR) {
                    continue;
                }
                fail(lastError(), FileAction::Read);
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
            const std::size_t chunk = std::min(data.size() - done, native::kMaxChunk);
            const long long put = native::writeFile(descriptor(), data.data() + done, chunk);
            if (put < 0) {
                if (errno == EINTR) {
                    continue;
                }
                fail(lastError(), FileAction::Write);
            }
            if (put == 0) {
                // No progress and no error: the device takes nothing more.
                fail(std::make_error_code(std::errc::no_space_on_device), FileAction::Write);
            }
            done += static_cast<std::size_t>(put);
        }
    }

    // What the kernel does not copy between two files of its own, the loop of FileHandle copies.
    void copyFrom(FileHandle& source, std::int64_t offset, std::int64_t length) override {
        const auto* from = dynamic_cast<NativeFile*>(&source);
        const std::int64_t copied =
            from ? native::copyInKernel(from->descriptor(), offset, descriptor(), length) : 0;
        FileHandle::copyFrom(source, offset + copied, length - copied);
    }

    // Writes go straight to the system, so there is nothing buffered here to hand over.
    void flush() override { descriptor(); }

    void sync() override {
        const std::error_code error = native::syncFile(descriptor());
        if (error) {
            fail(error, FileAction::Write);
        }
    }

    void close() override {
        if (m_fd < 0) {
            return;
        }
        const int fd = m_fd;
        m_fd = -1;
        if (native::closeFile(fd) != 0 && errno != EINTR) {
            fail(lastError(), FileAction::Close);
        }
    }

private:
    int descriptor() const {
        if (m_fd < 0) {
            throw RunError(ErrorCode::BadFileNumber, "it is closed", m_path);
        }
        return m_fd;
    }
    [[noreturn]] void fail(std::error_code error, FileAction action) {
        throw systemError(m_fileSystem, error, action, m_path);
    }

    FileSystem& m_fileSystem;
    int m_fd;
    fs::path m_path;
};

}  // namespace

FileKind NativeFileSystem::kindOf(const fs::path& path) {
    std::error_code error;
    const fs::file_type type = fs::status(sys(path), error).type();
    return type == fs::file_type::regular     ? FileKind::Regular
           : type == fs::file_type::directory ? FileKind::Directory
           : type == fs::file_type::not_found || type == fs::file_type::none ||
                   type == fs::file_type::unknown
               ? FileKind::None
               : FileKind::Other;  // a device, a pipe, a socket
}

std::vector<fs::path> NativeFileSystem::listFolder(const fs::path& path) {
    std::vector<fs::path> names;
    std::error_code error;
    for (fs::directory_iterator it(sys(path), error), end; !error && it != end;
         it.increment(error)) {
        names.push_back(it->path().filename());
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool NativeFileSystem::sameFile(const fs::path& a, const fs::path& b) {
    std::error_code error;
    const bool same = fs::equivalent(sys(a), sys(b), error);
    return !error && same;
}

void NativeFileSystem::createDirectory(const fs::path& path) {
    std::error_code error;
    if (path.empty()) {
        error = std::make_error_code(std::errc::no_such_file_or_directory);
    } else if (!fs::create_directory(sys(path), error) && !error) {
        error = std::make_error_code(std::errc::file_exists);
    }
    if (error) {
        throw systemError(*this, error, FileAction::MakeDirectory, path);
    }
}

std::unique_ptr<FileHandle> NativeFileSystem::openRead(const fs::path& path) {
    const int fd = native::openFile(sys(path), native::OpenFor::Reading);
    if (fd < 0) {
        throw systemError(*this, lastError(), FileAction::Open, path);
    }
    auto file = std::make_unique<NativeFile>(*this, fd, path);
    std::int64_t size = 0;
    bool regular = false;
    if (!native::fileStatus(fd, size, regular)) {
        throw systemError(*this, lastError(), FileAction::Open, path);
    }
    if (!regular) {
        throw RunError(ErrorCode::PathFileAccessError, "it is a folder or a device, not a file",
                       path);
    }
    return file;
}

std::unique_ptr<FileHandle> NativeFileSystem::createNew(const fs::path& path) {
    const int fd = native::openFile(sys(path), native::OpenFor::CreatingNew);
    if (fd < 0) {
        throw systemError(*this, lastError(), FileAction::Create, path);
    }
    return std::make_unique<NativeFile>(*this, fd, path);
}

void NativeFileSystem::checkWritable(const fs::path& path) {
    const int fd = native::openFile(sys(path), native::OpenFor::Writing);
    if (fd < 0) {
        throw systemError(*this, lastError(), FileAction::Open, path);
    }
    native::closeFile(fd);
}

fs::path NativeFileSystem::followLinks(const fs::path& path) {
    fs::path file = path;
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(sys(file), error))) {
            return file;
        }
        const fs::path target = fs::read_symlink(sys(file), error);
        if (error) {
            throw systemError(*this, error, FileAction::Query, file);
        }
        file = target.is_absolute() ? target : file.parent_path() / target;
    }
    throw systemError(*this, std::make_error_code(std::errc::too_many_symbolic_link_levels),
                      FileAction::Query, path);
}

void NativeFileSystem::remove(const fs::path& path) noexcept {
    std::error_code ignored;
    fs::remove(sys(path), ignored);
}

FileSystem& nativeFileSystem() {
    static NativeFileSystem instance;
    return instance;
}

}  // namespace cvx
