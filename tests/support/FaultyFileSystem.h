#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <system_error>
#include <vector>

#include "files/FileSystem.h"
#include "files/SystemErrors.h"

namespace cvx::test {

namespace fs = std::filesystem;

// A decorator over another file system that makes call number `failAt` (counted from 1) fail with
// a system error that such a failure can have in real life, each kind of call another one, and
// holds the code that the user must see for it, worked out here rather than asked of the code
// under test. A failing write first writes half of its
// bytes; a failing close has closed the file all the same, as close(2) has. The queries kindOf,
// listedName, listFolder, sameFile and followLinks, and remove, which never fails, are passed
// through and not counted.
class FaultyFileSystem final : public FileSystem {
    using E = std::errc;
    using A = FileAction;

public:
    struct Fault {  // what failed, the code to be shown, and whether on a file being written
        FileAction action;
        int code;
        bool onOutput;
    };

    explicit FaultyFileSystem(FileSystem& inner) : m_inner(inner) {}

    std::uint64_t failAt = 0, calls = 0;
    std::optional<Fault> injected;
    int neverClosed = 0;  // handles destroyed without a close()

    // What the run changed, in order, for the power-cut simulation: a file made, bytes written
    // to it, its data synced, a rename to `to`, a folder's entries synced, a file removed.
    struct Change {
        enum Kind { Create, Write, Sync, Rename, SyncFolder, Remove } kind;
        fs::path path, to = {};
        std::vector<std::uint8_t> bytes = {};
    };
    std::vector<Change> changes;

    FileKind kindOf(const fs::path& path) override { return m_inner.kindOf(path); }
    fs::path listedName(const fs::path& path) override { return m_inner.listedName(path); }
    bool sameFile(const fs::path& a, const fs::path& b) override { return m_inner.sameFile(a, b); }
    std::vector<fs::path> listFolder(const fs::path& path) override {
        return m_inner.listFolder(path);
    }
    void remove(const fs::path& path) noexcept override {
        m_inner.remove(path);
        changes.push_back({Change::Remove, path});
    }
    fs::path followLinks(const fs::path& path) override { return m_inner.followLinks(path); }
    void copyPermissions(const fs::path& from, const fs::path& to) override {
        enter(E::operation_not_permitted, A::ChangePermissions, 70, to).copyPermissions(from, to);
    }
    fs::path currentDirectory() override {
        return enter(E::no_such_file_or_directory, A::ChangeDirectory, 76, ".").currentDirectory();
    }
    fs::path absolute(const fs::path& path) override {
        return enter(E::no_such_file_or_directory, A::ChangeDirectory, 76, ".").absolute(path);
    }
    void createDirectory(const fs::path& path) override {
        enter(E::filename_too_long, A::MakeDirectory, 75, path).createDirectory(path);
    }
    std::unique_ptr<FileHandle> openRead(const fs::path& path) override {
        auto file = enter(E::too_many_files_open, A::Open, 67, path).openRead(path);
        return std::make_unique<File>(*this, std::move(file), path, false);
    }
    std::unique_ptr<FileHandle> createNew(const fs::path& path) override {
        auto file = enter(E::no_space_on_device, A::Create, 61, path).createNew(path);
        changes.push_back({Change::Create, path});
        return std::make_unique<File>(*this, std::move(file), path, true);
    }
    void checkWritable(const fs::path& path) override {
        enter(E::read_only_file_system, A::Open, 70, path).checkWritable(path);
    }
    void rename(const fs::path& from, const fs::path& to, bool durable) override {
        enter(E::cross_device_link, A::Rename, 75, to).rename(from, to, durable);
        changes.push_back({Change::Rename, from, to});
    }
    void syncFolder(const fs::path& path) override {
        enter(E::io_error, A::Write, 57, path).syncFolder(path);
        changes.push_back({Change::SyncFolder, path});
    }

private:
    // Counts a call and returns the file system to make it on; throws the call's fault instead
    // when it is the one to fail, after `partly` when given.
    FileSystem& enter(E error, A action, int shown, const fs::path& path, bool onOutput = false,
                      const std::function<void()>& partly = {}) {
        if (++calls == failAt) {
            injected = Fault{action, shown, onOutput};
            if (partly) {
                partly();
            }
            throw systemError(*this, std::make_error_code(error), action, path);
        }
        return m_inner;
    }

    class File final : public FileHandle {
    public:
        File(FaultyFileSystem& owner, std::unique_ptr<FileHandle> inner, fs::path path, bool output)
            : m_fs(owner), m_inner(std::move(inner)), m_path(std::move(path)), m_output(output) {}
        ~File() override { m_fs.neverClosed += m_closed ? 0 : 1; }
        const fs::path& path() const override { return m_path; }
        std::int64_t size() override {
            m_fs.enter(E::value_too_large, A::Read, 57, m_path, m_output);
            return m_inner->size();
        }
        std::size_t readAt(std::int64_t offset, std::span<std::uint8_t> data) override {
            m_fs.enter(E::not_enough_memory, A::Read, 7, m_path, m_output);
            return m_inner->readAt(offset, data);
        }
        void write(std::span<const std::uint8_t> data) override {
            m_fs.enter(E::file_too_large, A::Write, 61, m_path, m_output,
                       [&] { m_inner->write(data.first(data.size() / 2)); });
            m_inner->write(data);
            m_fs.changes.push_back({Change::Write, m_path, {}, {data.begin(), data.end()}});
        }
        void flush() override {
            m_fs.enter(E::no_space_on_device, A::Write, 61, m_path, m_output);
            m_inner->flush();
        }
        void sync() override {
            m_fs.enter(E::io_error, A::Write, 57, m_path, m_output);
            m_inner->sync();
            m_fs.changes.push_back({Change::Sync, m_path});
        }
        void close() override {
            if (!m_closed) {
                m_closed = true;
                m_inner->close();
                m_fs.enter(E::io_error, A::Close, 57, m_path, m_output);
            }
        }

    private:
        FaultyFileSystem& m_fs;
        std::unique_ptr<FileHandle> m_inner;
        fs::path m_path;
        bool m_output, m_closed = false;
    };

    FileSystem& m_inner;
};

}  // namespace cvx::test
