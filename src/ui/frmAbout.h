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
    // Shows the About window laid out at `scale`, loading it when it is not open, and brings it
    // to the front. Returns at once.
    static frmAbout* display(const TwipScale& scale);

    // Lowers `scale` as far as the About window's texts need to show whole.
    static void fitTexts(TwipScale& scale);

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    explicit frmAbout(const TwipScale& scale);
    void Form_Load();

    static QPointer<frmAbout> s_open;

    QPixmap m_background;
    QLabel* lblAbout = nullptr;
    QLabel* lblThanx = nullptr;
};

}  // namespace cvx
