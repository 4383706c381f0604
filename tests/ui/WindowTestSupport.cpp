#include "WindowTestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QTest>

namespace cvx::test {

MessageBoxScript::MessageBoxScript(std::function<std::vector<bool>()> observe)
    : m_observe(std::move(observe)) {
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

    QAbstractButton* press = nullptr;
    if (!m_answers.empty()) {
        press = box->button(m_answers.front());
        m_answers.pop_front();
    }
    if (press == nullptr) {
        ++unexpected;
        press = box->buttons().value(0);
    }
    QTest::mouseClick(press, Qt::LeftButton);
}

FileChooser ChooserScript::chooser() {
    return [this](QWidget*, const FileDialogRequest& request) {
        requests.push_back(request);
        if (m_results.empty()) {
            return QString();
        }
        const QString next = m_results.front();
        m_results.pop_front();
        return next;
    };
}

bool writeBytes(const std::string& path, const Bytes& bytes) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size());
}

Bytes readBytes(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray data = file.readAll();
    return Bytes(data.begin(), data.end());
}

}  // namespace cvx::test
