#include "FileTree.h"

#include <fstream>
#include <random>
#include <stdexcept>

#include "convert/PathText.h"

namespace cvx::test {

namespace fs = std::filesystem;

Bytes readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    Bytes bytes(in ? static_cast<std::size_t>(in.tellg()) : 0);
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!in) {
        throw std::runtime_error("cannot read " + toText(path));
    }
    return bytes;
}

void writeBytes(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + toText(path));
    }
}

FileTree readTree(const fs::path& dir) {
    FileTree tree;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        if (entry.is_regular_file()) {
            tree.emplace(toText(entry.path().lexically_relative(dir)), readBytes(entry.path()));
        }
    }
    return tree;
}

void removeTree(const fs::path& dir) {
    fs::current_path(dir.parent_path());
    fs::remove_all(dir);
}

void writeTree(const fs::path& dir, const FileTree& tree) {
    removeTree(dir);
    fs::create_directories(dir);
    for (const auto& [name, bytes] : tree) {
        const fs::path path = dir / toPath(name);
        fs::create_directories(path.parent_path());
        writeBytes(path, bytes);
    }
}

ScratchDirectory::ScratchDirectory(const std::string& prefix)
    : m_previousCurrent(fs::current_path()) {
    std::random_device random;
    for (;;) {
        m_path = fs::temp_directory_path() / (prefix + "-" + std::to_string(random()));
        if (fs::create_directory(m_path)) {
            break;
        }
    }
    m_path = fs::canonical(m_path);
}

ScratchDirectory::~ScratchDirectory() {
    std::error_code ignored;
    fs::current_path(m_previousCurrent, ignored);
    fs::remove_all(m_path, ignored);
}

}  // namespace cvx::test
