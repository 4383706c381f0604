#pragma once

#include <filesystem>

#include "formats/ModelHeader.h"
#include "formats/SectionIndex.h"

namespace cvx {

// The model data that both operations share: the header and the index record. Each run overwrites
// them as far as it gets; what carries over to the next run of the same workspace (the window has
// one for its life, each command of the command-line tool one of its own) is the index record's
// four reserved bytes, which a split does not set and so writes as the last join read them. The
// sections themselves are never held here: they travel from file to file in bounded pieces, so
// memory stays small whatever the size of the model.
struct ModelState {
    ModelHeader header;
    SectionIndex index;
    std::filesystem::path indexFile;  // the index file of the join that runs, for its messages
};

}  // namespace cvx
