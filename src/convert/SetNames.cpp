#include "SetNames.h"

#include <algorithm>
#include <cctype>

#include "files/PathText.h"
#include "mdlFuncts.h"

namespace cvx::names {

std::filesystem::path indexOf(const std::filesystem::path& model) {
    return toPath(mdlFuncts::CutExt(toText(model.filename())) + ".asm");
}

std::optional<std::filesystem::path> ownFolderOf(const std::filesystem::path& model) {
    const std::string folder = mdlFuncts::CutExt(toText(model.filename()));
    if (folder.empty() || folder == "." || folder == "..") {
        return std::nullopt;
    }
    return toPath(folder);
}

std::filesystem::path sectionFile(Section section) {
    return toPath(sectionInfo(section).fileName);
}

bool isIndexName(const std::filesystem::path& path) {
    std::string extension = toText(path.extension());
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".asm";
}

std::string stemOf(const std::filesystem::path& path) {
    const std::string name = toText(path.filename());
    return name.substr(0, std::min(name.size(), name.rfind('.')));
}

}  // namespace cvx::names
