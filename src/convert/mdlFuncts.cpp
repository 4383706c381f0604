#include "mdlFuncts.h"

#include "PathText.h"
#include "formats/RunError.h"

namespace cvx::mdlFuncts {

std::string CutExt(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) {
        throw RunError(ErrorCode::InvalidArgument,
                       "the name has no extension, without which to name the set",
                       std::string(name));
    }
    return std::string(name.substr(0, dot));
}

std::string GetDir(FileSystem& fileSystem, const std::string& path) {
    if (fileSystem.kindOf(toPath(path)) != FileKind::Regular) {
        return path;
    }
    const std::size_t separator = path.find_last_of(kPathSeparators);
    return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

std::string FileNameOf(FileSystem& fileSystem, const std::string& path) {
    const std::filesystem::path file = toPath(path);
    if (fileSystem.kindOf(file) != FileKind::Regular) {
        return {};
    }
    return toText(fileSystem.listedName(file));
}

}  // namespace cvx::mdlFuncts
