#include <QApplication>
#include <QCheckBox>
#include <QDropEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include "WindowTestSupport.h"
#include "support/TempDir.h"
#include "ui/frmMain.h"

using namespace cvx;
using namespace cvx::test;

namespace {

// Splits the worked example into `dir` with a window of its own.
void prepareSet(const TempDir& dir) {
    const Bytes model = makeModel(kWorkedExample);
    writeFile(dir / "robot.p", model);
    frmMain splitter([](QWidget*, const FileDialogRequest&) { return QString(); }, [](int) {});
    splitter.findChild<QLineEdit*>("txtSourceFile")
        ->setText(QString::fromStdString(dir.text("robot.p")));
    QTest::mouseClick(splitter.findChild<QPushButton*>("cmdDisassemble"), Qt::LeftButton);
}

}  // namespace

class tst_frmMain : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void controls_data();
    void controls();
    void windowFrame();
    void captionsFitLargerFont();
    void tabOrder();
    void fileDialogs_data();
    void fileDialogs();
    void dropFile();
    void splitAndJoin_data();
    void splitAndJoin();
    void errorMessage();
    void lengthMismatchEndsProgram();
    void quit_data();
    void quit();

private:
    frmMain& window() const {
        frmMain* window = m_window.data();
        if (window == nullptr) {
            qFatal("the main window is gone");
        }
        return *window;
    }
    template <typename T = QPushButton>
    T* control(const char* name) const {
        return window().findChild<T*>(name);
    }
    void setText(const char* field, const std::string& text) {
        control<QLineEdit>(field)->setText(QString::fromStdString(text));
    }
    std::vector<bool> buttonStates() const {
        return {control("cmdDisassemble")->isEnabled(), control("cmdAssemble")->isEnabled()};
    }

    QFont m_font = QApplication::font();
    ChooserScript m_chooser;
    std::vector<int> m_endings;
    QPointer<frmMain> m_window;
};

void tst_frmMain::init() {
    m_chooser = ChooserScript();
    m_endings.clear();
    m_window =
        new frmMain(m_chooser.chooser(), [this](int status) { m_endings.push_back(status); });
}

void tst_frmMain::cleanup() {
    delete m_window;
    QApplication::setFont(m_font);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(QApplication::topLevelWidgets().isEmpty());  // no window or box outlives its test
}

void tst_frmMain::controls_data() {
    QTest::addColumn<QString>("container");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<int>("state");  // 0 unchecked, 1 checked, 2 disabled, 3 neither

    auto row = [](const char* name, const char* in, const char* caption, QRect twips, int state) {
        QTest::newRow(name) << in << caption << twips << state;
    };
    row("framDis", "frmMain", "Disassemlber", {0, 0, 5415, 1815}, 3);
    row("framSource", "framDis", "Source File", {120, 240, 5175, 615}, 3);
    row("txtSourceFile", "framSource", "*.p", {120, 240, 4455, 285}, 3);
    row("cmdSourceFile", "framSource", "...", {4680, 240, 375, 255}, 3);
    row("framSettings", "framDis", "Settings", {120, 840, 5175, 855}, 3);
    row("chkFolder", "framSettings", "create own Folder", {120, 240, 1575, 255}, 0);
    row("chkASM", "framSettings", "create *.ams File", {1800, 240, 1575, 255}, 1);
    row("chkBIN", "framSettings", "create *.bin Files", {3480, 240, 1575, 255}, 1);
    row("chkTXT", "framSettings", "create *.txt Files", {120, 480, 1575, 255}, 2);
    row("chkGeneral", "framSettings", "create General.txt", {1800, 480, 1575, 255}, 2);
    row("Label1", "framSettings", "2026 Cindervaxel team", {3480, 520, 1575, 255}, 2);
    row("framAss", "frmMain", "Assembler", {0, 1800, 5415, 1575}, 3);
    row("framSourceASM", "framAss", "Source File", {120, 240, 5175, 615}, 3);
    row("txtSourceASM", "framSourceASM", "*.asm", {120, 240, 4455, 285}, 3);
    row("cmdSourceASM", "framSourceASM", "...", {4680, 240, 375, 255}, 3);
    row("framDest", "framAss", "Destination File", {120, 840, 5175, 615}, 3);
    row("txtDestP", "framDest", "*.p", {120, 240, 4455, 285}, 3);
    row("cmdDestP", "framDest", "...", {4680, 240, 375, 255}, 3);
    row("cmdDisassemble", "frmMain", "Disassemble!", {120, 3480, 1335, 375}, 3);
    row("cmdAssemble", "frmMain", "Assemble!", {1560, 3480, 1335, 375}, 3);
    row("cmdAbout", "frmMain", "About", {3000, 3480, 1215, 375}, 3);
    row("cmdQuit", "frmMain", "Quit", {4320, 3480, 1095, 375}, 3);
}

