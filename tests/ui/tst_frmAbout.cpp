#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include "WindowTestSupport.h"
#include "ui/Pictures.h"
#include "ui/frmAbout.h"
#include "ui/frmMain.h"

using namespace cvx;
using namespace cvx::test;

class tst_frmAbout : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void pictures();
    void controls_data();
    void controls();
    void background();
    void textsAgainAfterReopening();
    void closing_data();
    void closing();
    void singleInstance();
    void modeless();
    void keepsProgramRunning();

private:
    // Presses "About" in the main window and returns the About window that is then open.
    frmAbout* openAbout();
    QList<frmAbout*> openAboutWindows() const;
    // The main window; a test that lost it has failed already.
    frmMain& mainWindow() const {
        frmMain* window = m_main.data();
        if (window == nullptr) {
            qFatal("the main window is gone");
        }
        return *window;
    }

    ChooserScript m_chooser;
    QPointer<frmMain> m_main;
};

void tst_frmAbout::init() {
    m_chooser = ChooserScript();
    m_main = new frmMain(m_chooser.chooser(), [](int) {});
    mainWindow().show();
    QVERIFY(QTest::qWaitForWindowExposed(&mainWindow()));
}

void tst_frmAbout::cleanup() {
    delete m_main;
    for (frmAbout* about : openAboutWindows()) {
        delete about;
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const QWidgetList left = QApplication::topLevelWidgets();
    QVERIFY2(left.isEmpty(), left.isEmpty() ? "" : qPrintable(left.front()->objectName()));
}

frmAbout* tst_frmAbout::openAbout() {
    QTest::mouseClick(mainWindow().findChild<QPushButton*>("cmdAbout"), Qt::LeftButton);
    QList<frmAbout*> shown = openAboutWindows();
    shown.removeIf([](const frmAbout* about) { return !about->isVisible(); });
    return shown.size() == 1 ? shown.front() : nullptr;
}

QList<frmAbout*> tst_frmAbout::openAboutWindows() const {
    QList<frmAbout*> found;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* about = qobject_cast<frmAbout*>(window)) {
            found << about;
        }
    }
    return found;
}

// The pictures are compiled into a static library; if the linker dropped them they would load
// as empty pixmaps without any error.
void tst_frmAbout::pictures() {
    QCOMPARE(Pictures::aboutBackground().size(), QSize(254, 254));
    QCOMPARE(Pictures::programPicture().size(), QSize(64, 64));
    QVERIFY(Pictures::programPicture().hasAlpha());
    frmAbout* about = openAbout();
    QVERIFY(about);
    QCOMPARE(about->windowIcon().availableSizes().value(0), QSize(64, 64));
    QCOMPARE(about->findChild<QLabel*>("Image1")->pixmap().size(), QSize(64, 64));
}

void tst_frmAbout::controls_data() {
    QTest::addColumn<QString>("caption");  // empty: filled when the window loads
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<int>("alignment");

    const int left = Qt::AlignLeft | Qt::AlignTop;
    const int right = Qt::AlignRight | Qt::AlignTop;
    QTest::newRow("lblAbout") << "" << QRect(120, 0, 4095, 375)
                              << int(Qt::AlignHCenter | Qt::AlignTop);
    QTest::newRow("Label1") << "written by:" << QRect(0, 480, 735, 255) << left;
    QTest::newRow("Label2") << "the team" << QRect(3360, 480, 855, 255) << right;
    QTest::newRow("Label3") << "Special Thanx:" << QRect(0, 840, 1095, 255) << left;
    QTest::newRow("lblThanx") << "" << QRect(2880, 840, 1335, 1095) << right;
    QTest::newRow("Image1") << "" << QRect(3120, 2400, 960, 960) << left;
    QTest::newRow("Command1") << "Okay" << QRect(3120, 3360, 1095, 375) << 0;
}

void tst_frmAbout::controls() {
    QFETCH(QString, caption);
    QFETCH(QRect, twips);
    QFETCH(int, alignment);
    frmAbout* about = openAbout();
    QVERIFY(about);
    QCOMPARE(about->windowTitle(), QString("About Cindervaxel"));
    QVERIFY(about->windowFlags().testFlag(Qt::Tool));
    QVERIFY(!about->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!about->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    // The same scale as the main window.
    const TwipScale& scale = mainWindow().twipScale();
    QCOMPARE(about->minimumSize(), scale.toPixels(4290, 3795));
    QCOMPARE(about->maximumSize(), scale.toPixels(4290, 3795));
    const QPoint screenCentre = about->screen()->availableGeometry().center();
    QVERIFY((about->geometry().center() - screenCentre).manhattanLength() <= 2);
    QCOMPARE(about->focusWidget(), about->findChild<QWidget*>("Command1"));

    const QList<QWidget*> found = about->findChildren<QWidget*>(QTest::currentDataTag());
    QCOMPARE(found.size(), 1);
    QWidget* widget = found.front();
    QCOMPARE(widget->geometry(),
             scale.toPixels({twips.x(), twips.y(), twips.width(), twips.height()}));
    QVERIFY(!widget->testAttribute(Qt::WA_SetFont));
    auto* label = qobject_cast<QLabel*>(widget);
    if (label != nullptr && label->pixmap().isNull()) {
        if (!caption.isEmpty()) {
            QCOMPARE(label->text(), caption);
        }
        QCOMPARE(int(label->alignment()), alignment);
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(Qt::white));
        QVERIFY(!label->autoFillBackground());
        // The text shows whole.
        QVERIFY(label->sizeHint().width() <= label->width());
        QVERIFY(label->sizeHint().height() <= label->height());
    } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
        QCOMPARE(button->text(), caption);
    }
}

