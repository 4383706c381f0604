#include "ModelHeader.h"

#include "ByteOrder.h"

namespace cvx {

std::int32_t ModelHeader::word(std::size_t offset) const {
    return loadI32Le(std::span<const std::uint8_t>(m_bytes).subspan(offset).first<4>());
}

void ModelHeader::setWord(std::size_t offset, std::int32_t value) {
    storeI32Le(value, std::span<std::uint8_t>(m_bytes).subspan(offset).first<4>());
}

CountValues ModelHeader::counts() const {
    CountValues values{};
    for (const CountWord& word : kCountTable) {
        values[indexOf(word.count)] = count(word.count);
    }
    return values;
}

bool ModelHeader::sameOpaqueBytes(const ModelHeader& other) const {
    ModelHeader a = *this, b = other;
    a.setModelType(0);
    b.setModelType(0);
    for (const CountWord& word : kCountTable) {
        a.setCount(word.count, 0);
        b.setCount(word.count, 0);
    }
    return a.m_bytes == b.m_bytes;
}

}  // namespace cvx
