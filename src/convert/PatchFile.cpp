#include "PatchFile.h"

#include <limits>
#include <vector>

#include "files/ReadHandle.h"

namespace cvx {

ModelPatch readPatchFile(FileSystem& fileSystem, const std::filesystem::path& given) {
    const std::filesystem::path path = resolveAgainstCurrentDirectory(fileSystem, given);
    switch (fileSystem.kindOf(path)) {
        case FileKind::None:
            throw RunError(ErrorCode::FileNotFound, "there is no such file", given,
                           "check the path");
        case FileKind::Directory:
        case FileKind::Other:
            throw RunError(ErrorCode::PathFileAccessError, "it is no file but a folder or device",
                           given, "give a patch file (.cvxpatch)");
        case FileKind::Regular:
            break;
    }
    const ReadHandle file(fileSystem.openRead(path));
    const std::int64_t size = file->size();
    if (size > std::numeric_limits<std::int32_t>::max()) {
        throw RunError(ErrorCode::Overflow, "it is 2 GiB or more, larger than any patch", given,
                       "give a patch file (.cvxpatch)");
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    readExactly(*file, 0, bytes);
    return ModelPatch::decode(bytes, given);
}

}  // namespace cvx
