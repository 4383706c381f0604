#include "FileSystem.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "PathText.h"
#include "formats/RunError.h"

namespace cvx {
namespace {

// Large files are read, compared and copied a megabyte at a time: memory stays small whatever
// their size.
constexpr std::int64_t kPiece = std::int64_t{1} << 20;

}  // namespace

void readExactly(FileHandle& file, std::int64_t offset, std::span<std::uint8_t> data) {
    const std::size_t got = file.readAt(offset, data);
    if (got != data.size()) {
        throw RunError(ErrorCode::InputPastEndOfFile,
                       std::to_string(data.size()) + " bytes wanted at offset " +
                           std::to_string(offset) + ", " + std::to_string(got) + " there",
                       file.path());
    }
}

bool holdsExactly(FileHandle& file, FileHandle& source, std::int64_t offset, std::int64_t length) {
    if (file.size() != length) {
        return false;
    }
    const auto size = static_cast<std::size_t>(std::clamp<std::int64_t>(length, 0, kPiece));
    const auto mine = std::make_unique_for_overwrite<std::uint8_t[]>(size);
    const auto theirs = std::make_unique_for_overwrite<std::uint8_t[]>(size);
    for (std::int64_t done = 0; done < length; done += kPiece) {
        const auto piece = static_cast<std::size_t>(std::min(length - done, kPiece));
        readExactly(source, offset + done, {theirs.get(), piece});
        if (file.readAt(done, {mine.get(), piece}) != piece ||
            !std::equal(mine.get(), mine.get() + piece, theirs.get())) {
            return false;
        }
    }
    return true;
}

bool holdsExactly(FileHandle& file, std::span<const std::uint8_t> bytes) {
    if (file.size() != std::ssize(bytes)) {
        return false;
    }
    std::vector<std::uint8_t> held(bytes.size());
    return file.readAt(0, held) == held.size() &&
           std::equal(held.begin(), held.end(), bytes.begin());
}

std::filesystem::path resolveAgainstCurrentDirectory(FileSystem& fileSystem,
                                                     const std::filesystem::path& path) {
    return path.empty() || path.is_absolute() ? path : fileSystem.absolute(path);
}

void FileHandle::copyFrom(FileHandle& source, std::int64_t offset, std::int64_t length) {
    // What the kernel cannot copy for the machine's own files (NativeFile::copyFrom), and every
    // copy through another file system, goes here. One piece at a time: a buffer of this size stays
    // in the processor's cache between the read and the write. The first piece ends where this file
    // reaches a whole number of pieces, so that every later write starts on a page boundary: writes
    // that start inside a page took twice as long on Linux. On large files this loop is slower than
    // the kernel's own copy, which therefore goes first (docs/performance.md has the figures).
    const auto size = static_cast<std::size_t>(std::clamp<std::int64_t>(length, 0, kPiece));
    const auto buffer = std::make_unique_for_overwrite<std::uint8_t[]>(size);
    std::int64_t piece = length > 0 ? kPiece - this->size() % kPiece : 0;
    while (length > 0) {
        const std::span<std::uint8_t> chunk(buffer.get(),
                                            static_cast<std::size_t>(std::min(length, piece)));
        readExactly(source, offset, chunk);
        write(chunk);
        offset += static_cast<std::int64_t>(chunk.size());
        length -= static_cast<std::int64_t>(chunk.size());
        piece = kPiece;
    }
}

}  // namespace cvx
