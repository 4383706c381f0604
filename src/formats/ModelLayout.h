#pragma once

#include <array>
#include <cstdint>

#include "ModelHeader.h"
#include "RunError.h"
#include "SectionTable.h"

namespace cvx {

// Where one section lies in a model file: 0-based byte offset and length in bytes.
struct SectionExtent {
    std::int32_t offset = 0;
    std::int32_t length = 0;
};

// The position of every section in a model file of a given length.
//
// The first eight sections are placed from the front, each directly behind the one before; bbox
// and unknown are placed from the end of the file (unknown is the last 4 x NumVerts bytes, bbox
// the 24 bytes in front of it). When the file is longer than the sum of the sections, the bytes
// from the end of the front sections (FrontEnd) up to bbox belong to no section.
class ModelLayout {
public:
    // Returns the layout of a model with `header` in a file of `fileLength` bytes.
    // Throws RunError with code 9 (a negative count), 6 (a length or offset outside the signed
    // 32-bit range) or 62 (the file is shorter than the model's length, so sections would lie
    // outside it).
    // The codes are checked in this order.
    static ModelLayout compute(const ModelHeader& header, std::int32_t fileLength);

    const SectionExtent& operator[](Section section) const { return m_extents[indexOf(section)]; }

    // True when the model has a value3 section (NumValue3 > 0).
    bool hasValue3() const { return m_hasValue3; }

    // The length of the file (FileLength).
    std::int32_t fileLength() const { return m_fileLength; }
    // End of the front sections (FrontEnd): offset of fiftysix plus its length.
    std::int32_t frontEnd() const { return m_frontEnd; }
    // Sum of the ten section lengths (ModelLength): the size of a model rebuilt from its section
    // files.
    std::int32_t modelLength() const { return m_modelLength; }
    // Bytes between the end of the front sections and bbox that belong to no section.
    std::int32_t unownedBytes() const { return m_fileLength - m_modelLength; }

private:
    std::array<SectionExtent, kSectionCount> m_extents{};
    bool m_hasValue3 = false;
    std::int32_t m_fileLength = 0;
    std::int32_t m_frontEnd = 0;
    std::int32_t m_modelLength = 0;
};

}  // namespace cvx
