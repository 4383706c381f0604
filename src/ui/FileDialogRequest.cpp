#include "FileDialogRequest.h"

#include <QFileDialog>
#include <QStringList>

namespace cvx {

QString FileDialogRequest::filterOf(std::initializer_list<std::pair<QString, QString>> pairs) {
    QStringList filters;
    for (const auto& [text, pattern] : pairs) {
        const QString suffix = QStringLiteral("(%1)").arg(pattern);
        filters << (text.endsWith(suffix) ? text : QStringLiteral("%1 %2").arg(text, suffix));
    }
    return filters.join(QStringLiteral(";;"));
}

QString chooseWithPlatformDialog(QWidget* parent, const FileDialogRequest& request) {
    // No directory and no name: the dialog starts where the platform likes with an empty name
    // box, and the first filter is selected.
    if (request.kind == FileDialogRequest::Kind::Save) {
        return QFileDialog::getSaveFileName(parent, request.title, QString(), request.filter,
                                            nullptr, QFileDialog::DontConfirmOverwrite);
    }
    return QFileDialog::getOpenFileName(parent, request.title, QString(), request.filter);
}

}  // namespace cvx
