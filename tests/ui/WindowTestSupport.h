#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <deque>
#include <functional>

namespace cvx::test {

// While it lives, answers every modal message box from a script, writing each down as
// "title|text|icon|buttons|default button|what `observe` said", and "|" and the text below the
// message when there is one. The answer NoButton presses Return: the box's default answer; the
// answer Cancel presses Escape. A box
// with no answer left fails
// the running test at once, naming its text, and is dismissed: a fault fails instead of hanging.
class BoxScript final : public QObject {
public:
    BoxScript() {
        connect(&m_timer, &QTimer::timeout, this, &BoxScript::poll);
        m_timer.start(10);
    }

    // Forgets the boxes seen and answers the next ones with `answers`.
    void expect(
        std::deque<QMessageBox::StandardButton> answers,
        std::function<QString()> observe = [] { return QString(); }) {
        seen.clear();
        m_answers = std::move(answers);
        m_observe = std::move(observe);
    }

    QStringList seen;

private:
    void poll() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible() || box->property("seen").toBool()) {
            return;
        }
        box->setProperty("seen", true);
        QStringList buttons;
        for (QAbstractButton* button : box->buttons()) {
            if (!button->isHidden()) {
                buttons << button->text().remove('&');
            }
        }
        const QString icon = box->icon() == QMessageBox::Critical      ? "error"
                             : box->icon() == QMessageBox::Question    ? "question"
                             : box->icon() == QMessageBox::Information ? "note"
                                                                       : "other";
        QAbstractButton* fallback = box->defaultButton();
        seen << QStringList{box->windowTitle(),
                            box->text(),
                            icon,
                            buttons.join(' '),
                            fallback ? fallback->text().remove('&') : "",
                            m_observe()}
                        .join('|') +
                    (box->informativeText().isEmpty() ? "" : "|" + box->informativeText());
        if (m_answers.empty()) {
            QTest::qFail(qPrintable("unexpected message box: " + box->text()), __FILE__, __LINE__);
            box->reject();
            return;
        }
        const QMessageBox::StandardButton answer = m_answers.front();
        m_answers.pop_front();
        if (answer == QMessageBox::NoButton || answer == QMessageBox::Cancel) {
            QTest::keyClick(box, answer == QMessageBox::Cancel ? Qt::Key_Escape : Qt::Key_Return);
        } else {
            QTest::mouseClick(box->button(answer), Qt::LeftButton);
        }
    }

    std::deque<QMessageBox::StandardButton> m_answers;
    std::function<QString()> m_observe = [] { return QString(); };
    QTimer m_timer;
};

}  // namespace cvx::test
