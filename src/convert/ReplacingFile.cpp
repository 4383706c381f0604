#include "ReplacingFile.h"

#include <random>
#include <string>

#include "PathText.h"
#include "formats/RunError.h"

namespace cvx {
namespace {

namespace fs = std::filesystem;

// A hidden name beside the destination that no other run picks at the same time.
fs::path temporaryName(const fs::path& destination, std::mt19937& random) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string suffix;
    for (int i = 0; i < 8; ++i) {
        suffix += kDigits[random() % 16];
    }
    fs::path name = destination;
    // Appended piece by piece: g++ 12 at -O3 warns wrongly about one long concatenation here.
    std::string hidden = ".";
    hidden += toText(destination.filename());
    hidden += ".cvx-";
    hidden += suffix;
    hidden += ".tmp";
    name.replace_filename(toPath(hidden));
    return name;
}

}  // namespace

std::unique_ptr<ReplacingFile> ReplacingFile::create(FileSystem& fileSystem,
                                                     const fs::path& destination) {
    if (destination.filename().empty()) {
        throw RunError(ErrorCode::PathFileAccessError,
                       "'" + toText(destination) + "' does not name a file");
    }
    switch (fileSystem.kindOf(destination)) {
        case FileKind::None:
            break;
        case FileKind::Regular:
            fileSystem.checkWritable(destination);
            break;
        case FileKind::Directory:
        case FileKind::Other:
            throw RunError(ErrorCode::PathFileAccessError,
                           "'" + toText(destination) + "' is not a regular file");
    }

    static std::mt19937 random{std::random_device{}()};
    constexpr int kAttempts = 16;
    for (int attempt = 1;; ++attempt) {
        fs::path tempPath = temporaryName(destination, random);
        try {
            std::unique_ptr<FileHandle> temp = fileSystem.createNew(tempPath);
            return std::unique_ptr<ReplacingFile>(
                new ReplacingFile(fileSystem, destination, std::move(tempPath), std::move(temp)));
        } catch (const RunError& error) {
            if (error.code() != ErrorCode::FileAlreadyExists || attempt == kAttempts) {
                throw;
            }
        }
    }
}

ReplacingFile::ReplacingFile(FileSystem& fileSystem, fs::path destination, fs::path tempPath,
                             std::unique_ptr<FileHandle> temp)
    : m_fileSystem(fileSystem),
      m_destination(std::move(destination)),
      m_tempPath(std::move(tempPath)),
      m_temp(std::move(temp)) {}

ReplacingFile::~ReplacingFile() {
    discard();
}

void ReplacingFile::commit() {
    if (m_finished) {
        throw RunError(ErrorCode::BadFileNumber, "'" + toText(m_destination) + "' is closed");
    }
    try {
        m_temp->flush();
        m_temp->close();
        m_fileSystem.rename(m_tempPath, m_destination);
    } catch (...) {
        discard();
        throw;
    }
    m_finished = true;
}

void ReplacingFile::discard() noexcept {
    if (m_finished) {
        return;
    }
    m_finished = true;
    try {
        m_temp->close();
    } catch (...) {
        // The temporary file is removed below whether or not it closed cleanly.
    }
    m_fileSystem.remove(m_tempPath);
}

}  // namespace cvx
