#include <gtest/gtest.h>

#include "formats/SectionIndex.h"
#include "support/ModelBuilder.h"

namespace cvx {
namespace {

using test::Counts;

// The index file of the model with ModelType 1, NumVerts 4, NumExtra 4, NumValue3 4,
// NumLines 5, NumPolys 2 and NumHundrets 1, byte for byte.
constexpr SectionIndex::Bytes kGolden = {
    0x43, 0x49, 0x4E, 0x44, 0x45, 0x52, 0x56, 0x41, 0x58, 0x45, 0x4C, 0x20, 0x31, 0x2E, 0x30, 0x30,
    0x01, 0x01, 0x01, 0x00, 0x01, 0x01, 0x01, 0x01, 0x01, 0x60, 0x00, 0x00, 0x00, 0x20, 0x00, 0x00,
    0x00, 0x18, 0x00, 0x00, 0x00, 0x14, 0x00, 0x00, 0x00, 0x30, 0x00, 0x00, 0x00, 0x64, 0x00, 0x00,
    0x00, 0x3C, 0x00, 0x00, 0x00, 0x18, 0x00, 0x00, 0x00, 0x10, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
};

std::array<std::int32_t, 9> lengths(const SectionIndex& index) {
    return {index.LenAdditional, index.LenValue3,   index.LenColor, index.LenEdges,  index.LenPoly,
            index.LenHundrets,   index.LenFiftysix, index.LenBbox,  index.LenUnknown};
}

TEST(SectionIndex, EncodesTheWorkedExampleExactly) {
    SectionIndex index;
    index.fillFromHeader(test::makeHeader({1, 4, 4, 4, 5, 2, 1}));
    EXPECT_EQ(index.encode(), kGolden);
    EXPECT_EQ(SectionIndex::decode(kGolden), index);
}

TEST(SectionIndex, FillsFlagsAndLengthsFromTheHeader) {
    const struct {
        const char* name;
        Counts counts;
        std::uint8_t hasValue3;
        std::array<std::int32_t, 9> lengths;
    } cases[] = {
        {"no value3", {1, 3, 0, 0, 3, 1, 1}, 0, {36, 0, 16, 12, 24, 100, 60, 24, 12}},
        {"worked example", test::kWorkedExample, 1, {36, 24, 12, 16, 24, 100, 60, 24, 8}},
        {"no hundrets", {7, 0, 0, 0, 0, 0, 0}, 0, {0, 0, 0, 0, 0, 0, 4, 24, 0}},
        {"negative NumValue3 still counts",
         {1, 0, 0, -2, 0, 0, 0},
         1,
         {0, -16, 0, 0, 0, 0, 4, 24, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SectionIndex index;
        index.fillFromHeader(test::makeHeader(c.counts));
        EXPECT_EQ(index.HasValue3, c.hasValue3);
        EXPECT_EQ(index.ModelType, c.counts.ModelType);
        EXPECT_EQ(lengths(index), c.lengths);
    }
}

TEST(SectionIndex, ModelTypeMustFitInAByte) {
    const struct {
        std::int32_t type;
        bool accepted;
    } cases[] = {{0, true}, {255, true}, {256, false}, {-1, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type);
        SectionIndex index;
        Counts counts;
        counts.ModelType = c.type;
        if (c.accepted) {
            index.fillFromHeader(test::makeHeader(counts));
            EXPECT_EQ(index.encode()[18], static_cast<std::uint8_t>(c.type));
        } else {
            try {
                index.fillFromHeader(test::makeHeader(counts));
                ADD_FAILURE() << "accepted";
            } catch (const RunError& error) {
                EXPECT_EQ(error.code(), ErrorCode::Overflow);
            }
        }
    }
}

TEST(SectionIndex, DecodesEveryFieldAndFillKeepsTheReservedBytes) {
    SectionIndex::Bytes odd{};
    for (std::size_t i = 0; i < odd.size(); ++i) {
        odd[i] = static_cast<std::uint8_t>(0xF0 - i);
    }
    SectionIndex index = SectionIndex::decode(odd);
    EXPECT_EQ(index.encode(), odd);
    EXPECT_EQ(index.LenAdditional, static_cast<std::int32_t>(0xD4D5D6D7u));  // bytes 25..28
    index.fillFromHeader(test::makeHeader({1, 4, 4, 4, 5, 2, 1}));
    SectionIndex::Bytes expected = kGolden;
    for (const std::size_t reserved : {19, 61, 62, 63}) {
        expected[reserved] = odd[reserved];
    }
    EXPECT_EQ(index.encode(), expected);
}

TEST(SectionIndex, ExpectedLengthsFollowTheRecord) {
    SectionIndex index = SectionIndex::decode(kGolden);
    EXPECT_EQ(index.expectedLength(Section::Header), 128);
    EXPECT_EQ(index.expectedLength(Section::Additional), 96);
    EXPECT_EQ(index.expectedLength(Section::Value3), 32);
    EXPECT_EQ(index.expectedLength(Section::Unknown), 16);
    for (const std::uint8_t flag : {0, 2, 255}) {
        index.HasValue3 = flag;
        EXPECT_FALSE(index.expectedLength(Section::Value3).has_value()) << int{flag};
    }
}

}  // namespace
}  // namespace cvx
