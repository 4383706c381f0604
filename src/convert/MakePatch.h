#pragma once

#include "ModelSource.h"
#include "formats/ModelPatch.h"

namespace cvx {

// Returns the patch that turns the model of `original` into that of `mod`: the runs of elements
// that differ with the mod's new elements, and of the original the hashes of what the runs
// replace, of their neighbours and of the whole model. Reads both a block at a time, each byte
// about once, and the elements of each run once more. Throws RunError when a file cannot be read,
// and code 6 when a model is 2 GiB or more.
ModelPatch makePatch(const ModelSource& original, const ModelSource& mod);

// Returns the hashes (XXH3-64) of the elements [first, first + count) of the section `info` that
// `part` holds, read a block at a time: those that patches keep of an original.
std::vector<std::uint64_t> elementHashes(const FilePart& part, const SectionInfo& info,
                                         std::int64_t first, std::int64_t count);

// Returns the hash (XXH3-128) of the bytes [from, to) of `part`, read a block at a time.
Hash128 bytesHash(const FilePart& part, std::int64_t from, std::int64_t to);

}  // namespace cvx
