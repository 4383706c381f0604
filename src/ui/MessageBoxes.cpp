#include "MessageBoxes.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include "UiText.h"
#include "files/PathText.h"

namespace cvx {
namespace {

std::string splitQuestion(const ReplaceQuestion& question) {
    const std::size_t count = question.files.size();
    std::string text = "Disassemble! would replace " + std::to_string(count) +
                       (count == 1 ? " file" : " files") + " in " +
                       toText(question.files.front().file.parent_path()) +
                       (count == 1 ? " that holds" : " that hold") + " other work:\r\n";
    // Files for the same reason in a line, which the reason closes.
    for (std::size_t i = 0; i < count; ++i) {
        const WorkInTheWay& file = question.files[i];
        const bool first = i == 0 || question.files[i - 1].why != file.why;
        const bool last = i + 1 == count || question.files[i + 1].why != file.why;
        text +=
            (first ? "\r\n" : ", ") + toText(file.file.filename()) + (last ? ": " + file.why : "");
    }
    return text + "\r\n\r\n" + (count == 1 ? "Replace it?" : "Replace them?") +
           " No keeps every file as it is: Assemble! the set first" +
           (question.ownFolder ? "." : ", or tick \"create own Folder\".");
}

// A join or an apply replaces one file: what it is says why it is kept.
std::string oneFileQuestion(const char* button, const ReplaceQuestion& question,
                            const char* instead) {
    return std::string(button) + " would replace " + toText(question.given) + ", which is " +
           question.files.front().why + ".\r\n\r\nReplace it? No keeps it: " + instead + ".";
}

}  // namespace

void MessageBoxes::ShowMessage(const Message& message) {
    QMessageBox box(QMessageBox::Critical, UiText::display(message.title),
                    UiText::display(message.text), QMessageBox::Ok, m_parent);
    box.setTextFormat(Qt::PlainText);
    // The message's own lines stay as they are; the file, the cause and the next step go below,
    // as plain text too: a file name is never taken for markup.
    box.setInformativeText(UiText::display(message.detail));
    if (auto* below = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"))) {
        below->setTextFormat(Qt::PlainText);
    }
    box.exec();
}

void MessageBoxes::ShowNote(const std::string& text) {
    QMessageBox box(QMessageBox::Information, QStringLiteral("Note"), UiText::display(text),
                    QMessageBox::Ok, m_parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

Answer MessageBoxes::ask(QMessageBox& box) {
    // A Cancel button that is never shown takes Escape and the box's close button, so that they
    // answer neither Yes nor No.
    QPushButton* cancel = box.addButton(QMessageBox::Cancel);
    cancel->hide();
    box.setEscapeButton(cancel);
    const int answer = box.exec();
    return answer == QMessageBox::Yes  ? Answer::Yes
           : answer == QMessageBox::No ? Answer::No
                                       : Answer::Cancel;
}

Answer MessageBoxes::AskYesNo(const std::string& text, const std::string& title) {
    QMessageBox box(QMessageBox::Question, UiText::display(title), UiText::display(text),
                    QMessageBox::Yes | QMessageBox::No, m_parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Yes);
    return ask(box);
}

Answer MessageBoxes::AskToReplace(const ReplaceQuestion& question) {
    std::string text;
    switch (question.run) {
        case ReplaceQuestion::Run::Split:
            text = splitQuestion(question);
            break;
        case ReplaceQuestion::Run::Join:
            text = oneFileQuestion("Assemble!", question, "choose another Destination File");
            break;
        case ReplaceQuestion::Run::Apply:
            text = oneFileQuestion("Apply!", question, "choose another model to write");
            break;
        case ReplaceQuestion::Run::Patch:  // the window writes no patches
            text = oneFileQuestion("Writing the patch", question, "choose another patch file");
            break;
    }
    QMessageBox box(QMessageBox::Question, QStringLiteral("Replace Files?"), UiText::display(text),
                    QMessageBox::Yes | QMessageBox::No, m_parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::No);
    return ask(box);
}

const Wording& MessageBoxes::words() const {
    static constexpr Wording kWindowWording{
        "Assemble!", "press Disassemble!", "untick \"create own Folder\"",
        "choose a file with \"...\"",
        "put the index file (.asm) into the Assembler's Source File and the model to write into "
        "its Destination File"};
    return kWindowWording;
}

}  // namespace cvx
