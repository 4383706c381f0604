#include <QApplication>
#include <QFile>
#include <QStringList>

#include "convert/ReplacingFile.h"
#include "ui/frmMain.h"

#ifdef Q_OS_WIN
#include <shellapi.h>
#include <windows.h>
#endif

namespace {

// The files that the program was started with ("Open with" of a file manager gives one), as
// Unicode text. On Windows the narrow arguments come in the code page: the wide ones are exact.
QStringList givenFiles(int argc, char** argv) {
    QStringList files;
#ifdef Q_OS_WIN
    Q_UNUSED(argc);
    Q_UNUSED(argv);
    int count = 0;
    if (LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count)) {
        for (int i = 1; i < count; ++i) {
            files << QString::fromWCharArray(wide[i]);
        }
        ::LocalFree(wide);
    }
#else
    for (int i = 1; i < argc; ++i) {
        files << QFile::decodeName(argv[i]);
    }
#endif
    return files;
}

}  // namespace

int main(int argc, char** argv) {
    // The files given are read here; Qt is shown only the program's name, so that no option of
    // its own changes the windows.
    const QStringList files = givenFiles(argc, argv);
    int qtArgc = argc > 0 ? 1 : 0;
    QApplication app(qtArgc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("cindervaxel"));
    cvx::ReplacingFile::removeTemporaryFilesOnInterrupt();

    // The window deletes itself when it is closed; the program ends when its last window is gone.
    auto* window = new cvx::frmMain();
    for (const QString& file : files) {
        window->openGiven(file);
    }
    window->show();
    return QApplication::exec();
}
