#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "RunError.h"

namespace cvx {

// Signed 32-bit arithmetic for counts, lengths and offsets of model files. Each result is computed
// exactly in 64 bits and must fit in 32; otherwise the step fails with code 6 (overflow) instead
// of producing a wrapped value.
namespace checked {

// Returns `value` as int32, or throws RunError(Overflow) naming `what`.
inline std::int32_t narrow(std::int64_t value, std::string_view what) {
    if (value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max()) {
        throw RunError(ErrorCode::Overflow,
                       std::string(what) + " leaves the 32-bit range (2 GiB or more)");
    }
    return static_cast<std::int32_t>(value);
}

inline std::int32_t add(std::int32_t a, std::int32_t b, std::string_view what = "sum") {
    return narrow(std::int64_t{a} + b, what);
}

}  // namespace checked
}  // namespace cvx