void tst_frmMain::controls() {
    QFETCH(QString, container);
    QFETCH(QString, caption);
    QFETCH(QRect, twips);
    QFETCH(int, state);
    QWidget* widget = control<QWidget>(QTest::currentDataTag());
    QVERIFY(widget);
    QCOMPARE(widget->parentWidget()->objectName(), container);
    auto* frame = qobject_cast<QGroupBox*>(widget);
    QCOMPARE(frame ? frame->title() : widget->property("text").toString(), caption);
    QCOMPARE(widget->isEnabled(), state != 2);
    if (auto* box = qobject_cast<QCheckBox*>(widget)) {
        QCOMPARE(box->isChecked(), state == 1);
    }
    QVERIFY(!widget->testAttribute(Qt::WA_SetFont));
    // Every edge at one scale, rounded to the nearest pixel.
    const double t = window().twipScale().twipsPerPixel();
    auto px = [t](int twip) { return qRound(twip / t); };
    QCOMPARE(widget->geometry(),
             QRect(QPoint(px(twips.left()), px(twips.top())),
                   QPoint(px(twips.right() + 1) - 1, px(twips.bottom() + 1) - 1)));
}

void tst_frmMain::windowFrame() {
    const int t = window().twipScale().twipsPerPixel();
    QVERIFY(t <= 15);
    const QSize client(qRound(5445.0 / t), qRound(3870.0 / t));
    QCOMPARE(window().minimumSize(), client);
    QCOMPARE(window().maximumSize(), client);
    QVERIFY(window().windowTitle().startsWith("Cindervaxel V1.0 - "));
    const Qt::WindowFlags flags = window().windowFlags();
    QVERIFY(flags & Qt::WindowMinimizeButtonHint && !(flags & Qt::WindowMaximizeButtonHint));
    QCOMPARE(control<QLabel>("Label1")->alignment(), Qt::AlignCenter);
    QVERIFY(!control("cmdQuit")->isDefault());
}

// The scale follows the default font, so a larger font still shows every caption whole.
void tst_frmMain::captionsFitLargerFont() {
    const int defaultScale = window().twipScale().twipsPerPixel();
    QFont font = m_font;
    font.setPointSize(m_font.pointSize() * 2);
    QApplication::setFont(font);
    delete m_window;
    m_window = new frmMain(m_chooser.chooser(), [](int) {});
    QVERIFY(window().twipScale().twipsPerPixel() < defaultScale);
    for (QWidget* widget : window().findChildren<QWidget*>()) {
        const int textWidth =
            widget->fontMetrics().horizontalAdvance(widget->property("text").toString());
        QVERIFY2(textWidth < widget->width(), qPrintable(widget->objectName()));
        if (qobject_cast<QCheckBox*>(widget) != nullptr) {
            QVERIFY2(widget->sizeHint().width() <= widget->width(),
                     qPrintable(widget->objectName()));
        }
    }
}

