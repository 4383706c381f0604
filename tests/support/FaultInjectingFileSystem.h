#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "convert/FileSystem.h"
#include "formats/RunError.h"

namespace cvx::test {

// The calls of the file-system seam that can fail. The queries kindOf and sameFile report a
// missing file rather than fail, and remove (the clean-up of a temporary file) never fails, so
// they are passed through and not counted.
enum class FileCall {
    CurrentDirectory,
    ChangeDirectory,
    CreateDirectory,
    OpenRead,
    CreateNew,
    CheckWritable,
    Rename,
    Size,
    Read,
    Write,
    Flush,
    Close,
};
inline constexpr std::size_t kFileCallKinds = 12;

// Returns the name of `call`, for reports.
const char* fileCallName(FileCall call);

// A decorator over another file system that makes one chosen call fail, with the system error
// that such a failure has in real life: a write fails with ENOSPC after half of its bytes went
// through, a read, a size query, a close or a rename with EIO, an open, a creation or a directory
// change with EACCES or ENOSPC. A failing close still releases the file, as close(2) does.
// It also counts the handles it gave out that are still open.
class FaultInjectingFileSystem final : public FileSystem {
public:
    explicit FaultInjectingFileSystem(FileSystem& inner);
    ~FaultInjectingFileSystem() override;
    FaultInjectingFileSystem(const FaultInjectingFileSystem&) = delete;
    FaultInjectingFileSystem& operator=(const FaultInjectingFileSystem&) = delete;

    // Counts calls from 0 again and makes call number `n` (1-based) fail; 0 fails none.
    void failCall(std::uint64_t n);

    // The calls counted since failCall.
    std::uint64_t calls() const { return m_state->calls; }
    struct Fault {
        FileCall call;
        ErrorCode code;
        std::string detail;
        bool onOutput = false;  // on a file created for writing
    };
    // The fault injected since failCall, if the chosen call was reached.
    const std::optional<Fault>& injected() const { return m_state->injected; }
    // Handles that were opened through this file system and are neither closed nor destroyed.
    std::size_t openHandles() const { return m_state->openHandles; }

    FileKind kindOf(const std::filesystem::path& path) override { return m_inner.kindOf(path); }
    std::filesystem::path listedName(const std::filesystem::path& path) override {
        return m_inner.listedName(path);
    }
    bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b) override {
        return m_inner.sameFile(a, b);
    }
    std::filesystem::path currentDirectory() override;
    void changeDirectory(const std::filesystem::path& path) override;
    void createDirectory(const std::filesystem::path& path) override;
    std::unique_ptr<FileHandle> openRead(const std::filesystem::path& path) override;
    std::unique_ptr<FileHandle> createNew(const std::filesystem::path& path) override;
    void checkWritable(const std::filesystem::path& path) override;
    void rename(const std::filesystem::path& from, const std::filesystem::path& to) override;
    void remove(const std::filesystem::path& path) noexcept override { m_inner.remove(path); }

    // Shared with the handles, which may outlive a run.
    struct State {
        std::uint64_t failAt = 0;
        std::uint64_t calls = 0;
        std::optional<Fault> injected;
        std::size_t openHandles = 0;

        // Counts a call of `call` on `path`; throws its fault when it is the chosen one.
        void enter(FileCall call, const std::filesystem::path& path, bool onOutput = false);
        // True (and the fault recorded, without throwing) when this call of `call` is the chosen
        // one; for calls that must do part of their work before they fail.
        bool fails(FileCall call, const std::filesystem::path& path, bool onOutput = false);
        RunError error(FileCall call, const std::filesystem::path& path) const;
    };

private:
    std::unique_ptr<FileHandle> wrap(std::unique_ptr<FileHandle> file,
                                     const std::filesystem::path& path, bool output);

    FileSystem& m_inner;
    std::shared_ptr<State> m_state;
};

}  // namespace cvx::test
