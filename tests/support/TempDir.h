#pragma once

#include <filesystem>
#include <set>
#include <string>

#include "ModelBuilder.h"

namespace cvx::test {

// A fresh directory below the system's temporary directory, removed with everything in it when
// this goes. The operations change the current directory; it is restored here so that tests stay
// independent.
class TempDir {
public:
    explicit TempDir(const std::string& prefix = "cvx-test");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    // `name` is UTF-8 text, as everywhere in the program.
    std::filesystem::path operator/(const std::string& name) const;
    // The path as the text an operation takes.
    std::string text(const std::string& name) const;
    // Makes this directory the current one: the operations leave the process in the directory
    // they worked in, and Windows neither removes nor renames a process's current directory.
    void enter() const;
    // Removes `name` in this directory with everything in it, after enter().
    void removeAll(const std::string& name) const;

private:
    std::filesystem::path m_path;
    std::filesystem::path m_previousCurrent;
};

// Removes the directory `dir`, when there is one, and everything in it, after moving the current
// directory to its parent (Windows does not remove the current directory).
void removeTree(const std::filesystem::path& dir);

// Return or write the bytes of a file; throw std::runtime_error when that fails.
Bytes readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const Bytes& bytes);
// The names of the entries directly in `dir`.
std::set<std::string> listNames(const std::filesystem::path& dir);

}  // namespace cvx::test
