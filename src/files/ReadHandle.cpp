#include "ReadHandle.h"

namespace cvx {

void ReadHandle::close() noexcept {
    if (const std::unique_ptr<FileHandle> file = std::move(m_file)) {
        try {
            file->close();
        } catch (...) {
            // Nothing read is lost, and nothing more can be done about it: the handle goes anyway.
        }
    }
}

}  // namespace cvx
