#include "CliUserInterface.h"

#include "TextOut.h"
#include "files/PathText.h"

namespace cvx {

void CliUserInterface::ShowMessage(const Message& message) {
    m_messageShown = true;
    // The window's title and text ("An unkown Error has occured!") tell nothing that the detail
    // does not; the code stays, as the window shows it and the manual lists it.
    writeError(m_errors, message.detail, message.code);
}

void CliUserInterface::ShowNote(const std::string& text) {
    writeText(m_errors, "cindervaxel-cli: note: " + text + "\n");
}

Answer CliUserInterface::AskYesNo(const std::string&, const std::string&) {
    return Answer::No;
}

Answer CliUserInterface::AskToReplace(const ReplaceQuestion& question) {
    if (m_force) {
        return Answer::Yes;
    }
    std::string text;
    if (question.run == ReplaceQuestion::Run::Split) {
        const bool one = question.files.size() == 1;
        text = toText(question.given) + ": a split would replace " +
               std::to_string(question.files.size()) +
               (one ? " file that holds" : " files that hold") +
               " other work: join the set first, " +
               (question.ownFolder ? "" : "split with --own-folder, ") +
               "or give --force to replace " + (one ? "it" : "them");
        for (const WorkInTheWay& file : question.files) {
            text += "\n  " + toText(file.file) + ": " + file.why;
        }
    } else {
        // A join or an apply replaces one file: what it is says why it is kept.
        const bool applying = question.run == ReplaceQuestion::Run::Apply;
        text = toText(question.given) + " is " + question.files.front().why + ": " +
               (applying ? "applying" : "a join") +
               " would replace it; give another model file (.p) to write, or --force to replace it";
    }
    m_messageShown = true;
    writeError(m_errors, text, ErrorCode::FileAlreadyExists);
    return Answer::No;
}

}  // namespace cvx
