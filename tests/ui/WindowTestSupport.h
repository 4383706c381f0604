#pragma once

#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QTimer>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "support/ModelBuilder.h"
#include "ui/FileDialogRequest.h"

namespace cvx::test {

// A message box as the user saw it.
struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    // Whatever the test wants to know about the moment the box was up.
    std::vector<bool> state;
};

// Answers the modal message boxes that come up while it lives, in order, from a script. Each
// box is recorded first, together with the state that `observe` reports at that moment. A box
// with no answer left is recorded as unexpected and dismissed, so a fault shows as a failure,
// not as a hang.
class MessageBoxScript final : public QObject {
    Q_OBJECT

public:
    explicit MessageBoxScript(std::function<std::vector<bool>()> observe = {});

    MessageBoxScript& answer(QMessageBox::StandardButton button) {
        m_answers.push_back(button);
        return *this;
    }

    std::vector<SeenBox> seen;
    int unexpected = 0;

private:
    void poll();

    std::function<std::vector<bool>()> m_observe;
    std::deque<QMessageBox::StandardButton> m_answers;
    QTimer m_timer;
};

// Stands in for the file dialogs: records each request and gives back scripted results.
class ChooserScript {
public:
    FileChooser chooser();
    void result(const QString& path) { m_results.push_back(path); }

    std::vector<FileDialogRequest> requests;

private:
    std::deque<QString> m_results;
};

bool writeBytes(const std::string& path, const Bytes& bytes);
Bytes readBytes(const std::string& path);

}  // namespace cvx::test
