#include "Outcome.h"

#include <exception>
#include <new>

namespace cvx {

Failure currentFailure(ErrorCode expected) {
    try {
        throw;
    } catch (const RunError& error) {
        return {Failure::Kind::Error, error, expected, {}};
    } catch (const std::bad_alloc&) {
        return {Failure::Kind::Error,
                RunError(ErrorCode::OutOfMemory, "not enough memory for the run"),
                expected,
                {}};
    } catch (const std::exception& error) {
        return {
            Failure::Kind::Error, RunError(ErrorCode::InternalError, error.what()), expected, {}};
    }
}

}  // namespace cvx