// The picture lies unscaled at the top-left corner; the black background shows to its right.
void tst_frmAbout::background() {
    frmAbout* about = openAbout();
    QVERIFY(about);
    const QImage shown = about->grab().toImage();
    const QImage picture = Pictures::aboutBackground().toImage();
    for (const QPoint at : {QPoint(0, 0), QPoint(60, 200), QPoint(253, 253), QPoint(200, 140)}) {
        QCOMPARE(shown.pixelColor(at), picture.pixelColor(at));
    }
    QCOMPARE(shown.pixelColor(254, 200), QColor(Qt::black));
    QCOMPARE(shown.pixelColor(10, 254), QColor(Qt::black));
    QCOMPARE(shown.pixelColor(shown.width() - 1, 180), QColor(Qt::black));
}

void tst_frmAbout::textsAgainAfterReopening() {
    QStringList texts;
    for (int showing = 0; showing < 2; ++showing) {
        QPointer<frmAbout> about = openAbout();
        QVERIFY(about);
        const QString heading = about->findChild<QLabel*>("lblAbout")->text();
        const QString thanks = about->findChild<QLabel*>("lblThanx")->text();
        // The makers stand on the heading's second line; four lines of thanks, the last one
        // "and many others", with no break after it.
        QCOMPARE(heading.split('\n').size(), 2);
        QCOMPARE(heading.split('\n').back(), QString("the Cindervaxel team"));
        QCOMPARE(thanks.split('\n').size(), 4);
        QCOMPARE(thanks.split('\n').back(), QString("and many others"));
        texts << heading << thanks;
        QTest::mouseClick(about->findChild<QPushButton*>("Command1"), Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(about.isNull());
    }
    QCOMPARE(texts[2], texts[0]);
    QCOMPARE(texts[3], texts[1]);
}

void tst_frmAbout::closing_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("Okay clicked") << "click";
    QTest::newRow("Return on Okay") << "return";
    QTest::newRow("Space on Okay") << "space";
    QTest::newRow("close box") << "close";
}

void tst_frmAbout::closing() {
    QFETCH(QString, how);
    QPointer<frmAbout> about = openAbout();
    QVERIFY(about);
    auto* okay = about->findChild<QPushButton*>("Command1");
    if (how == "click") {
        QTest::mouseClick(okay, Qt::LeftButton);
    } else if (how == "return") {
        QTest::keyClick(okay, Qt::Key_Return);
    } else if (how == "space") {
        QTest::keyClick(okay, Qt::Key_Space);
    } else {
        about->close();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(about.isNull());
    // Only the About window went.
    QVERIFY(mainWindow().isVisible());
}

void tst_frmAbout::singleInstance() {
    QPointer<frmAbout> first = openAbout();
    QVERIFY(first);
    mainWindow().activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&mainWindow()));
    QCOMPARE(openAbout(), first.data());
    QVERIFY(QTest::qWaitForWindowActive(first));

    // A window that is closing is not shown again: the next showing loads a new one.
    first->close();
    QPointer<frmAbout> second = openAbout();
    QVERIFY(second);
    QVERIFY(second != first);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(first.isNull());
    QVERIFY(!second.isNull());
}

void tst_frmAbout::modeless() {
    QVERIFY(openAbout());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QVERIFY(openAboutWindows().front()->parentWidget() == nullptr);
    // The main window still takes clicks.
    m_chooser.result("/models/robot.p");
    QTest::mouseClick(mainWindow().findChild<QPushButton*>("cmdSourceFile"), Qt::LeftButton);
    QCOMPARE(mainWindow().findChild<QLineEdit*>("txtSourceFile")->text(),
             QString("/models/robot.p"));
}

// Quit while About is open closes the main window only; the program's event loop ends when the
// About window is closed as well.
void tst_frmAbout::keepsProgramRunning() {
    QPointer<frmAbout> about = openAbout();
    QVERIFY(about);
    bool runningWithAboutOnly = false;
    QTimer::singleShot(0, m_main, [this] {
        QTest::mouseClick(mainWindow().findChild<QPushButton*>("cmdQuit"), Qt::LeftButton);
    });
    QTimer::singleShot(200, about, [&] {
        frmAbout* shown = about.data();
        runningWithAboutOnly = m_main.isNull() && shown != nullptr && shown->isVisible();
        if (shown != nullptr) {
            shown->close();
        }
    });
    QTimer giveUp;
    giveUp.callOnTimeout([] { QCoreApplication::exit(1); });
    giveUp.start(10000);
    QCOMPARE(QApplication::exec(), 0);
    QVERIFY(runningWithAboutOnly);
}

QTEST_MAIN(tst_frmAbout)
#include "tst_frmAbout.moc"
