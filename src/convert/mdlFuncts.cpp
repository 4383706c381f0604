#include "mdlFuncts.h"

#include "files/PathText.h"
#include "formats/RunError.h"

namespace cvx::mdlFuncts {

std::string CutExt(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos) {
        throw RunError(ErrorCode::InvalidArgument,
                       "the name has no extension, without which to name the set", toPath(name));
    }
    return std::string(name.substr(0, dot));
}

std::filesystem::path GetDir(FileSystem& fileSystem, const std::filesystem::path& path) {
    if (fileSystem.kindOf(path) != FileKind::Regular) {
        return path;
    }
    return path.has_parent_path() ? path.parent_path() / "" : std::filesystem::path();
}

std::filesystem::path fileNameOf(FileSystem& fileSystem, const std::filesystem::path& path) {
    if (fileSystem.kindOf(path) != FileKind::Regular) {
        return {};
    }
    return fileSystem.listedName(path);
}

}  // namespace cvx::mdlFuncts
