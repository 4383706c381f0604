#pragma once

#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include "TwipScale.h"

class QLabel;

namespace cvx {

// The About window: who made the program and whom it thanks. It is shown modeless and without an
// owner, there is never more than one, and while it is open it keeps the program running.
class frmAbout final : public QWidget {
    Q_OBJECT

public:
    // Shows the About window, loading it when it is not open, and brings it to the front. It is
    // laid out at `scale`, lowered as far as `fitTexts` asks at the font of the moment. Returns
    // at once.
    static frmAbout* display(const TwipScale& scale);

    // Lowers `scale` as far as the About window's texts need to show whole, and the controls
    // beside the background picture need to stay off it.
    static void fitTexts(TwipScale& scale);

    // Tells the About window, if one is open, that the main window is gone and it is all that is
    // left of the program. On Windows it then becomes an ordinary window, which unlike a tool
    // window has a task-bar button, so that the user can find it again; elsewhere nothing changes.
    static void mainWindowGone();

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    explicit frmAbout(const TwipScale& scale);
    void Form_Load();

    static QPointer<frmAbout> s_open;

    QPixmap m_background;
    QLabel* lblAbout = nullptr;
    QLabel* lblThanx = nullptr;
};

}  // namespace cvx
