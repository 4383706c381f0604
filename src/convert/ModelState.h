#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "SectionBuffer.h"
#include "formats/ModelHeader.h"
#include "formats/SectionIndex.h"
#include "formats/SectionTable.h"

namespace cvx {

// The model data that both operations share and keep from one run to the next: the header, one
// buffer per section and the index record. Each run resizes a buffer from the header it has just
// read before filling it; what a run does not reach keeps the previous run's contents.
struct ModelState {
    ModelHeader header;
    // Indexed by indexOf(Section). The header's bytes live in `header`; its slot stays empty.
    std::array<SectionBuffer, kSectionCount> buffers;
    SectionIndex index;

    SectionBuffer& buffer(Section section) { return buffers[indexOf(section)]; }

    // Returns the bytes of `section` as they go into its section file or into a model file.
    std::span<const std::uint8_t> sectionBytes(Section section) const {
        if (section == Section::Header) {
            return header.bytes();
        }
        return buffers[indexOf(section)].bytes();
    }
};

}  // namespace cvx
