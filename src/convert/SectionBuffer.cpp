#include "SectionBuffer.h"

#include <new>
#include <string>

#include "formats/RunError.h"

namespace cvx {

void SectionBuffer::resize(std::size_t size) {
    if (size > m_capacity) {
        m_data.reset();
        m_size = 0;
        m_capacity = 0;
        try {
            m_data = std::make_unique_for_overwrite<std::uint8_t[]>(size);
        } catch (const std::bad_alloc&) {
            throw RunError(ErrorCode::OutOfMemory,
                           "no memory for a section of " + std::to_string(size) + " bytes");
        }
        m_capacity = size;
    }
    m_size = size;
}

}  // namespace cvx
