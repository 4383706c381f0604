#include "ReplacingFile.h"

#include <algorithm>
#include <random>
#include <string>

#include "Interrupts.h"
#include "PathText.h"
#include "formats/RunError.h"

namespace cvx {
namespace {

namespace fs = std::filesystem;

// A hidden name beside the destination that no other run picks at the same time. The
// destination's own name goes into it only in part, so that a name as long as the file system
// allows still leaves room for the rest.
fs::path temporaryName(const fs::path& destination, std::mt19937& random) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string name = toText(destination.filename());
    std::size_t kept = std::min<std::size_t>(name.size(), 64);
    while (kept > 0 && (static_cast<unsigned char>(name[kept]) & 0xC0) == 0x80) {
        --kept;  // not inside a UTF-8 character
    }
    std::string hidden = ".";
    hidden += name.substr(0, kept);
    hidden += ".cvx-";
    for (int i = 0; i < 8; ++i) {
        hidden += kDigits[random() % 16];
    }
    hidden += ".tmp";
    fs::path temp = destination;
    temp.replace_filename(toPath(hidden));
    return temp;
}

// `error` as the user is told it: a failure of the temporary file `temp` as one of `destination`.
RunError toldAs(const RunError& error, const fs::path& temp, const fs::path& destination) {
    return error.file() == temp
               ? RunError(error.code(), error.detail(), destination, error.remedy())
               : error;
}

}  // namespace

std::unique_ptr<ReplacingFile> ReplacingFile::create(FileSystem& fileSystem,
                                                     const fs::path& destination) {
    if (destination.filename().empty()) {
        throw RunError(ErrorCode::PathFileAccessError, "it does not name a file", destination,
                       "give the name of the file to write");
    }
    const fs::path file = fileSystem.followLinks(destination);
    const FileKind kind = fileSystem.kindOf(file);
    switch (kind) {
        case FileKind::None:
            break;
        case FileKind::Regular:
            fileSystem.checkWritable(file);
            break;
        case FileKind::Directory:
        case FileKind::Other:
            throw RunError(ErrorCode::PathFileAccessError, "it is a folder or a device, not a file",
                           destination, "give the name of the file to write");
    }

    static std::mt19937 random{std::random_device{}()};
    constexpr int kAttempts = 16;
    for (int attempt = 1;; ++attempt) {
        const fs::path tempPath = temporaryName(file, random);
        try {
            std::unique_ptr<ReplacingFile> replacing;
            {
                const interrupts::Held held;
                interrupts::keep(tempPath);
                try {
                    replacing.reset(new ReplacingFile(fileSystem, file, tempPath,
                                                      fileSystem.createNew(tempPath)));
                } catch (...) {
                    interrupts::forget(tempPath);
                    throw;
                }
            }
            if (kind == FileKind::Regular) {
                fileSystem.copyPermissions(file, replacing->m_tempPath);
            }
            return replacing;
        } catch (const RunError& error) {
            if (error.code() != ErrorCode::FileAlreadyExists || attempt == kAttempts) {
                throw toldAs(error, tempPath, destination);
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

template <typename Step>
auto ReplacingFile::onTemporary(Step step) {
    try {
        return step();
    } catch (const RunError& error) {
        throw toldAs(error, m_tempPath, m_destination);
    }
}

void ReplacingFile::write(std::span<const std::uint8_t> data) {
    onTemporary([&] { m_temp->write(data); });
}

void ReplacingFile::copyFrom(FileHandle& source, std::int64_t offset, std::int64_t length) {
    onTemporary([&] { m_temp->copyFrom(source, offset, length); });
}

void ReplacingFile::complete(bool durable) {
    if (m_completed) {
        return;
    }
    if (m_finished) {
        throw RunError(ErrorCode::BadFileNumber, "it is closed", m_destination);
    }
    try {
        onTemporary([&] {
            m_temp->flush();
            if (durable) {
                m_temp->sync();
            }
            m_temp->close();
        });
    } catch (...) {
        discard();
        throw;
    }
    m_completed = true;
}

void ReplacingFile::commit(bool durable) {
    complete(durable);
    if (m_finished) {
        throw RunError(ErrorCode::BadFileNumber, "it is closed", m_destination);
    }
    try {
        const interrupts::Held held;
        m_fileSystem.rename(m_tempPath, m_destination, durable);
        interrupts::forget(m_tempPath);
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
    const interrupts::Held held;
    m_fileSystem.remove(m_tempPath);
    interrupts::forget(m_tempPath);
}

ReplacingFile& ReplacingSet::add(const fs::path& destination) {
    m_files.push_back(ReplacingFile::create(m_fileSystem, destination));
    return *m_files.back();
}

void ReplacingSet::commit(bool durable) {
    for (const auto& file : m_files) {
        file->complete(durable);
    }
    auto names = [&](std::size_t from, std::size_t to) {
        std::string list;
        for (std::size_t i = from; i < to; ++i) {
            list += (i == from ? "" : ", ") + toText(m_files[i]->path().filename());
        }
        return list;
    };
    for (; m_renamed < m_files.size(); ++m_renamed) {
        try {
            m_files[m_renamed]->commit(durable);
        } catch (const RunError& error) {
            if (m_renamed == 0) {
                throw;
            }
            throw RunError(error.code(),
                           error.detail() + "; new by then: " + names(0, m_renamed) +
                               "; still as they were: " + names(m_renamed, m_files.size()),
                           error.file(), error.remedy());
        }
    }
}

}  // namespace cvx
