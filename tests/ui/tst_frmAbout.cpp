#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
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
    void window();
    void controls_data();
    void controls();
    void textsAgainAfterReopening();
    void singleAndModeless();
    void keepsProgramRunning();

private:
    frmMain& mainWindow() const {
        frmMain* window = m_main.data();
        if (window == nullptr) {
            qFatal("the main window is gone");
        }
        return *window;
    }
    // Presses "About" and returns the one About window then shown, if there is exactly one.
    frmAbout* openAbout() {
        QTest::mouseClick(mainWindow().findChild<QPushButton*>("cmdAbout"), Qt::LeftButton);
        QList<frmAbout*> shown;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* about = qobject_cast<frmAbout*>(window); about && about->isVisible()) {
                shown << about;
            }
        }
        return shown.size() == 1 ? shown.front() : nullptr;
    }

    ChooserScript m_chooser;
    QPointer<frmMain> m_main;
};

void tst_frmAbout::init() {
    m_main = new frmMain(m_chooser.chooser(), [](int) {});
    mainWindow().show();
}

void tst_frmAbout::cleanup() {
    delete m_main;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        delete qobject_cast<frmAbout*>(window);
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
}

// The pictures live in a static library: dropped by the linker, they would load as 0 x 0.
void tst_frmAbout::window() {
    QCOMPARE(Pictures::programPicture().size(), QSize(64, 64));
    QVERIFY(Pictures::programPicture().hasAlpha());
    const QImage picture = Pictures::aboutBackground().toImage();
    QCOMPARE(picture.size(), QSize(254, 254));

    frmAbout* about = openAbout();
    QVERIFY(about);
    QCOMPARE(about->windowTitle(), QString("About Cindervaxel"));
    QVERIFY(about->windowFlags() & Qt::Tool);
    QCOMPARE(about->focusWidget(), about->findChild<QWidget*>("Command1"));
    QCOMPARE(about->windowIcon().availableSizes().value(0), QSize(64, 64));
    QCOMPARE(about->findChild<QLabel*>("Image1")->pixmap().size(), QSize(64, 64));
    // Unscaled at the top-left corner, black beside and below it.
    const QImage shown = about->grab().toImage();
    for (const QPoint at : {QPoint(0, 0), QPoint(60, 200), QPoint(200, 140), QPoint(253, 253)}) {
        QCOMPARE(shown.pixelColor(at), picture.pixelColor(at));
    }
    for (const QPoint at : {QPoint(254, 200), QPoint(10, 254), QPoint(shown.width() - 1, 180)}) {
        QCOMPARE(shown.pixelColor(at), QColor(Qt::black));
    }
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
    const TwipScale& scale = mainWindow().twipScale();  // the main window's scale
    QCOMPARE(about->maximumSize(), scale.toPixels(4290, 3795));
    QCOMPARE(about->minimumSize(), about->maximumSize());

    QWidget* widget = about->findChild<QWidget*>(QTest::currentDataTag());
    QVERIFY(widget);
    QCOMPARE(widget->geometry(),
             scale.toPixels({twips.x(), twips.y(), twips.width(), twips.height()}));
    QVERIFY(!widget->testAttribute(Qt::WA_SetFont));
    if (!caption.isEmpty()) {
        QCOMPARE(widget->property("text").toString(), caption);
    }
    auto* label = qobject_cast<QLabel*>(widget);
    if (label != nullptr) {
        QCOMPARE(int(label->alignment()), alignment);
    }
    if (label != nullptr && label->pixmap().isNull()) {
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(Qt::white));
        QVERIFY(!label->autoFillBackground());
        QVERIFY(label->sizeHint().width() <= label->width());  // the text shows whole
        QVERIFY(label->sizeHint().height() <= label->height());
    }
}

void tst_frmAbout::textsAgainAfterReopening() {
    QStringList texts;
    for (const auto key : {Qt::Key_Return, Qt::Key_Space}) {
        QPointer<frmAbout> about = openAbout();
        QVERIFY(about);
        const QString heading = about->findChild<QLabel*>("lblAbout")->text();
        const QString thanks = about->findChild<QLabel*>("lblThanx")->text();
        QCOMPARE(heading.split('\n').size(), 2);
        QCOMPARE(heading.split('\n').back(), QString("the Cindervaxel team"));
        QCOMPARE(thanks.split('\n').size(), 4);
        QVERIFY(thanks.endsWith("\nand many others"));
        texts << heading + thanks;
        QTest::keyClick(about->findChild<QPushButton*>("Command1"), key);  // "Okay" unloads it
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(about.isNull());
        QVERIFY(mainWindow().isVisible());
    }
    QCOMPARE(texts[1], texts[0]);
}

void tst_frmAbout::singleAndModeless() {
    QPointer<frmAbout> first = openAbout();
    QVERIFY(first);
    QVERIFY(first->parentWidget() == nullptr);
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    // The main window takes clicks meanwhile, and "About" shows the same window again.
    m_chooser.results = {"/models/robot.p"};
    QTest::mouseClick(mainWindow().findChild<QPushButton*>("cmdSourceFile"), Qt::LeftButton);
    QCOMPARE(mainWindow().findChild<QLineEdit*>("txtSourceFile")->text(),
             QString("/models/robot.p"));
    QCOMPARE(openAbout(), first.data());
    // Once closed, even before it is deleted, the next showing loads a new one.
    first->close();
    frmAbout* second = openAbout();
    QVERIFY(second != nullptr && second != first);
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
