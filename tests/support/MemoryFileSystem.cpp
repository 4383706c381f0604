#include "MemoryFileSystem.h"

#include <algorithm>
#include <string>
#include <system_error>
#include <utility>

#include "convert/PathText.h"
#include "formats/RunError.h"

namespace cvx::test {
namespace {

namespace fs = std::filesystem;

// One open file: its bytes are shared with the file system, so that a rename or a removal while
// it is open behaves as with an inode.
class MemoryFile final : public FileHandle {
public:
    MemoryFile(std::shared_ptr<MemoryFileSystem::Bytes> bytes, std::shared_ptr<std::size_t> open,
               fs::path path)
        : m_bytes(std::move(bytes)), m_open(std::move(open)), m_path(std::move(path)) {
        ++*m_open;
    }
    ~MemoryFile() override { release(); }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    std::int64_t size() override { return static_cast<std::int64_t>(bytes().size()); }

    std::size_t readAt(std::int64_t offset, std::span<std::uint8_t> data) override {
        const MemoryFileSystem::Bytes& all = bytes();
        if (offset < 0) {
            throw systemError(std::make_error_code(std::errc::invalid_argument), FileAction::Read,
                              m_path);
        }
        const auto start = static_cast<std::size_t>(
            std::min<std::int64_t>(offset, static_cast<std::int64_t>(all.size())));
        const std::size_t count = std::min(data.size(), all.size() - start);
        std::copy_n(all.begin() + static_cast<std::ptrdiff_t>(start), count, data.begin());
        return count;
    }

    void write(std::span<const std::uint8_t> data) override {
        MemoryFileSystem::Bytes& all = bytes();
        if (all.size() < m_position + data.size()) {
            all.resize(m_position + data.size());
        }
        std::copy(data.begin(), data.end(), all.begin() + static_cast<std::ptrdiff_t>(m_position));
        m_position += data.size();
    }

    void flush() override { bytes(); }
    void close() override { release(); }

private:
    MemoryFileSystem::Bytes& bytes() {
        if (m_closed) {
            throw RunError(ErrorCode::BadFileNumber, "'" + toText(m_path) + "' is closed");
        }
        return *m_bytes;
    }
    void release() noexcept {
        if (!m_closed) {
            m_closed = true;
            --*m_open;
        }
    }

