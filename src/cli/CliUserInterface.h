#pragma once

#include <cstdio>
#include <string>
#include <utility>

#include "convert/UserInterface.h"

namespace cvx {

// The user interface of the command-line tool: messages go to standard error as "title: text",
// each line of a text in a line of its own,
// questions are answered from the command line, and ending the program exits with status 3.
class CliUserInterface final : public UserInterface {
public:
    // `prefix` goes in front of every message: the model it is about, when there are several.
    CliUserInterface(std::FILE* errors, Answer lengthCheckAnswer, std::string prefix)
        : m_errors(errors), m_answer(lengthCheckAnswer), m_prefix(std::move(prefix)) {}

    // Writes "title: text", and the detail in a line of its own below it.
    void ShowMessage(const std::string& text, const std::string& title,
                     const std::string& detail) override;
    // Writes "Note: text".
    void ShowNote(const std::string& text) override;
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
