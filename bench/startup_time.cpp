// Starts the window program's main window and ends the process as soon as the window is shown,
// printing the milliseconds from main() to that moment. bench.sh times the whole process from
// outside, which adds the loading of the program and its libraries.

#include <QApplication>
#include <QElapsedTimer>
#include <QWindow>
#include <cstdio>
#include <cstdlib>

#include "ui/frmMain.h"

namespace {

class ShownWatch final : public QObject {
public:
    ShownWatch(QWidget& window, const QElapsedTimer& sinceMain)
        : m_window(window), m_sinceMain(sinceMain) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Expose && watched == m_window.windowHandle() &&
            m_window.windowHandle()->isExposed()) {
            std::printf("%.2f\n", static_cast<double>(m_sinceMain.nsecsElapsed()) / 1e6);
            std::fflush(stdout);
            std::_Exit(0);
        }
        return false;
    }

private:
    QWidget& m_window;
    const QElapsedTimer& m_sinceMain;
};

}  // namespace

int main(int argc, char** argv) {
    QElapsedTimer sinceMain;
    sinceMain.start();
    QApplication app(argc, argv);
    auto* window = new cvx::frmMain();
    ShownWatch watch(*window, sinceMain);
    app.installEventFilter(&watch);
    window->show();
    return QApplication::exec();
}
