#pragma once

#include <string>

namespace cvx {

// The two buttons that the operations grey out while they run.
enum class Button { Disassemble, Assemble };

enum class Answer { Yes, No };

// The exit status of a program that an operation ended (EndProgram), in both programs.
inline constexpr int kExitEnded = 3;

// All that the operations know of the user interface. The main window implements it with message
// boxes; the command-line tool with standard error; tests with a recording fake.
class UserInterface {
public:
    virtual ~UserInterface() = default;

    // Shows `text` (lines separated by CR LF) under `title` with the error icon and one OK button,
    // and below it `detail`, when there is one: the file, the cause and the next step, in a line.
    // Returns when the user has dismissed it.
    virtual void ShowMessage(const std::string& text, const std::string& title,
                             const std::string& detail) = 0;

    // Tells of something a run that went well could not do: bytes of a model that no section
    // file holds, which a join of the set leaves out. Asks for nothing.
    virtual void ShowNote(const std::string& text) = 0;

    // Asks `text` under `title` with the question icon and the buttons Yes and No, Yes being the
    // default, and returns the answer.
    virtual Answer AskYesNo(const std::string& text, const std::string& title) = 0;

    // Greys out `button` or enables it again.
    virtual void SetButtonEnabled(Button button, bool enabled) = 0;

    // Ends the program at once: every window goes, the process ends. Does not return.
    [[noreturn]] virtual void EndProgram() = 0;
};

}  // namespace cvx
