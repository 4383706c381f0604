#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <vector>

#include "formats/RunError.h"

namespace cvx {

// What a path names, following symbolic links.
enum class FileKind { None, Regular, Directory, Other };

// One open file. Every failure throws RunError with the code of what went wrong.
class FileHandle {
public:
    virtual ~FileHandle() = default;

    // Returns the path the file was opened by, for messages.
    virtual const std::filesystem::path& path() const = 0;

    // Returns the length of the file in bytes.
    virtual std::int64_t size() = 0;

    // Reads up to `data.size()` bytes starting at byte `offset` (0-based) and returns how many
    // were read: fewer only when the file ends first. A file of the machine's own file system
    // takes reads from several threads at once, and while copyFrom() reads it.
    virtual std::size_t readAt(std::int64_t offset, std::span<std::uint8_t> data) = 0;

    // Writes all of `data` behind what this handle wrote before. A write that does not go
    // through in full throws (code 61 for a full disk or the file-size limit).
    virtual void write(std::span<const std::uint8_t> data) = 0;

    // Writes the `length` bytes of `source` that start at its byte `offset` at the end of this
    // file, as write() would. Throws RunError(InputPastEndOfFile, code 62) when `source` ends
    // first.
    virtual void copyFrom(FileHandle& source, std::int64_t offset, std::int64_t length);

    // Hands what was written to the operating system, reporting any error still pending.
    virtual void flush() = 0;

    // Makes what was written durable: on the disk itself, not only in the system's cache, so that
    // a power cut cannot take it. A failure is reported as a failed write.
    virtual void sync() = 0;

    // Closes the file, reporting an error that the system returns only now. Closing twice does
    // nothing.
    virtual void close() = 0;
};

// Every file-system action of the core passes through this seam, so that tests can make any one
// of them fail. Failures throw RunError; relative paths are resolved against the process's
// current directory, which nothing here changes: the operations pass full paths.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Returns what `path` names; FileKind::None when nothing can be reached there.
    virtual FileKind kindOf(const std::filesystem::path& path) = 0;

    // Returns the name of the entry that the existing file `path` names, as the directory listing
    // spells it. Where names match exactly, as on POSIX systems, that is the last component of
    // `path` itself; on Windows it may differ in case, for one.
    virtual std::filesystem::path listedName(const std::filesystem::path& path) = 0;

    // Returns the names of the entries of the folder `path`, sorted; none when it cannot be read.
    virtual std::vector<std::filesystem::path> listFolder(const std::filesystem::path& path) = 0;

    // True when both paths name the same existing file (also through links); false otherwise.
    virtual bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b) = 0;

    virtual std::filesystem::path currentDirectory() = 0;
    // Returns `path` taken against the current directory; on Windows a path relative to another
    // drive's current directory ("D:robot.p") against that one, as Windows takes it.
    virtual std::filesystem::path absolute(const std::filesystem::path& path) = 0;

    // Creates the directory `path`; throws, code 75, when something of that name exists already.
    virtual void createDirectory(const std::filesystem::path& path) = 0;

    // Opens an existing regular file for reading from any position.
    virtual std::unique_ptr<FileHandle> openRead(const std::filesystem::path& path) = 0;

    // Creates `path` as a new, empty file for writing; throws, code 58, if it exists already.
    virtual std::unique_ptr<FileHandle> createNew(const std::filesystem::path& path) = 0;

    // Throws the code that opening the existing file `path` for writing gives (70 when it is
    // read-only), without changing the file.
    virtual void checkWritable(const std::filesystem::path& path) = 0;

    // Returns the file that `path` stands for: `path` itself, or for a symbolic link the file it
    // points to, every link followed, whether that file exists or not. Throws code 75 for links
    // that go round in a circle.
    virtual std::filesystem::path followLinks(const std::filesystem::path& path) = 0;

    // Gives the file `to` the permission bits of the file `from` and, as far as the program may,
    // its owner and group. Throws the code of the failure (70 when it may not).
    virtual void copyPermissions(const std::filesystem::path& from,
                                 const std::filesystem::path& to) = 0;

    // Renames `from` to `to`, replacing a file `to` in one step. With `durable`, the rename is on
    // the disk when this returns where the system does that for a rename itself (Windows);
    // elsewhere syncFolder() of the folder makes it so.
    virtual void rename(const std::filesystem::path& from, const std::filesystem::path& to,
                        bool durable) = 0;

    // Makes the entries of the folder `path` durable: the names made, renamed or removed in it
    // survive a power cut. Where the system keeps no such thing apart (Windows), does nothing.
    // A failure is reported as a failed write.
    virtual void syncFolder(const std::filesystem::path& path) = 0;

    // Removes the file or empty folder `path` if it can; never throws. Used to abandon
    // temporary files, and a folder that a failed run made.
    virtual void remove(const std::filesystem::path& path) noexcept = 0;
};

// Reads exactly `data.size()` bytes of `file` from byte `offset` on. Throws
// RunError(InputPastEndOfFile, code 62) naming the file when it ends first: the missing bytes
// are never made up.
void readExactly(FileHandle& file, std::int64_t offset, std::span<std::uint8_t> data);

// Returns true when `file` holds exactly the `length` bytes of `source` from its byte `offset` on.
// Lengths that differ decide without reading; otherwise both are read a megabyte at a time up to
// the first difference, so memory stays small whatever their size. Throws code 62 when `source`
// ends first.
bool holdsExactly(FileHandle& file, FileHandle& source, std::int64_t offset, std::int64_t length);

// Returns true when `file` holds exactly `bytes`.
bool holdsExactly(FileHandle& file, std::span<const std::uint8_t> bytes);

// Returns `path` as an absolute path, a relative one taken against the current directory of
// `fileSystem` now. The empty path stays empty: it names nothing.
std::filesystem::path resolveAgainstCurrentDirectory(FileSystem& fileSystem,
                                                     const std::filesystem::path& path);

// The file system of the machine the program runs on.
FileSystem& nativeFileSystem();

}  // namespace cvx
