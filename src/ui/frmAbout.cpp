#include "frmAbout.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QOperatingSystemVersion>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <algorithm>
#include <string>

#include "Pictures.h"
#include "UiText.h"

namespace cvx {
namespace {

constexpr int kClientWidthTwips = 4290;
constexpr int kClientHeightTwips = 3795;

enum class Kind { Label, Picture, Button };

struct ControlRow {
    Kind kind;
    const char* name;
    const char* caption;  // nullptr: filled when the window loads
    TwipRect twips;
    Qt::Alignment alignment;
    bool onBackground;  // may stand on the background picture
};

constexpr Qt::Alignment kLeft = Qt::AlignLeft | Qt::AlignTop;
constexpr Qt::Alignment kCentre = Qt::AlignHCenter | Qt::AlignTop;
constexpr Qt::Alignment kRight = Qt::AlignRight | Qt::AlignTop;

// All controls sit directly on the window. The right-hand column ends 4215 twips from the left.
// The heading and the left column stand on the background picture; the right column, the picture
// and the button beside it. "Okay" is the only control that takes the focus.
const ControlRow kControls[] = {
    {Kind::Label, "lblAbout", nullptr, {120, 0, 4095, 375}, kCentre, true},
    {Kind::Label, "Label1", "written by:", {0, 480, 735, 255}, kLeft, true},
    {Kind::Label, "Label2", "the team", {3360, 480, 855, 255}, kRight, false},
    {Kind::Label, "Label3", "Special Thanx:", {0, 840, 1095, 255}, kLeft, true},
    {Kind::Label, "lblThanx", nullptr, {2880, 840, 1335, 1095}, kRight, false},
    {Kind::Picture, "Image1", nullptr, {3120, 2400, 960, 960}, kLeft, false},
    {Kind::Button, "Command1", "Okay", {3120, 3360, 1095, 375}, {}, false},
};

// The heading names the program and, on its second line, its makers.
const char* const kAboutText = "Cindervaxel V1.0 was made by\r\nthe Cindervaxel team";

// What the program is built on and whom it serves.
const char* const kThanks[] = {"the Qt toolkit", "GoogleTest", "our model testers",
                               "and many others"};

// Windows gives a tool window no task-bar button: one left open after Quit would be lost behind
// other programs' windows.
bool taskBarButtonWhenAlone() {
    return QOperatingSystemVersion::currentType() == QOperatingSystemVersion::Windows;
}

}  // namespace

QPointer<frmAbout> frmAbout::s_open;

frmAbout* frmAbout::display(const TwipScale& scale) {
    if (s_open.isNull()) {
        // `scale` was fitted when the main window was made; the font may have grown since.
        TwipScale fitted = scale;
        fitTexts(fitted);
        s_open = new frmAbout(fitted);
    }
    s_open->show();
    s_open->raise();
    s_open->activateWindow();
    return s_open;
}

void frmAbout::mainWindowGone() {
    frmAbout* about = s_open.data();
    if (!taskBarButtonWhenAlone() || about == nullptr) {
        return;
    }
    // New flags hide the window; it comes back where it was. WA_QuitOnClose stays set.
    const bool shown = about->isVisible();
    about->setWindowFlags((about->windowFlags() & ~Qt::WindowType_Mask) | Qt::Window);
    about->setVisible(shown);
}

void frmAbout::fitTexts(TwipScale& scale) {
    const frmAbout probe{TwipScale()};
    // Drawn unscaled, the background picture reaches further into a layout drawn small.
    const QSize background = probe.m_background.deviceIndependentSize().toSize();
    for (const ControlRow& row : kControls) {
        const auto* control = probe.findChild<QWidget*>(QString::fromUtf8(row.name));
        scale.fit(*control, QSize(row.twips.width, row.twips.height));
        if (!row.onBackground) {
            // The largest scale at which the control begins a pixel right of the picture.
            const int clear = row.twips.left / (background.width() + 1);
            scale = TwipScale(std::min(scale.twipsPerPixel(), clear));
        }
    }
}

void frmAbout::keyPressEvent(QKeyEvent* event) {
    // Escape closes the window, as its close box does.
    if (event->matches(QKeySequence::Cancel)) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

frmAbout::frmAbout(const TwipScale& scale) : m_background(Pictures::aboutBackground()) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Cindervaxel"));
    setWindowIcon(Pictures::programIcon());
    // A fixed tool window: small title bar with a close box, no task-bar entry. Qt lets no
    // parentless tool window keep the program running; this one must, so the attribute is set
    // again after the flags that clear it.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setAttribute(Qt::WA_QuitOnClose, true);
    setAttribute(Qt::WA_DeleteOnClose);

    // Black behind the picture; the labels draw white on whatever shows through.
    QPalette windowPalette = palette();
    windowPalette.setColor(QPalette::Window, Qt::black);
    setPalette(windowPalette);
    setAutoFillBackground(true);

    for (const ControlRow& row : kControls) {
        const QString caption = row.caption ? QString::fromUtf8(row.caption) : QString();
        QWidget* control = nullptr;
        switch (row.kind) {
            case Kind::Label: {
                auto* label = new QLabel(caption, this);
                QPalette white = label->palette();
                white.setColor(QPalette::WindowText, Qt::white);
                label->setPalette(white);
                label->setAlignment(row.alignment);
                control = label;
                break;
            }
            case Kind::Picture: {
                auto* picture = new QLabel(this);
                picture->setPixmap(Pictures::programPicture());
                picture->setAlignment(row.alignment);
                control = picture;
                break;
            }
            case Kind::Button: {
                auto* button = new QPushButton(caption, this);
                // Return presses it when it has the focus, as Space does.
                button->setAutoDefault(true);
                connect(button, &QPushButton::clicked, this, &QWidget::close);
                control = button;
                break;
            }
        }
        control->setObjectName(QString::fromUtf8(row.name));
        control->setGeometry(scale.toPixels(row.twips));
    }
    lblAbout = findChild<QLabel*>(QStringLiteral("lblAbout"));
    lblThanx = findChild<QLabel*>(QStringLiteral("lblThanx"));

    findChild<QPushButton*>(QStringLiteral("Command1"))->setFocus();

    setFixedSize(scale.toPixels(kClientWidthTwips, kClientHeightTwips));
    const QRect screenArea = screen()->availableGeometry();
    setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(), screenArea));

    Form_Load();
}

void frmAbout::Form_Load() {
    lblAbout->setText(UiText::display(kAboutText));
    std::string thanks;
    for (const char* line : kThanks) {
        thanks += thanks.empty() ? line : std::string("\r\n") + line;
    }
    lblThanx->setText(UiText::display(thanks));
}

void frmAbout::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    // Unscaled at the top-left corner; the black background shows along the right edge.
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_background);
}

void frmAbout::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    // The window is on its way out; the next "About" loads a new one.
    if (event->isAccepted() && s_open == this) {
        s_open = nullptr;
    }
}

}  // namespace cvx
