#pragma once

namespace cvx::test {

// Thrown by the test user interfaces' EndProgram in place of ending the process. It is no
// standard exception, so no operation's error handler catches it.
struct ProgramEnded {};

}  // namespace cvx::test
