#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "formats/ModelLayout.h"
#include "formats/RunError.h"
#include "support/ModelBuilder.h"

namespace cvx {
namespace {

using test::Counts;
using test::kWorkedExample;

// Offsets of the ten sections in file order, then FrontEnd and ModelLength.
struct LayoutCase {
    const char* name;
    Counts counts;
    std::int32_t fileLength;
    std::array<SectionExtent, kSectionCount> extents;
    std::int32_t frontEnd;
    std::int32_t modelLength;
};

TEST(ModelLayout, PlacesFrontSectionsInOrderAndTailSectionsFromTheEnd) {
    const Counts noValue3{1, 2, 1, 0, 4, 1, 1};
    const Counts noHundrets{1, 2, 1, 3, 4, 1, 0};
    const Counts allZero{0, 0, 0, 0, 0, 0, 0};
    const LayoutCase cases[] = {
        {"worked example",
         kWorkedExample,
         432,
         {{{0, 128},
           {128, 36},
           {164, 24},
           {188, 12},
           {200, 16},
           {216, 24},
           {240, 100},
           {340, 60},
           {400, 24},
           {424, 8}}},
         400,
         432},
        {"eight unowned bytes",
         kWorkedExample,
         440,
         {{{0, 128},
           {128, 36},
           {164, 24},
           {188, 12},
           {200, 16},
           {216, 24},
           {240, 100},
           {340, 60},
           {408, 24},
           {432, 8}}},
         400,
         432},
        {"no value3",
         noValue3,
         408,
         {{{0, 128},
           {128, 36},
           {164, 0},
           {164, 12},
           {176, 16},
           {192, 24},
           {216, 100},
           {316, 60},
           {376, 24},
           {400, 8}}},
         376,
         408},
        {"no hundrets, fiftysix still one word",
         noHundrets,
         276,
         {{{0, 128},
           {128, 36},
           {164, 24},
           {188, 12},
           {200, 16},
           {216, 24},
           {240, 0},
           {240, 4},
           {244, 24},
           {268, 8}}},
         244,
         276},
        {"all counts zero",
         allZero,
         156,
         {{{0, 128},
           {128, 0},
           {128, 0},
           {128, 0},
           {128, 0},
           {128, 0},
           {128, 0},
           {128, 4},
           {132, 24},
           {156, 0}}},
         132,
         156},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.name);
        const ModelLayout layout = ModelLayout::compute(test::makeHeader(c.counts), c.fileLength);
        for (const SectionInfo& info : sectionTable()) {
            SCOPED_TRACE(info.fileName);
            EXPECT_EQ(layout[info.section].offset, c.extents[indexOf(info.section)].offset);
            EXPECT_EQ(layout[info.section].length, c.extents[indexOf(info.section)].length);
        }
        EXPECT_EQ(layout.FrontEnd(), c.frontEnd);
        EXPECT_EQ(layout.ModelLength(), c.modelLength);
        EXPECT_EQ(layout.unownedBytes(), c.fileLength - c.modelLength);
        EXPECT_EQ(layout.hasValue3(), c.counts.NumValue3 > 0);
    }
}

struct RefusalCase {
    const char* name;
    Counts counts;
    std::int32_t fileLength;
    ErrorCode code;
};

TEST(ModelLayout, RefusesNegativeCountsOverflowAndShortFilesInThatOrder) {
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    const RefusalCase cases[] = {
        {"negative NumValue3", {1, 2, 1, -1, 4, 1, 1}, 1000, ErrorCode::SubscriptOutOfRange},
        {"negative NumLines", {1, 0, 0, 0, -5, 0, 0}, 1000, ErrorCode::SubscriptOutOfRange},
        {"negative beats overflow",
         {1, kMax, 0, 0, 0, -1, 0},
         1000,
         ErrorCode::SubscriptOutOfRange},
        {"NumVerts + NumExtra overflows", {1, kMax, 1, 0, 0, 0, 0}, kMax, ErrorCode::Overflow},
        {"12 x additional overflows", {1, 0, 178956971, 0, 0, 0, 0}, kMax, ErrorCode::Overflow},
        {"100 x NumHundrets overflows", {1, 0, 0, 0, 0, 0, 21474837}, kMax, ErrorCode::Overflow},
        {"sum of sections overflows", {1, 0, 0, 268435455, 0, 0, 0}, 1000, ErrorCode::Overflow},
        {"one byte short", kWorkedExample, 431, ErrorCode::InputPastEndOfFile},
        {"shorter than a header", kWorkedExample, 100, ErrorCode::InputPastEndOfFile},
    };
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            ModelLayout::compute(test::makeHeader(c.counts), c.fileLength);
            ADD_FAILURE() << "accepted";
        } catch (const RunError& error) {
            EXPECT_EQ(error.code(), c.code) << error.what();
        }
    }
}

TEST(ModelLayout, LargestModelThatFitsIsAccepted) {
    // 156 fixed bytes plus 12 x 178956957 additional bytes: 2147483640, just below INT32_MAX.
    const Counts fits{1, 0, 178956957, 0, 0, 0, 0};
    const ModelLayout layout = ModelLayout::compute(test::makeHeader(fits), 2147483640);
    EXPECT_EQ(layout.ModelLength(), 156 + 12 * 178956957);
    EXPECT_EQ(layout[Section::Unknown].offset, 2147483640);
}

}  // namespace
}  // namespace cvx
