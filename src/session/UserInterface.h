#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "convert/Outcome.h"

namespace cvx {

// An answer to a question. Cancel: the user closed the question without answering it (Escape);
// the run ends and writes nothing.
enum class Answer { Yes, No, Cancel };

// What the user is told when a run ends early.
struct Message {
    std::string text, title;        // as the window shows them: "File does not exist!", "Error"
    std::string detail;             // the file, the cause and the next step, in a line
    std::optional<ErrorCode> code;  // the code of the error, when it has one
};

// A run that would replace work of the user's: a split over the files of a set (another model's,
// or this model's edited one), or a join or an apply of patches over another model or a file that
// is no model.
struct ReplaceQuestion {
    enum class Run { Split, Join, Apply } run;
    std::filesystem::path given;  // the model to split, or the model file to write
    std::vector<WorkInTheWay> files;
    bool ownFolder = false;  // a split into the model's own folder
};

// What a front end does between an operation's plan and its run, and after it: asks the questions
// that the plan raises and tells the outcome. The main window implements it with message boxes;
// the command-line tool with standard error; tests with a recording fake.
class UserInterface {
public:
    virtual ~UserInterface() = default;

    // Shows the message with the error icon and one OK button, and returns when the user has
    // dismissed it.
    virtual void ShowMessage(const Message& message) = 0;

    // Tells of something a run that went well could not do: bytes of a model that no section
    // file holds, which a join of the set leaves out. Asks for nothing.
    virtual void ShowNote(const std::string& text) = 0;

    // Asks `text` under `title` with the question icon and the buttons Yes and No, Yes being the
    // default, and returns the answer; Cancel when the user closed the question instead.
    virtual Answer AskYesNo(const std::string& text, const std::string& title) = 0;

    // Asks whether the files of `question` may be replaced; the answer that keeps them is the
    // default, and Cancel keeps them too. A front end that cannot ask says why it keeps them and
    // answers No.
    virtual Answer AskToReplace(const ReplaceQuestion& question) = 0;

    // Says that the operation the user started is running (true) or has ended (false): a window
    // greys out the control that started it meanwhile. Each run says true first and false last,
    // whatever its outcome.
    virtual void SetBusy(bool busy) = 0;

    // The names of this front end's commands, for the next steps in messages.
    virtual const Wording& words() const { return kCommandLineWording; }
};

}  // namespace cvx
