#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace cvx {

// The bytes of one section, never interpreted. Resizing does not clear the bytes: every buffer
// is filled completely by a read right after it is sized, so zeroing would be wasted work on
// models of hundreds of megabytes.
class SectionBuffer {
public:
    // Makes the buffer `size` bytes long, keeping its memory when it is large enough. Throws
    // RunError(OutOfMemory, code 7) when the memory cannot be had.
    void resize(std::size_t size);

    std::span<std::uint8_t> bytes() { return {m_data.get(), m_size}; }
    std::span<const std::uint8_t> bytes() const { return {m_data.get(), m_size}; }
    std::size_t size() const { return m_size; }

private:
    std::unique_ptr<std::uint8_t[]> m_data;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

}  // namespace cvx
