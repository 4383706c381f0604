#pragma once

#include <QMessageBox>
#include <QTimer>
#include <deque>
#include <functional>
#include <vector>

#include "ui/FileDialogRequest.h"

namespace cvx::test {

// A message box as the user saw it, with what `observe` reported while it was up.
struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton;
    std::vector<bool> state;
};

// While it lives, answers each modal message box from a script, after recording it. A box with
// no answer left counts as unexpected and is dismissed, so a fault fails instead of hanging.
class MessageBoxScript final : public QObject {
    Q_OBJECT

public:
    explicit MessageBoxScript(std::deque<QMessageBox::StandardButton> answers = {},
                              std::function<std::vector<bool>()> observe = {});

    std::vector<SeenBox> seen;
    int unexpected = 0;

private:
    void poll();

    std::deque<QMessageBox::StandardButton> m_answers;
    std::function<std::vector<bool>()> m_observe;
    QTimer m_timer;
};

// Stands in for the file dialogs: records each request, gives back the scripted paths in turn
// and then the empty text of a cancelled dialog.
struct ChooserScript {
    std::deque<QString> results;
    std::vector<FileDialogRequest> requests;

    FileChooser chooser() {
        return [this](QWidget*, const FileDialogRequest& request) {
            requests.push_back(request);
            const QString next = results.empty() ? QString() : results.front();
            if (!results.empty()) {
                results.pop_front();
            }
            return next;
        };
    }
};

}  // namespace cvx::test
