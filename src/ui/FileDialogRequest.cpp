#include "FileDialogRequest.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QOperatingSystemVersion>
#include <QStringList>

namespace cvx {
namespace {

// Windows users expect a file dialog to open where the path in the field points.
bool startsInFieldDirectory() {
    return QOperatingSystemVersion::currentType() == QOperatingSystemVersion::Windows;
}

}  // namespace

QString FileDialogRequest::startDirectory(const QString& fieldText) {
    const QFileInfo file(fieldText);
    if (!startsInFieldDirectory() || !file.isAbsolute() || !file.dir().exists()) {
        return {};
    }
    return QDir::toNativeSeparators(file.absolutePath());
}

QString FileDialogRequest::filterOf(std::initializer_list<std::pair<QString, QString>> pairs) {
    QStringList filters;
    for (const auto& [text, pattern] : pairs) {
        const QString suffix = QStringLiteral("(%1)").arg(pattern);
        filters << (text.endsWith(suffix) ? text : QStringLiteral("%1 %2").arg(text, suffix));
    }
    return filters.join(QStringLiteral(";;"));
}

void chooseInto(QLineEdit& field, const FileDialogRequest& request, const FileChooser& chooseFile) {
    FileDialogRequest startingAtField = request;
    startingAtField.directory = FileDialogRequest::startDirectory(field.text());
    const QString path = chooseFile(field.window(), startingAtField);
    if (!path.isEmpty()) {
        // Qt gives '/' on every system; a Windows user reads and types '\'.
        field.setText(QDir::toNativeSeparators(path));
    }
}

}  // namespace cvx
