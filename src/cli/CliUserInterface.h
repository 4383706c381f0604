#pragma once

#include <cstdio>
#include <string>
#include <utility>

#include "convert/UserInterface.h"

namespace cvx {

// The user interface of the command-line tool: messages go to standard error as "title: text",
// questions are answered from the command line, and ending the program exits with status 3.
class CliUserInterface final : public UserInterface {
public:
    static constexpr int kExitEnded = 3;

    // `prefix` goes in front of every message: the model it is about, when there are several.
    CliUserInterface(std::FILE* errors, Answer lengthCheckAnswer, std::string prefix)
        : m_errors(errors), m_answer(lengthCheckAnswer), m_prefix(std::move(prefix)) {}

    void ShowMessage(const std::string& text, const std::string& title) override;
    Answer AskYesNo(const std::string& text, const std::string& title) override;
    void SetButtonEnabled(Button, bool) override {}
    [[noreturn]] void EndProgram() override;

    bool messageShown() const { return m_messageShown; }

private:
    std::FILE* m_errors;
    Answer m_answer;
    std::string m_prefix;
    bool m_messageShown = false;
};

}  // namespace cvx
