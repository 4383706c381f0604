#include "FaultInjectingFileSystem.h"

#include <system_error>
#include <utility>

#include "convert/SystemErrors.h"

namespace cvx::test {
namespace {

namespace fs = std::filesystem;

// The system error of each call when it fails, and the action it is reported for.
struct RealFailure {
    std::errc error;
    FileAction action;
};

RealFailure realFailure(FileCall call) {
    switch (call) {
        case FileCall::CurrentDirectory:  // the current directory was removed
            return {std::errc::no_such_file_or_directory, FileAction::ChangeDirectory};
        case FileCall::ChangeDirectory:
            return {std::errc::permission_denied, FileAction::ChangeDirectory};
        case FileCall::CreateDirectory:
            return {std::errc::no_space_on_device, FileAction::MakeDirectory};
        case FileCall::OpenRead:
            return {std::errc::permission_denied, FileAction::Open};
        case FileCall::CreateNew:
            return {std::errc::no_space_on_device, FileAction::Create};
        case FileCall::CheckWritable:
            return {std::errc::read_only_file_system, FileAction::Open};
        case FileCall::Rename:
            return {std::errc::io_error, FileAction::Rename};
        case FileCall::Size:
        case FileCall::Read:
            return {std::errc::io_error, FileAction::Read};
        case FileCall::Write:
        case FileCall::Flush:
            return {std::errc::no_space_on_device, FileAction::Write};
        case FileCall::Close:
            return {std::errc::io_error, FileAction::Close};
    }
    return {std::errc::io_error, FileAction::Read};
}

class FaultyFile final : public FileHandle {
public:
    FaultyFile(std::unique_ptr<FileHandle> inner,
               std::shared_ptr<FaultInjectingFileSystem::State> state, fs::path path, bool output)
        : m_inner(std::move(inner)),
          m_state(std::move(state)),
          m_path(std::move(path)),
          m_output(output) {
        ++m_state->openHandles;
    }
    ~FaultyFile() override { release(); }
    FaultyFile(const FaultyFile&) = delete;
    FaultyFile& operator=(const FaultyFile&) = delete;

    std::int64_t size() override {
        m_state->enter(FileCall::Size, m_path, m_output);
        return m_inner->size();
    }

    std::size_t readAt(std::int64_t offset, std::span<std::uint8_t> data) override {
        m_state->enter(FileCall::Read, m_path, m_output);
        return m_inner->readAt(offset, data);
    }

    // copyFrom is not overridden: the base class copies through readAt and write above, so each
    // piece of a copy is a call that can fail.
    void write(std::span<const std::uint8_t> data) override {
        if (m_state->fails(FileCall::Write, m_path, m_output)) {
            m_inner->write(data.first(data.size() / 2));  // a short write, then the error
            throw m_state->error(FileCall::Write, m_path);
        }
        m_inner->write(data);
    }

    void flush() override {
        m_state->enter(FileCall::Flush, m_path, m_output);
        m_inner->flush();
    }

    void close() override {
        if (m_state->fails(FileCall::Close, m_path, m_output)) {
            release();
            throw m_state->error(FileCall::Close, m_path);
        }
        release();
    }

private:
    // Closes the file for good, as close(2) does even when it reports an error.
    void release() noexcept {
        if (m_closed) {
            return;
        }
        m_closed = true;
        --m_state->openHandles;
        try {
            m_inner->close();
        } catch (...) {
            // The inner file's own error cannot be reported any better than the injected one.
        }
    }

    std::unique_ptr<FileHandle> m_inner;
    std::shared_ptr<FaultInjectingFileSystem::State> m_state;
    fs::path m_path;
    bool m_output;
    bool m_closed = false;
};

}  // namespace

const char* fileCallName(FileCall call) {
    switch (call) {
        case FileCall::CurrentDirectory:
            return "current directory";
        case FileCall::ChangeDirectory:
            return "change directory";
        case FileCall::CreateDirectory:
            return "create directory";
        case FileCall::OpenRead:
            return "open";
        case FileCall::CreateNew:
            return "create";
        case FileCall::CheckWritable:
            return "open for writing";
        case FileCall::Rename:
            return "rename";
        case FileCall::Size:
            return "size";
        case FileCall::Read:
            return "read";
        case FileCall::Write:
            return "write";
        case FileCall::Flush:
            return "flush";
        case FileCall::Close:
            return "close";
    }
    return "call";
}

void FaultInjectingFileSystem::State::enter(FileCall call, const fs::path& path, bool onOutput) {
    if (fails(call, path, onOutput)) {
        throw error(call, path);
    }
}

bool FaultInjectingFileSystem::State::fails(FileCall call, const fs::path& path, bool onOutput) {
    if (++calls != failAt) {
        return false;
    }
    const RunError failure = error(call, path);
    injected = Fault{call, failure.code(), failure.what(), onOutput};
    return true;
}

RunError FaultInjectingFileSystem::State::error(FileCall call, const fs::path& path) const {
    const RealFailure failure = realFailure(call);
    return systemError(std::make_error_code(failure.error), failure.action, path);
}

FaultInjectingFileSystem::FaultInjectingFileSystem(FileSystem& inner)
    : m_inner(inner), m_state(std::make_shared<State>()) {}

FaultInjectingFileSystem::~FaultInjectingFileSystem() = default;

void FaultInjectingFileSystem::failCall(std::uint64_t n) {
    m_state->failAt = n;
    m_state->calls = 0;
    m_state->injected.reset();
}

std::unique_ptr<FileHandle> FaultInjectingFileSystem::wrap(std::unique_ptr<FileHandle> file,
                                                           const fs::path& path, bool output) {
    return std::make_unique<FaultyFile>(std::move(file), m_state, path, output);
}

fs::path FaultInjectingFileSystem::currentDirectory() {
    m_state->enter(FileCall::CurrentDirectory, ".");
    return m_inner.currentDirectory();
}

void FaultInjectingFileSystem::changeDirectory(const fs::path& path) {
    m_state->enter(FileCall::ChangeDirectory, path);
    m_inner.changeDirectory(path);
}

void FaultInjectingFileSystem::createDirectory(const fs::path& path) {
    m_state->enter(FileCall::CreateDirectory, path);
    m_inner.createDirectory(path);
}

std::unique_ptr<FileHandle> FaultInjectingFileSystem::openRead(const fs::path& path) {
    m_state->enter(FileCall::OpenRead, path);
    return wrap(m_inner.openRead(path), path, false);
}

std::unique_ptr<FileHandle> FaultInjectingFileSystem::createNew(const fs::path& path) {
    m_state->enter(FileCall::CreateNew, path);
    return wrap(m_inner.createNew(path), path, true);
}

void FaultInjectingFileSystem::checkWritable(const fs::path& path) {
    m_state->enter(FileCall::CheckWritable, path);
    m_inner.checkWritable(path);
}

void FaultInjectingFileSystem::rename(const fs::path& from, const fs::path& to) {
    m_state->enter(FileCall::Rename, to);
    m_inner.rename(from, to);
}

}  // namespace cvx::test
