#pragma once

#include <gtest/gtest.h>

#include "formats/RunError.h"

namespace cvx::test {

// Returns the code of the RunError that `action` throws; fails the test when it throws none.
template <typename Action>
ErrorCode codeOf(Action action) {
    try {
        action();
    } catch (const RunError& error) {
        return error.code();
    }
    ADD_FAILURE() << "no error";
    return ErrorCode::InternalError;
}

}  // namespace cvx::test
