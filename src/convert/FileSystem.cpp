#include "FileSystem.h"

#include <string>

#include "formats/RunError.h"

namespace cvx {

void readExactly(FileHandle& file, std::int64_t offset, std::span<std::uint8_t> data,
                 const char* what) {
    const std::size_t got = file.readAt(offset, data);
    if (got != data.size()) {
        throw RunError(ErrorCode::InputPastEndOfFile,
                       std::string(what) + ": " + std::to_string(data.size()) +
                           " bytes wanted at offset " + std::to_string(offset) + ", " +
                           std::to_string(got) + " there");
    }
}

}  // namespace cvx
