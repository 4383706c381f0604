#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/ModelPatch.h"

namespace cvx {

// What a patch changes, as diff says it of two models, and what it was made from: for info to
// print as text or JSON.
struct PatchInfo {
    struct Run {
        std::int64_t position, removed, inserted;  // elements of the original, 0-based
    };
    struct SectionRuns {
        std::string_view file;
        std::int32_t elementSize;
        std::int64_t elementsBefore, elementsAfter;
        std::vector<Run> runs;
    };
    struct CountChange {
        std::string_view name;
        std::int32_t before, after;
    };
    struct HeaderBytes {
        std::int32_t first, last;  // offsets, inclusive
    };
    struct Unowned {
        std::int32_t lengthBefore, lengthAfter;
    };

    std::int32_t originalLength = 0, resultLength = 0;
    std::string originalHash, resultHash;  // 32 hex digits
    std::vector<CountChange> counts;
    std::vector<HeaderBytes> header;
    std::optional<Unowned> unowned;  // when the bytes in no section change
    std::vector<SectionRuns> sections;

    static PatchInfo of(const ModelPatch& patch);
};

}  // namespace cvx