    std::shared_ptr<MemoryFileSystem::Bytes> m_bytes;
    std::shared_ptr<std::size_t> m_open;
    fs::path m_path;
    std::size_t m_position = 0;
    bool m_closed = false;
};

[[noreturn]] void fail(std::errc error, FileAction action, const fs::path& path) {
    throw systemError(std::make_error_code(error), action, path);
}

}  // namespace

MemoryFileSystem::MemoryFileSystem()
    : m_directories{"/"}, m_current("/"), m_openHandles(std::make_shared<std::size_t>(0)) {}

fs::path MemoryFileSystem::absolute(const fs::path& path) const {
    fs::path result = (m_current / path).lexically_normal();
    // "/a/b/" and "/a/b" name the same entry.
    if (!result.has_filename() && result != result.root_path()) {
        result = result.parent_path();
    }
    return result;
}

FileKind MemoryFileSystem::kindAt(const fs::path& absolutePath) const {
    if (m_files.count(absolutePath) != 0) {
        return FileKind::Regular;
    }
    if (m_directories.count(absolutePath) != 0) {
        return FileKind::Directory;
    }
    return FileKind::None;
}

void MemoryFileSystem::throwMissing(const fs::path& absolutePath, const fs::path& path,
                                    FileAction action) const {
    const bool inDirectory = kindAt(absolutePath.parent_path()) == FileKind::Directory;
    const bool missingFile =
        inDirectory &&
        (action == FileAction::Open || action == FileAction::Query || action == FileAction::Read);
    throw RunError(missingFile ? ErrorCode::FileNotFound : ErrorCode::PathNotFound,
                   "no such file or directory: '" + toText(path) + "'");
}

void MemoryFileSystem::putDirectory(const fs::path& path) {
    const fs::path full = absolute(path);
    for (fs::path step = full; step != step.root_path(); step = step.parent_path()) {
        m_directories.insert(step);
    }
}

void MemoryFileSystem::putFile(const fs::path& path, const Bytes& bytes) {
    const fs::path full = absolute(path);
    putDirectory(full.parent_path());
    m_files[full] = std::make_shared<Bytes>(bytes);
}

std::optional<MemoryFileSystem::Bytes> MemoryFileSystem::file(const fs::path& path) const {
    const auto it = m_files.find(absolute(path));
    if (it == m_files.end()) {
        return std::nullopt;
    }
    return *it->second;
}

std::map<fs::path, MemoryFileSystem::Bytes> MemoryFileSystem::files() const {
    std::map<fs::path, Bytes> all;
    for (const auto& [path, bytes] : m_files) {
        all.emplace(path, *bytes);
    }
    return all;
}

FileKind MemoryFileSystem::kindOf(const fs::path& path) {
    return path.empty() ? FileKind::None : kindAt(absolute(path));
}

bool MemoryFileSystem::sameFile(const fs::path& a, const fs::path& b) {
    return !a.empty() && !b.empty() && kindOf(a) != FileKind::None && absolute(a) == absolute(b);
}

void MemoryFileSystem::changeDirectory(const fs::path& path) {
    if (path.empty() || kindOf(path) != FileKind::Directory) {
        fail(kindOf(path) == FileKind::Regular ? std::errc::not_a_directory
                                               : std::errc::no_such_file_or_directory,
             FileAction::ChangeDirectory, path);
    }
    m_current = absolute(path);
}

void MemoryFileSystem::createDirectory(const fs::path& path) {
    if (path.empty()) {
        fail(std::errc::no_such_file_or_directory, FileAction::MakeDirectory, path);
    }
    const fs::path full = absolute(path);
    if (kindAt(full) != FileKind::None) {
        fail(std::errc::file_exists, FileAction::MakeDirectory, path);
    }
    if (kindAt(full.parent_path()) != FileKind::Directory) {
        throwMissing(full, path, FileAction::MakeDirectory);
    }
    m_directories.insert(full);
}

std::unique_ptr<FileHandle> MemoryFileSystem::openRead(const fs::path& path) {
    const fs::path full = absolute(path);
    switch (path.empty() ? FileKind::None : kindAt(full)) {
        case FileKind::Regular:
            return std::make_unique<MemoryFile>(m_files.at(full), m_openHandles, path);
        case FileKind::Directory:
        case FileKind::Other:
            throw RunError(ErrorCode::PathFileAccessError,
                           "'" + toText(path) + "' is not a regular file");
        case FileKind::None:
            break;
    }
    throwMissing(full, path, FileAction::Open);
}

std::unique_ptr<FileHandle> MemoryFileSystem::createNew(const fs::path& path) {
    const fs::path full = absolute(path);
    if (!path.empty() && kindAt(full) != FileKind::None) {
        fail(std::errc::file_exists, FileAction::Create, path);
    }
    if (path.empty() || kindAt(full.parent_path()) != FileKind::Directory) {
        throwMissing(full, path, FileAction::Create);
    }
    auto bytes = std::make_shared<Bytes>();
    m_files[full] = bytes;
    return std::make_unique<MemoryFile>(bytes, m_openHandles, path);
}

void MemoryFileSystem::checkWritable(const fs::path& path) {
    const fs::path full = absolute(path);
    switch (path.empty() ? FileKind::None : kindAt(full)) {
        case FileKind::Regular:
            return;
        case FileKind::Directory:
        case FileKind::Other:
            fail(std::errc::is_a_directory, FileAction::Open, path);
        case FileKind::None:
            break;
    }
    throwMissing(full, path, FileAction::Open);
}

void MemoryFileSystem::rename(const fs::path& from, const fs::path& to) {
    const fs::path source = absolute(from);
    const fs::path target = absolute(to);
    if (from.empty() || to.empty() || kindAt(source) != FileKind::Regular) {
        throwMissing(target, to, FileAction::Rename);
    }
    if (kindAt(target) == FileKind::Directory) {
        fail(std::errc::is_a_directory, FileAction::Rename, to);
    }
    if (kindAt(target.parent_path()) != FileKind::Directory) {
        throwMissing(target, to, FileAction::Rename);
    }
    if (source != target) {
        m_files[target] = m_files.at(source);
        m_files.erase(source);
    }
}

void MemoryFileSystem::remove(const fs::path& path) noexcept {
    if (path.empty()) {
        return;
    }
    const fs::path full = absolute(path);
    if (m_files.erase(full) != 0) {
        return;
    }
    const bool empty =
        std::none_of(m_files.begin(), m_files.end(),
                     [&](const auto& entry) { return entry.first.parent_path() == full; }) &&
        std::none_of(m_directories.begin(), m_directories.end(),
                     [&](const fs::path& dir) { return dir.parent_path() == full && dir != full; });
    if (empty && full != full.root_path()) {
        m_directories.erase(full);
    }
}

}  // namespace cvx::test
