#include "FileTree.h"

#include "convert/PathText.h"

namespace cvx::test {

namespace fs = std::filesystem;

FileTree readTree(const fs::path& dir) {
    FileTree tree;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        if (entry.is_regular_file()) {
            tree.emplace(toText(entry.path().lexically_relative(dir)), readFile(entry.path()));
        }
    }
    return tree;
}

void writeTree(const fs::path& dir, const FileTree& tree) {
    removeTree(dir);
    fs::create_directories(dir);
    for (const auto& [name, bytes] : tree) {
        const fs::path path = dir / toPath(name);
        fs::create_directories(path.parent_path());
        writeFile(path, bytes);
    }
}

}  // namespace cvx::test
