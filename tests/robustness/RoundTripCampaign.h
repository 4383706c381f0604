#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace cvx::test {

struct RoundTripTally {
    std::uint64_t runs = 0;
    std::uint64_t withValue3 = 0;
    std::uint64_t withUnownedBytes = 0;
    std::uint64_t largeModels = 0;  // with a section of more than one copy piece (1 MiB)
    std::uint64_t modelBytes = 0;
    // Every model that did not come back as it should, described.
    std::vector<std::string> losses;
};

// Splits and joins `count` random valid models in `workDir`, drawn from `seed`: random counts
// (zero included, now and then one section over 1 MiB), random bytes, and in about half of them
// unowned bytes between fiftysix and bbox. Each joined model must equal its model without the
// unowned bytes, and neither operation may show a message.
RoundTripTally runRoundTrips(const std::filesystem::path& workDir, std::uint32_t count,
                             std::uint32_t seed);

}  // namespace cvx::test
