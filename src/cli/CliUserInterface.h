#pragma once

#include <cstdio>

#include "convert/UserInterface.h"

namespace cvx {

// The user interface of the command-line tool: messages go to standard error as "title: text",
// questions are answered from the command line, and ending the program exits with status 3.
class CliUserInterface final : public UserInterface {
public:
    static constexpr int kExitEnded = 3;

    CliUserInterface(std::FILE* errors, Answer lengthCheckAnswer)
        : m_errors(errors), m_answer(lengthCheckAnswer) {}

    void ShowMessage(const std::string& text, const std::string& title) override;
    Answer AskYesNo(const std::string& text, const std::string& title) override;
    void SetButtonEnabled(Button, bool) override {}
    [[noreturn]] void EndProgram() override;

    bool messageShown() const { return m_messageShown; }

private:
    std::FILE* m_errors;
    Answer m_answer;
    bool m_messageShown = false;
};

}  // namespace cvx