void tst_frmMain::tabOrder() {
    window().show();
    QVERIFY(QTest::qWaitForWindowActive(&window()));
    const QStringList expected = {"chkFolder",     "chkBIN",         "chkASM",      "txtSourceFile",
                                  "cmdSourceFile", "cmdDestP",       "txtDestP",    "cmdSourceASM",
                                  "txtSourceASM",  "cmdDisassemble", "cmdAssemble", "cmdAbout",
                                  "cmdQuit",       "chkFolder"};
    QStringList visited = {QApplication::focusWidget()->objectName()};
    while (visited.size() < expected.size()) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, expected);
}

void tst_frmMain::fileDialogs_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("save");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("filter");
    QTest::newRow("cmdSourceFile")
        << "txtSourceFile" << false << "Select Vexmoor .p File to disassemble..."
        << "Vexmoor .p Files (*.p*);;All Files (*.*)";
    QTest::newRow("cmdSourceASM") << "txtSourceASM" << false
                                  << "Select Cindervaxel ASM File to assemble..."
                                  << "Cindervaxel ASM (*.asm);;All Files (*.*)";
    QTest::newRow("cmdDestP") << "txtDestP" << true << "Select Vexmoor .p File to assemble to..."
                              << "Vexmoor .p Files (*.p*);;All Files (*.*)";
}

void tst_frmMain::fileDialogs() {
    QFETCH(QString, field);
    QFETCH(bool, save);
    QFETCH(QString, title);
    QFETCH(QString, filter);
    auto* text = control<QLineEdit>(qPrintable(field));
    QPushButton* button = control(QTest::currentDataTag());
    text->setText("typed by hand");
    QTest::mouseClick(button, Qt::LeftButton);  // cancelled
    QCOMPARE(text->text(), QString("typed by hand"));
    m_chooser.results = {"/models/robot 2.p"};
    button->setFocus();
    QTest::keyClick(button, Qt::Key_Return);  // a focused button takes Return, as Space
    QCOMPARE(text->text(), QString("/models/robot 2.p"));
    QTest::keyClick(button, Qt::Key_Space);  // cancelled
    QCOMPARE(text->text(), QString("/models/robot 2.p"));

    QCOMPARE(m_chooser.requests.size(), 3u);
    for (const FileDialogRequest& request : m_chooser.requests) {
        QCOMPARE(request.kind == FileDialogRequest::Kind::Save, save);
        QCOMPARE(request.title, title);
        QCOMPARE(request.filter, filter);
    }
}

