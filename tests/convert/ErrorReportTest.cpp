#include <gtest/gtest.h>

#include <filesystem>
#include <new>
#include <stdexcept>

#include "convert/ErrorReport.h"
#include "support/FakeUserInterface.h"
#include "support/TempDir.h"

namespace cvx::test {
namespace {

// The handler's message for whatever is thrown, with `expected` as the one code it singles out.
FakeUserInterface::Message handle(ErrorCode expected, void (*raise)()) {
    FileTable files;
    FakeUserInterface ui;
    try {
        raise();
    } catch (const std::exception&) {
        handleOperationError(files, ui, expected);
    }
    EXPECT_EQ(ui.messages.size(), 1u);
    return ui.messages.empty() ? FakeUserInterface::Message{} : ui.messages.front();
}

TEST(ErrorReport, OneCodeIsNamedAndEveryOtherShownByNumber) {
    const struct {
        ErrorCode expected;
        void (*raise)();
        const char* text;
    } cases[] = {
        {ErrorCode::FileNotFound, [] { throw RunError(ErrorCode::FileNotFound, "x"); },
         "File does not exist!"},
        {ErrorCode::FileNotFound, [] { throw RunError(ErrorCode::PathNotFound, "x"); },
         "An unkown Error has occured!\r\nError Code: 76"},
        {ErrorCode::PathNotFound, [] { throw RunError(ErrorCode::PathNotFound, "x"); },
         "File does not exist!"},
        {ErrorCode::PathNotFound, [] { throw RunError(ErrorCode::FileNotFound, "x"); },
         "An unkown Error has occured!\r\nError Code: 53"},
        {ErrorCode::PathNotFound, [] { throw std::bad_alloc(); },
         "An unkown Error has occured!\r\nError Code: 7"},
        {ErrorCode::PathNotFound, [] { throw std::logic_error("x"); },
         "An unkown Error has occured!\r\nError Code: 51"},
    };
    for (const auto& c : cases) {
        const FakeUserInterface::Message message = handle(c.expected, c.raise);
        EXPECT_EQ(message.text, c.text);
        EXPECT_EQ(message.title, "Error");
    }
}

}  // namespace
}  // namespace cvx::test
