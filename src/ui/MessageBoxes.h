#pragma once

#include "session/UserInterface.h"

class QMessageBox;
class QWidget;

namespace cvx {

// The user interface of the program's windows as message boxes over `parent`: the wording of the
// questions and the keys that answer them, written once for every window that runs an operation.
// The window says what busy means for it.
class MessageBoxes : public UserInterface {
public:
    explicit MessageBoxes(QWidget* parent) : m_parent(parent) {}

    void ShowMessage(const Message& message) override;
    // Shows `text` in a box with the information icon and one OK button.
    void ShowNote(const std::string& text) override;
    // Yes is the default; Escape, or the box's close button, answers Cancel.
    Answer AskYesNo(const std::string& text, const std::string& title) override;
    // Asks with the question icon whether to replace the files, No being the default; Escape
    // answers Cancel.
    Answer AskToReplace(const ReplaceQuestion& question) override;
    // The next steps name the main window's controls.
    const Wording& words() const override;

private:
    // Shows `box` and returns its answer: Cancel for Escape or the box's close button.
    static Answer ask(QMessageBox& box);

    QWidget* m_parent;
};

}  // namespace cvx
