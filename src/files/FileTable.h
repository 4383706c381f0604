#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <utility>

#include "FileSystem.h"

namespace cvx {

// A small file number, as the operations address their open files.
using FileNumber = std::int16_t;

// The program's table of open files, keyed by file number. Opening a number that is open already
// fails with code 55; using a number that is not open fails with code 52.
class FileTable {
public:
    FileTable() = default;
    FileTable(const FileTable&) = delete;
    FileTable& operator=(const FileTable&) = delete;
    ~FileTable() { closeAll(); }

    // Enters `file` under `number` and returns it. Throws code 55 when `number` is open, in which
    // case `file` is closed again.
    template <typename File>
    File& open(FileNumber number, std::unique_ptr<File> file) {
        File& entry = *file;
        insert(number, std::move(file));
        return entry;
    }

    // Returns the file open under `number`; throws code 52 when none is.
    FileHandle& get(FileNumber number) const;

    bool isOpen(FileNumber number) const { return m_files.count(number) != 0; }
    std::size_t openCount() const { return m_files.size(); }

    // Closes the file under `number`, reporting an error of the close itself; the entry is gone
    // either way. Throws code 52 when the number is not open.
    void close(FileNumber number);

    // Closes the file under `number`, a file that was only read: an error of the close itself
    // loses nothing and is not reported. Throws code 52 when the number is not open.
    void release(FileNumber number);

    // Closes every open file and empties the table. Errors are ignored: this is the clean-up after
    // a run, successful or not.
    void closeAll() noexcept;

private:
    void insert(FileNumber number, std::unique_ptr<FileHandle> file);
    // Removes the entry `number` and returns its file; throws code 52 when there is none.
    std::unique_ptr<FileHandle> take(FileNumber number);

    std::map<FileNumber, std::unique_ptr<FileHandle>> m_files;
};

}  // namespace cvx
