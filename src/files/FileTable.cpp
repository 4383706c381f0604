#include "FileTable.h"

#include <string>

#include "formats/RunError.h"

namespace cvx {

void FileTable::insert(FileNumber number, std::unique_ptr<FileHandle> file) {
    if (isOpen(number)) {
        try {
            file->close();
        } catch (const RunError&) {
            // Already failing with the more telling code below.
        }
        throw RunError(ErrorCode::FileAlreadyOpen,
                       "file number " + std::to_string(number) + " is open already");
    }
    m_files.emplace(number, std::move(file));
}

FileHandle& FileTable::get(FileNumber number) const {
    const auto it = m_files.find(number);
    if (it == m_files.end()) {
        throw RunError(ErrorCode::BadFileNumber,
                       "file number " + std::to_string(number) + " is not open");
    }
    return *it->second;
}

std::unique_ptr<FileHandle> FileTable::take(FileNumber number) {
    get(number);  // throws code 52 when it is not open
    const auto it = m_files.find(number);
    std::unique_ptr<FileHandle> file = std::move(it->second);
    m_files.erase(it);
    return file;
}

void FileTable::close(FileNumber number) {
    take(number)->close();
}

void FileTable::release(FileNumber number) {
    const std::unique_ptr<FileHandle> file = take(number);
    try {
        file->close();
    } catch (const RunError&) {
        // All that was read has been checked; a file only read loses nothing in closing.
    }
}

void FileTable::closeAll() noexcept {
    auto files = std::move(m_files);
    m_files.clear();
    for (auto& [number, file] : files) {
        try {
            file->close();
        } catch (...) {
            // Nothing more can be done about a file that does not close; the handle goes anyway.
        }
    }
}

}  // namespace cvx
