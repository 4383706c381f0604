#pragma once

#include <string>

#include "convert/UserInterface.h"

namespace cvx::test {

// Thrown by FakeUserInterface::EndProgram in place of ending the process. It is no standard
// exception, so no operation's error handler catches it.
struct ProgramEnded {};

// A user interface that writes down what the operations show, as the command-line tool prints it
// ("title: text" and a line feed), and answers every question alike.
class FakeUserInterface final : public UserInterface {
public:
    explicit FakeUserInterface(Answer answer = Answer::Yes) : m_answer(answer) {}

    void ShowMessage(const std::string& text, const std::string& title) override {
        shown += title + ": " + text + "\n";
    }
    Answer AskYesNo(const std::string& text, const std::string& title) override {
        asked += title + ": " + text + "\n";
        return m_answer;
    }
    // "D-D+": "Disassemble!" greyed out, then enabled again; "A" for "Assemble!".
    void SetButtonEnabled(Button button, bool enabled) override {
        buttons += std::string(button == Button::Disassemble ? "D" : "A") + (enabled ? "+" : "-");
    }
    [[noreturn]] void EndProgram() override {
        ended = true;
        throw ProgramEnded{};
    }

    std::string shown, asked, buttons;
    bool ended = false;

private:
    Answer m_answer;
};

}  // namespace cvx::test
