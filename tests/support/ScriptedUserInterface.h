#pragma once

#include <map>
#include <string>
#include <vector>

#include "ProgramEnded.h"
#include "convert/UserInterface.h"

namespace cvx::test {

// A user interface for long unattended runs (fault campaigns, fuzzing): it records what the
// operations show, answers every question with one fixed answer and throws ProgramEnded from
// EndProgram. Unlike FakeUserInterface it needs no test framework.
class ScriptedUserInterface final : public UserInterface {
public:
    struct Message {
        std::string text;
        std::string title;
    };

    explicit ScriptedUserInterface(Answer answer) : m_answer(answer) {}

    void ShowMessage(const std::string& text, const std::string& title) override {
        messages.push_back({text, title});
    }
    Answer AskYesNo(const std::string&, const std::string&) override {
        ++questions;
        return m_answer;
    }
    void SetButtonEnabled(Button button, bool enabled) override { m_enabled[button] = enabled; }
    [[noreturn]] void EndProgram() override {
        programEnded = true;
        throw ProgramEnded{};
    }

    // The state of `button` after the last change; enabled when it was never touched.
    bool isEnabled(Button button) const {
        const auto it = m_enabled.find(button);
        return it == m_enabled.end() || it->second;
    }

    std::vector<Message> messages;
    int questions = 0;
    bool programEnded = false;

private:
    Answer m_answer;
    std::map<Button, bool> m_enabled;
};

}  // namespace cvx::test
