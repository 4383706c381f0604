#pragma once

#include <memory>
#include <utility>

#include "FileSystem.h"

namespace cvx {

// A file opened only to be read, owned by the run that reads it and closed when the run is done
// with it, or as the run ends, however it ends. All that was read has been checked by then: an
// error of the close itself loses nothing and is not reported.
class ReadHandle {
public:
    ReadHandle() = default;
    explicit ReadHandle(std::unique_ptr<FileHandle> file) : m_file(std::move(file)) {}
    ReadHandle(ReadHandle&& other) noexcept = default;
    ReadHandle& operator=(ReadHandle&& other) noexcept {
        close();
        m_file = std::move(other.m_file);
        return *this;
    }
    ~ReadHandle() { close(); }

    explicit operator bool() const { return m_file != nullptr; }
    FileHandle& operator*() const { return *m_file; }
    FileHandle* operator->() const { return m_file.get(); }

    // Closes the file, if one is open; nothing is open afterwards.
    void close() noexcept;

private:
    std::unique_ptr<FileHandle> m_file;
};

}  // namespace cvx
