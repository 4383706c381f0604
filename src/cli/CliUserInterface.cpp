#include "CliUserInterface.h"

#include "TextOut.h"
#include "files/PathText.h"

namespace cvx {

void CliUserInterface::ShowMessage(const Message& message) {
    m_messageShown = true;
    // The window's title and text ("An unkown Error has occured!") tell nothing that the detail
    // does not; the code stays, as the window shows it and the manual lists it.
    std::string text = "cindervaxel-cli: " + message.detail + "\n";
    if (message.code) {
        text += "Error Code: " + std::to_string(codeNumber(*message.code)) + "\n";
    }
    writeText(m_errors, text);
}

void CliUserInterface::ShowNote(const std::string& text) {
    writeText(m_errors, "cindervaxel-cli: note: " + text + "\n");
}

Answer CliUserInterface::AskYesNo(const std::string&, const std::string&) {
    return m_answer;
}

Answer CliUserInterface::AskToReplace(const ReplaceQuestion& question) {
    if (m_force) {
        return Answer::Yes;
    }
    std::string text;
    if (question.run == ReplaceQuestion::Run::Split) {
        const bool one = question.files.size() == 1;
        text = "cindervaxel-cli: " + toText(question.given) + ": a split would replace " +
               std::to_string(question.files.size()) +
               (one ? " file that holds" : " files that hold") +
               " other work: join the set first, " +
               (question.ownFolder ? "" : "split with --own-folder, ") +
               "or give --force to replace " + (one ? "it" : "them") + "\n";
        for (const WorkInTheWay& file : question.files) {
            text += "  " + toText(file.file) + ": " + file.why + "\n";
        }
    } else {
        // A join replaces one file: what it is says why it is kept.
        text = "cindervaxel-cli: " + toText(question.given) + " is " + question.files.front().why +
               ": a join would replace it; give another model file (.p) to write, or --force to "
               "replace it\n";
    }
    m_messageShown = true;
    writeText(m_errors, text + "Error Code: " +
                            std::to_string(codeNumber(ErrorCode::FileAlreadyExists)) + "\n");
    return Answer::No;
}

}  // namespace cvx
