#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "files/PathText.h"
#include "formats/ByteOrder.h"

// Test models, temporary directories and the files in them.
namespace cvx::test {

using Bytes = std::vector<std::uint8_t>;

// The seven header words of a test model.
struct Counts {
    std::int32_t ModelType = 1, NumVerts = 0, NumExtra = 0, NumValue3 = 0, NumLines = 0,
                 NumPolys = 0, NumHundrets = 0;
};

// NumVerts 2, NumExtra 1, NumValue3 3, NumLines 4, NumPolys 1, NumHundrets 1: a 432-byte model.
inline constexpr Counts kWorkedExample{1, 2, 1, 3, 4, 1, 1};

// Stores `value` as the little-endian word at `offset` of `bytes`.
inline void putWord(Bytes& bytes, std::size_t offset, std::int32_t value) {
    storeI32Le(value, std::span<std::uint8_t>(bytes).subspan(offset).first<4>());
}

// The length of each of the ten sections in file order, worked out here on its own in 64 bits;
// a negative count counts as 0.
inline std::array<std::int64_t, 10> lengthsOf(const Counts& c) {
    auto n = [](std::int32_t count) { return std::int64_t{std::max(count, 0)}; };
    const std::int64_t v = n(c.NumVerts), e = n(c.NumExtra), v3 = n(c.NumValue3);
    const std::int64_t l = n(c.NumLines), p = n(c.NumPolys), h = n(c.NumHundrets);
    return {128, 12 * (v + e), 8 * v3, 4 * (v + p), 4 * l, 24 * p, 100 * h, 56 * h + 4, 24, 4 * v};
}

// A model file for `counts`: pseudo-random opaque header bytes and sections (so that a byte in the
// wrong place shows), with `unowned` bytes between fiftysix and bbox. With `bodyless`, the header
// alone, for counts whose sections could not be held.
inline Bytes makeModel(const Counts& c, std::size_t unowned = 0, std::uint32_t seed = 1,
                       bool bodyless = false) {
    const auto lengths = lengthsOf(c);
    Bytes model(bodyless ? 128 : std::accumulate(lengths.begin(), lengths.end(), unowned));
    std::mt19937 random(seed);
    std::generate(model.begin(), model.end(), [&] { return static_cast<std::uint8_t>(random()); });
    const std::int32_t words[] = {c.ModelType, c.NumVerts, c.NumExtra,   c.NumValue3,
                                  c.NumLines,  c.NumPolys, c.NumHundrets};
    for (std::size_t i = 0; i < 7; ++i) {
        putWord(model, std::array{8, 12, 16, 24, 32, 36, 48}[i], words[i]);
    }
    return model;
}

namespace fs = std::filesystem;

// A fresh directory below the system's temporary directory, removed with everything in it when
// this goes. Tests of relative paths change the current directory; it is restored first, also
// because Windows removes no directory that a process is in.
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
