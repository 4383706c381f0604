#include "TempDir.h"

#include <fstream>
#include <random>
#include <stdexcept>

#include "convert/PathText.h"

namespace cvx::test {

namespace fs = std::filesystem;

TempDir::TempDir(const std::string& prefix) : m_previousCurrent(fs::current_path()) {
    std::random_device random;
    for (;;) {
        m_path = fs::temp_directory_path() / (prefix + "-" + std::to_string(random()));
        if (fs::create_directory(m_path)) {
            break;
        }
    }
    m_path = fs::canonical(m_path);
}

TempDir::~TempDir() {
    std::error_code ignored;
    fs::current_path(m_previousCurrent, ignored);
    fs::permissions(m_path, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(m_path, ignored);
}

fs::path TempDir::operator/(const std::string& name) const {
    return m_path / toPath(name);
}

std::string TempDir::text(const std::string& name) const {
    return toText(*this / name);
}

void TempDir::enter() const {
    fs::current_path(m_path);
}

void TempDir::removeAll(const std::string& name) const {
    enter();
    fs::remove_all(*this / name);
}

void removeTree(const fs::path& dir) {
    if (fs::exists(dir)) {
        fs::current_path(dir.parent_path());
        fs::remove_all(dir);
    }
}

Bytes readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    Bytes bytes(in ? static_cast<std::size_t>(in.tellg()) : 0);
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!in) {
        throw std::runtime_error("cannot read " + toText(path));
    }
    return bytes;
}

void writeFile(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + toText(path));
    }
}

std::set<std::string> listNames(const fs::path& dir) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) {
        names.insert(toText(entry.path().filename()));
    }
    return names;
}

}  // namespace cvx::test
