#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>

#include "formats/ByteOrder.h"
#include "formats/CheckedInt32.h"

namespace cvx {
namespace {

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

enum class Op { Add, Sub, Mul };

struct Case {
    Op op;
    std::int32_t a;
    std::int32_t b;
    std::optional<std::int32_t> expected;  // nothing: overflow, code 6
};

TEST(CheckedInt32, ExactResultsInsideTheRangeAndCodeSixOutside) {
    const Case cases[] = {
        {Op::Add, kMax - 1, 1, kMax},          {Op::Add, kMax, 1, std::nullopt},
        {Op::Add, kMin, -1, std::nullopt},     {Op::Add, kMin, kMax, -1},
        {Op::Sub, kMin + 1, 1, kMin},          {Op::Sub, kMin, 1, std::nullopt},
        {Op::Sub, 0, kMin, std::nullopt},      {Op::Sub, -1, kMin, kMax},
        {Op::Mul, 178956970, 12, 2147483640},  {Op::Mul, 178956971, 12, std::nullopt},
        {Op::Mul, kMin, -1, std::nullopt},     {Op::Mul, -2, 1073741824, kMin},
        {Op::Mul, 536870912, 4, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(c.op) << " " << c.a << " " << c.b);
        auto run = [&] {
            switch (c.op) {
                case Op::Add:
                    return checked::add(c.a, c.b);
                case Op::Sub:
                    return checked::sub(c.a, c.b);
                case Op::Mul:
                    return checked::mul(c.a, c.b);
            }
            return 0;
        };
        if (c.expected) {
            EXPECT_EQ(run(), *c.expected);
        } else {
            try {
                run();
                ADD_FAILURE() << "no overflow reported";
            } catch (const RunError& error) {
                EXPECT_EQ(error.code(), ErrorCode::Overflow);
            }
        }
    }
}

TEST(ByteOrder, LittleEndianTwosComplementBothWays) {
    const struct {
        std::int32_t value;
        std::array<std::uint8_t, 4> bytes;
    } cases[] = {{0x12345678, {0x78, 0x56, 0x34, 0x12}},
                 {-1, {0xFF, 0xFF, 0xFF, 0xFF}},
                 {kMin, {0x00, 0x00, 0x00, 0x80}},
                 {kMax, {0xFF, 0xFF, 0xFF, 0x7F}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        std::array<std::uint8_t, 4> stored{};
        storeI32Le(c.value, stored);
        EXPECT_EQ(stored, c.bytes);
        EXPECT_EQ(loadI32Le(c.bytes), c.value);
    }
}

}  // namespace
}  // namespace cvx
