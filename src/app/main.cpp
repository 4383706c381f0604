#include <QApplication>

#include "convert/ReplacingFile.h"
#include "ui/frmMain.h"

int main(int argc, char** argv) {
    // The program takes nothing from its command line: Qt is shown only the program's name, so
    // that no option of its own changes the windows either.
    int qtArgc = argc > 0 ? 1 : 0;
    QApplication app(qtArgc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("cindervaxel"));
    cvx::ReplacingFile::removeTemporaryFilesOnInterrupt();

    // The window deletes itself when it is closed; the program ends when its last window is gone.
    auto* window = new cvx::frmMain();
    window->show();
    return QApplication::exec();
}
