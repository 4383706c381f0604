#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "convert/UserInterface.h"

namespace cvx::test {

// Thrown by FakeUserInterface::EndProgram in place of ending the process. It is no standard
// exception, so no operation's error handler catches it.
struct ProgramEnded {};

// A user interface that records what the operations show. It answers questions from a script of
// answers, or with one fixed answer for long unattended runs (fault campaigns, fuzzing); a
// question that neither covers is counted in `unexpectedQuestions` and answered No.
class FakeUserInterface final : public UserInterface {
public:
    struct Message {
        std::string text;
        std::string title;
        friend bool operator==(const Message&, const Message&) = default;
    };

    explicit FakeUserInterface(std::optional<Answer> always = std::nullopt) : m_always(always) {}

    void ShowMessage(const std::string& text, const std::string& title) override;
    Answer AskYesNo(const std::string& text, const std::string& title) override;
    void SetButtonEnabled(Button button, bool enabled) override;
    [[noreturn]] void EndProgram() override;

    void answer(Answer next) { m_answers.push_back(next); }

    // The state of `button` after the last change; enabled when it was never touched.
    bool isEnabled(Button button) const;

    std::vector<Message> messages;
    std::vector<Message> questions;
    int unexpectedQuestions = 0;
    // Every change of a button, in order.
    std::vector<std::pair<Button, bool>> buttonChanges;
    bool programEnded = false;

private:
    std::optional<Answer> m_always;
    std::deque<Answer> m_answers;
};

}  // namespace cvx::test
