#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "ProgramEnded.h"
#include "convert/UserInterface.h"

namespace cvx::test {

// A user interface that records what the operations show and answers questions from a script.
class FakeUserInterface final : public UserInterface {
public:
    struct Message {
        std::string text;
        std::string title;
        friend bool operator==(const Message&, const Message&) = default;
    };

    void ShowMessage(const std::string& text, const std::string& title) override;
    // Answers with the next scripted answer; a question nobody scripted fails the test.
    Answer AskYesNo(const std::string& text, const std::string& title) override;
    void SetButtonEnabled(Button button, bool enabled) override;
    [[noreturn]] void EndProgram() override;

    void answer(Answer next) { m_answers.push_back(next); }

    std::vector<Message> messages;
    std::vector<Message> questions;
    // Every change of a button, in order.
    std::vector<std::pair<Button, bool>> buttonChanges;
    bool programEnded = false;

    // The state of `button` after the last change; enabled when it was never touched.
    bool isEnabled(Button button) const;

private:
    std::deque<Answer> m_answers;
};

}  // namespace cvx::test
