#include "ControlTable.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

namespace cvx::controls {
namespace {

QWidget* createControl(const Row& row, QWidget* container) {
    const QString caption = QString::fromUtf8(row.caption);
    QWidget* control = nullptr;
    switch (row.kind) {
        case Kind::Frame:
            control = new QGroupBox(caption, container);
            break;
        case Kind::TextField:
            control = new QLineEdit(caption, container);
            break;
        case Kind::Button: {
            auto* button = new QPushButton(caption, container);
            // Return presses a focused button, as Space does. Outside a dialog this makes no
            // button the window's default.
            button->setAutoDefault(true);
            control = button;
            break;
        }
        case Kind::CheckBox:
            control = new QCheckBox(caption, container);
            break;
        case Kind::Label:
            control = new QLabel(caption, container);
            break;
    }
    control->setObjectName(QString::fromUtf8(row.name));
    return control;
}

}  // namespace

Created create(QWidget& window, std::span<const Row> rows) {
    Created created;
    for (const Row& row : rows) {
        QWidget* container =
            row.container ? window.findChild<QWidget*>(QString::fromUtf8(row.container)) : &window;
        created.emplace_back(createControl(row, container), &row);
    }
    return created;
}

void fit(const Created& created, TwipScale& scale) {
    for (const auto& [widget, row] : created) {
        scale.fit(*widget, QSize(row->twips.width, row->twips.height));
    }
}

void place(QWidget& window, Created created, const TwipScale& scale, QSize client) {
    for (const auto& [widget, row] : created) {
        widget->setGeometry(scale.toPixels(row->twips));
    }
    window.setFixedSize(scale.toPixels(client.width(), client.height()));

    // Frames stay out of the chain: Qt would move each frame's children along with it.
    std::erase_if(created,
                  [](const auto& entry) { return !(entry.first->focusPolicy() & Qt::TabFocus); });
    std::stable_sort(created.begin(), created.end(), [](const auto& a, const auto& b) {
        return a.second->tabIndex < b.second->tabIndex;
    });
    for (std::size_t i = 1; i < created.size(); ++i) {
        QWidget::setTabOrder(created[i - 1].first, created[i].first);
    }
    const auto first = std::find_if(created.begin(), created.end(),
                                    [](const auto& entry) { return entry.first->isEnabled(); });
    if (first != created.end()) {
        first->first->setFocus();
    }
}

}  // namespace cvx::controls
