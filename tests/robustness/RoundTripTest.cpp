#include <gtest/gtest.h>

#include "FileTree.h"
#include "RoundTripCampaign.h"

namespace cvx::test {
namespace {

// A thousand here to keep the suite fast; the figures command runs thousands.
TEST(RoundTripTest, RandomValidModelsComeBackWithoutTheirUnownedBytes) {
    TempDir scratch("cvx-trips");
    const RoundTripTally tally = runRoundTrips(scratch.path(), 1000, 20240601);
    for (const std::string& loss : tally.losses) {
        ADD_FAILURE() << loss;
    }
    EXPECT_EQ(tally.runs, 1000u);
    // The draw covers what it promises: both kinds of value3, unowned bytes, large sections.
    EXPECT_GT(tally.withValue3, 300u);
    EXPECT_LT(tally.withValue3, 700u);
    EXPECT_GT(tally.withUnownedBytes, 300u);
    EXPECT_GT(tally.largeModels, 0u);
}

}  // namespace
}  // namespace cvx::test