void tst_frmMain::dropFile() {
    TempDir dir;
    writeFile(dir / "robot.p", Bytes(4));
    // As from a file manager: the drag enters the field, then drops there.
    auto drop = [](QLineEdit* field, const QList<QUrl>& urls) {
        QMimeData mime;
        mime.setUrls(urls);
        const QPoint at = field->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(field, &enter);
        QDropEvent release(at, Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(field, &release);
    };
    const QUrl file = QUrl::fromLocalFile(QString::fromStdString(dir.text("robot.p")));
    for (const char* name : {"txtSourceFile", "txtSourceASM", "txtDestP"}) {
        drop(control<QLineEdit>(name), {file});
        QCOMPARE(control<QLineEdit>(name)->text(), file.toLocalFile());
    }
    // A folder, two files or a remote file are no file path to take.
    auto* field = control<QLineEdit>("txtDestP");
    drop(field, {QUrl::fromLocalFile(QString::fromStdString(dir.path().string()))});
    drop(field, {file, file});
    drop(field, {QUrl("https://example.org/robot.p")});
    QCOMPARE(field->text(), file.toLocalFile());
}

void tst_frmMain::splitAndJoin_data() {
    QTest::addColumn<bool>("checkLengths");
    QTest::newRow("lengths checked") << true;
    QTest::newRow("lengths not checked") << false;
}

void tst_frmMain::splitAndJoin() {
    QFETCH(bool, checkLengths);
    TempDir dir;
    const Bytes model = makeModel(kWorkedExample);
    writeFile(dir / "robot.p", model);
    setText("txtSourceFile", dir.text("robot.p"));
    control<QCheckBox>("chkFolder")->setChecked(true);
    control<QCheckBox>("chkASM")->setChecked(false);  // changes nothing
    {
        MessageBoxScript none;
        QTest::mouseClick(control("cmdDisassemble"), Qt::LeftButton);
        QCOMPARE(none.seen.size(), 0u);
    }
    QCOMPARE(listNames(dir / "robot").size(), 11u);
    QCOMPARE(readFile(dir / "robot" / "header.bin"), slice(model, 0, 128));

    setText("txtSourceASM", (dir / "robot" / "robot.asm").string());
    setText("txtDestP", dir.text("joined.p"));
    MessageBoxScript script({checkLengths ? QMessageBox::Yes : QMessageBox::No},
                            [this] { return buttonStates(); });
    QTest::mouseClick(control("cmdAssemble"), Qt::LeftButton);
    QCOMPARE(script.seen.size(), 1u);
    const SeenBox& box = script.seen.front();
    QCOMPARE(box.title, QString("File Lengths"));
    QCOMPARE(
        box.text,
        QString("Should Cindervaxel check, if the Filelengths are correct?\nRecommended: Yes"));
    QCOMPARE(box.icon, QMessageBox::Question);
    QCOMPARE(box.buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(box.defaultButton, QMessageBox::Yes);
    QCOMPARE(box.state, (std::vector<bool>{true, false}));  // "Assemble!" greyed while it runs
    QCOMPARE(buttonStates(), (std::vector<bool>{true, true}));
    QCOMPARE(readFile(dir / "joined.p"), model);
}

void tst_frmMain::errorMessage() {
    TempDir dir;
    writeFile(dir / "short.p", Bytes(100));
    setText("txtSourceFile", dir.text("short.p"));
    MessageBoxScript script({QMessageBox::Ok}, [this] { return buttonStates(); });
    QTest::mouseClick(control("cmdDisassemble"), Qt::LeftButton);
    QCOMPARE(script.seen.size(), 1u);
    const SeenBox& box = script.seen.front();
    QCOMPARE(box.title, QString("Error"));
    QCOMPARE(box.text, QString("An unkown Error has occured!\nError Code: 62"));
    QCOMPARE(box.icon, QMessageBox::Critical);
    QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(box.state, (std::vector<bool>{false, true}));
    QCOMPARE(buttonStates(), (std::vector<bool>{true, true}));
}

void tst_frmMain::lengthMismatchEndsProgram() {
    TempDir dir;
    prepareSet(dir);
    writeFile(dir / "poly.bin", Bytes(3));
    setText("txtSourceASM", dir.text("robot.asm"));
    setText("txtDestP", dir.text("joined.p"));
    window().show();
    MessageBoxScript script({QMessageBox::Yes, QMessageBox::Ok});
    QTest::mouseClick(control("cmdAssemble"), Qt::LeftButton);
    QCOMPARE(script.seen.size(), 2u);
    QCOMPARE(script.seen[1].text, QString("The Filelength of 'poly.bin' does not match!"));
    QCOMPARE(m_endings, std::vector<int>{3});
    QVERIFY(!window().isVisible());
    QCOMPARE(listNames(dir.path()).size(), 12u);  // no destination, no temporary file
}

void tst_frmMain::quit_data() {
    QTest::addColumn<bool>("closeBox");
    QTest::newRow("Quit") << false;
    QTest::newRow("close box") << true;
}

// The window goes without a question, and with it the program's event loop.
void tst_frmMain::quit() {
    QFETCH(bool, closeBox);
    window().show();
    MessageBoxScript none;
    QTimer::singleShot(0, m_window, [&] {
        closeBox ? void(window().close()) : QTest::mouseClick(control("cmdQuit"), Qt::LeftButton);
    });
    QTimer giveUp;
    giveUp.callOnTimeout([] { QCoreApplication::exit(1); });
    giveUp.start(10000);
    QCOMPARE(QApplication::exec(), 0);
    QCOMPARE(none.seen.size(), 0u);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(m_window.isNull());
}

QTEST_MAIN(tst_frmMain)
#include "tst_frmMain.moc"
