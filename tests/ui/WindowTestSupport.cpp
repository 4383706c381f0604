#include "WindowTestSupport.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>

namespace cvx::test {

MessageBoxScript::MessageBoxScript(std::deque<QMessageBox::StandardButton> answers,
                                   std::function<std::vector<bool>()> observe)
    : m_answers(std::move(answers)), m_observe(std::move(observe)) {
    connect(&m_timer, &QTimer::timeout, this, &MessageBoxScript::poll);
    m_timer.start(10);
}

void MessageBoxScript::poll() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible() || box->property("cvxSeen").toBool()) {
        return;
    }
    box->setProperty("cvxSeen", true);
    SeenBox record{box->windowTitle(), box->text(), box->icon(), {}, QMessageBox::NoButton, {}};
    for (QAbstractButton* button : box->buttons()) {
        record.buttons |= box->standardButton(button);
    }
    if (box->defaultButton() != nullptr) {
        record.defaultButton = box->standardButton(box->defaultButton());
    }
    if (m_observe) {
        record.state = m_observe();
    }
    seen.push_back(record);

    QAbstractButton* press = m_answers.empty() ? nullptr : box->button(m_answers.front());
    if (!m_answers.empty()) {
        m_answers.pop_front();
    }
    if (press == nullptr) {
        ++unexpected;
        press = box->buttons().value(0);
    }
    QTest::mouseClick(press, Qt::LeftButton);
}

}  // namespace cvx::test
