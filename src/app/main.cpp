#include <QApplication>
#include <cstdio>

#include "Display.h"
#include "GivenFiles.h"
#include "files/Interrupts.h"
#include "ui/frmMain.h"

int main(int argc, char** argv) {
    // The files given are read here; Qt is shown only the program's name, so that no option of
    // its own changes the windows.
    if (!cvx::displayToShowOn()) {
        std::fputs(
            "cindervaxel: no display to show the window on; cindervaxel-cli works without "
            "one\n",
            stderr);
        return 1;
    }
    const QStringList files = cvx::givenFiles(argc, argv);
    int qtArgc = argc > 0 ? 1 : 0;
    QApplication app(qtArgc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("cindervaxel"));
    cvx::interrupts::install();

    // The window deletes itself when it is closed; the program ends when its last window is gone.
    // It shows first: a patch given opens an Apply window over it.
    auto* window = new cvx::frmMain();
    window->show();
    for (const QString& file : files) {
        window->openGiven(file);
    }
    return QApplication::exec();
}
