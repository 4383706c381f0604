#pragma once

#include <cstdio>
#include <string>

#include "session/UserInterface.h"

namespace cvx {

// The user interface of the command-line tool: messages go to standard error, a line with the
// file, the cause and the next step, then the error's code. It asks nothing: what the window asks
// (whether to check lengths) the command line says with an option before the run, and work in the
// way is replaced only with --force.
class CliUserInterface final : public UserInterface {
public:
    // `force` lets a run replace work in its way.
    explicit CliUserInterface(std::FILE* errors, bool force = false)
        : m_errors(errors), m_force(force) {}

    void ShowMessage(const Message& message) override;
    // Writes "cindervaxel-cli: note: text".
    void ShowNote(const std::string& text) override;
    // Never asked (the command line says whether to check lengths): No.
    Answer AskYesNo(const std::string& text, const std::string& title) override;
    // Yes with --force; otherwise says what is in the way and what to do, and answers No.
    Answer AskToReplace(const ReplaceQuestion& question) override;
    void SetBusy(bool) override {}

    bool messageShown() const { return m_messageShown; }

private:
    std::FILE* m_errors;
    bool m_force;
    bool m_messageShown = false;
};

}  // namespace cvx
