#pragma once

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>

#include "ModelBuilder.h"
#include "convert/PathText.h"

namespace cvx::test {

namespace fs = std::filesystem;

// A fresh directory below the system's temporary directory, removed with everything in it when
// this goes. The operations change the current directory; it is restored first, also because
// Windows removes no directory that a process is in.
class TempDir {
public:
    TempDir() : m_previous(fs::current_path()) {
        std::random_device random;
        do {
            m_path = fs::temp_directory_path() / ("cvx-test-" + std::to_string(random()));
        } while (!fs::create_directory(m_path));
        m_path = fs::canonical(m_path);
    }
    ~TempDir() {
        std::error_code ignored;
        fs::current_path(m_previous, ignored);
        fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(m_path, ignored);
    }

    const fs::path& path() const { return m_path; }
    // `name` is UTF-8 text, as paths are everywhere in the program.
    fs::path operator/(const std::string& name) const { return m_path / toPath(name); }
    // The path as the text an operation takes.
    std::string text(const std::string& name) const { return toText(*this / name); }

private:
    fs::path m_path, m_previous;
};

inline Bytes readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    Bytes bytes(in ? static_cast<std::size_t>(in.tellg()) : 0);
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

inline void writeFile(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// Files by path relative to a directory ("set/poly.bin"), with their bytes. A name that ends in
// "/" is a directory, which writeTree makes and readTree leaves out.
using FileTree = std::map<std::string, Bytes>;

inline FileTree readTree(const fs::path& dir) {
    FileTree tree;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        const std::u8string generic = entry.path().lexically_relative(dir).generic_u8string();
        const std::string name(generic.begin(), generic.end());
        if (entry.is_regular_file()) {
            tree[name] = readFile(entry.path());
        }
    }
    return tree;
}

// Makes `dir` hold exactly `tree`.
inline void writeTree(const fs::path& dir, const FileTree& tree) {
    fs::current_path(dir.parent_path());
    fs::remove_all(dir);
    fs::create_directories(dir);
    for (const auto& [name, bytes] : tree) {
        const fs::path path = dir / toPath(name);
        fs::create_directories(path.parent_path());
        if (name.back() != '/') {
            writeFile(path, bytes);
        }
    }
}

}  // namespace cvx::test
