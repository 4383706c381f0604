#pragma once

#include <cstdio>
#include <string>

#include "convert/UserInterface.h"

namespace cvx {

// The user interface of the command-line tool: messages go to standard error, a line with the
// file, the cause and the next step, then the error's code; questions are answered from the
// command line; ending the program exits with status 3.
class CliUserInterface final : public UserInterface {
public:
    // `lengthCheckAnswer` answers the question whether to check lengths; `force` lets a run
    // replace work in its way.
    CliUserInterface(std::FILE* errors, Answer lengthCheckAnswer, bool force = false)
        : m_errors(errors), m_answer(lengthCheckAnswer), m_force(force) {}

    void ShowMessage(const Message& message) override;
    // Writes "cindervaxel-cli: note: text".
    void ShowNote(const std::string& text) override;
    Answer AskYesNo(const std::string& text, const std::string& title) override;
    // Yes with --force; otherwise says what is in the way and what to do, and answers No.
    Answer AskToReplace(const ReplaceQuestion& question) override;
    void SetButtonEnabled(Button, bool) override {}
    [[noreturn]] void EndProgram() override;

    bool messageShown() const { return m_messageShown; }

private:
    std::FILE* m_errors;
    Answer m_answer;
    bool m_force;
    bool m_messageShown = false;
};

}  // namespace cvx
