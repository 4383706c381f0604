#pragma once

#include "formats/ModelHeader.h"
#include "formats/SectionIndex.h"

namespace cvx {

// The model data that both operations share and keep from one run to the next: the header and
// the index record. Each run overwrites them as far as it gets. The sections themselves are never
// held here: they travel from file to file in bounded pieces, so memory stays small whatever the
// size of the model.
struct ModelState {
    ModelHeader header;
    SectionIndex index;
};

}  // namespace cvx
