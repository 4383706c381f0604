#include "UiText.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QOperatingSystemVersion>

namespace cvx {
namespace {

// The installer puts the uninstaller beside the programs, and "Cindervaxel command line" into the
// Start menu; the portable programs have neither.
bool commandLineInStartMenu() {
    return QOperatingSystemVersion::currentType() == QOperatingSystemVersion::Windows &&
           QFileInfo::exists(QCoreApplication::applicationDirPath() +
                             QStringLiteral("/Uninstall.exe"));
}

}  // namespace

QString UiText::display(const std::string& text) {
    return display(text, commandLineInStartMenu());
}

QString UiText::display(const std::string& text, bool commandLineInStartMenu) {
    QString shown =
        QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (commandLineInStartMenu) {
        shown.replace(QStringLiteral("run cindervaxel-cli "),
                      QStringLiteral("open \"Cindervaxel command line\" in the Start menu and "
                                     "run cindervaxel-cli "));
    }
    return shown;
}

void UiText::showOutcome(QLabel& line, const QString& written) {
    const QString text = written.isEmpty() ? QStringLiteral("Nothing was written.") : written;
    line.setText(line.fontMetrics().elidedText(text, Qt::ElideMiddle, line.width()));
    line.setToolTip(text);
}

}  // namespace cvx
