#include <QApplication>
#include <QCheckBox>
#include <QDropEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QStyleOptionButton>
#include <QTest>
#include <cstring>
#include <filesystem>

#include "WindowTestSupport.h"
#include "support/TempDir.h"
#include "ui/frmMain.h"

using namespace cvx;
using namespace cvx::test;

namespace {

// The model used for real runs; it has a value3 section, so all ten section files are written.
Bytes testModel() {
    return makeModel(kWorkedExample);
}

const char* const kSectionFiles[] = {"header.bin", "additional.bin", "value3.bin",   "color.bin",
                                     "edges.bin",  "poly.bin",       "hundrets.bin", "fiftysix.bin",
                                     "bbox.bin",   "unknown.bin"};

// Edges round to the nearest pixel, as the window's layout must.
QRect expectedRect(const QRect& twips, int twipsPerPixel) {
    auto px = [twipsPerPixel](int t) { return qRound(double(t) / twipsPerPixel); };
    return QRect(
        QPoint(px(twips.left()), px(twips.top())),
        QPoint(px(twips.left() + twips.width()) - 1, px(twips.top() + twips.height()) - 1));
}

// Splits `model` with the window into `dir` (no own folder) and returns the index file's path.
std::string prepareSet(const TempDir& dir, const Bytes& model) {
    const std::string source = dir.text("robot.p");
    if (!writeBytes(source, model)) {
        return {};
    }
    frmMain splitter([](QWidget*, const FileDialogRequest&) { return QString(); }, [](int) {});
    splitter.findChild<QLineEdit*>("txtSourceFile")->setText(QString::fromStdString(source));
    MessageBoxScript none;
    QTest::mouseClick(splitter.findChild<QPushButton*>("cmdDisassemble"), Qt::LeftButton);
    return none.seen.empty() ? dir.text("robot.asm") : std::string();
}

}  // namespace

class tst_frmMain : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void controls_data();
    void controls();
    void windowFrame();
    void captionsFit_data();
    void captionsFit();
    void tabOrder();
    void keyboard();
    void fileDialogs_data();
    void fileDialogs();
    void dropFile_data();
    void dropFile();
    void splitAndJoin_data();
    void splitAndJoin();
    void operationMessages_data();
    void operationMessages();
    void lengthMismatchEndsProgram();
    void endingEndsTheProcess();
    void quit_data();
    void quit();

private:
    // The window under test; a test that lost it has failed already.
    frmMain& window() const {
        frmMain* window = m_window.data();
        if (window == nullptr) {
            qFatal("the main window is gone");
        }
        return *window;
    }
    template <typename T = QWidget>
    T* control(const char* name) const {
        return window().findChild<T*>(QString::fromLatin1(name));
    }
    void click(const char* name) { QTest::mouseClick(control<QPushButton>(name), Qt::LeftButton); }
    std::vector<bool> buttonStates() const {
        return {control("cmdDisassemble")->isEnabled(), control("cmdAssemble")->isEnabled()};
    }

    QFont m_defaultFont;
    ChooserScript m_chooser;
    std::vector<int> m_endings;
    QPointer<frmMain> m_window;
};

void tst_frmMain::initTestCase() {
    m_defaultFont = QApplication::font();
}

void tst_frmMain::init() {
    m_chooser = ChooserScript();
    m_endings.clear();
    m_window =
        new frmMain(m_chooser.chooser(), [this](int status) { m_endings.push_back(status); });
}

void tst_frmMain::cleanup() {
    delete m_window;
    QApplication::setFont(m_defaultFont);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    // No window, message box or About window may outlive its test.
    const QWidgetList left = QApplication::topLevelWidgets();
    QVERIFY2(left.isEmpty(), left.isEmpty() ? "" : qPrintable(left.front()->objectName()));
}

void tst_frmMain::controls_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("checked");  // -1: not a check box

    auto row = [](const char* name, const char* kind, const char* container, const char* caption,
                  QRect twips, bool enabled = true, int checked = -1) {
        QTest::newRow(name) << kind << container << caption << twips << enabled << checked;
    };
    row("framDis", "QGroupBox", "frmMain", "Disassemlber", {0, 0, 5415, 1815});
    row("framSource", "QGroupBox", "framDis", "Source File", {120, 240, 5175, 615});
    row("txtSourceFile", "QLineEdit", "framSource", "*.p", {120, 240, 4455, 285});
    row("cmdSourceFile", "QPushButton", "framSource", "...", {4680, 240, 375, 255});
    row("framSettings", "QGroupBox", "framDis", "Settings", {120, 840, 5175, 855});
    row("chkFolder", "QCheckBox", "framSettings", "create own Folder", {120, 240, 1575, 255}, true,
        0);
    row("chkASM", "QCheckBox", "framSettings", "create *.ams File", {1800, 240, 1575, 255}, true,
        1);
    row("chkBIN", "QCheckBox", "framSettings", "create *.bin Files", {3480, 240, 1575, 255}, true,
        1);
    row("chkTXT", "QCheckBox", "framSettings", "create *.txt Files", {120, 480, 1575, 255}, false,
        0);
    row("chkGeneral", "QCheckBox", "framSettings", "create General.txt", {1800, 480, 1575, 255},
        false, 0);
    row("Label1", "QLabel", "framSettings", "2026 Cindervaxel team", {3480, 520, 1575, 255}, false);
    row("framAss", "QGroupBox", "frmMain", "Assembler", {0, 1800, 5415, 1575});
    row("framSourceASM", "QGroupBox", "framAss", "Source File", {120, 240, 5175, 615});
    row("txtSourceASM", "QLineEdit", "framSourceASM", "*.asm", {120, 240, 4455, 285});
    row("cmdSourceASM", "QPushButton", "framSourceASM", "...", {4680, 240, 375, 255});
    row("framDest", "QGroupBox", "framAss", "Destination File", {120, 840, 5175, 615});
    row("txtDestP", "QLineEdit", "framDest", "*.p", {120, 240, 4455, 285});
    row("cmdDestP", "QPushButton", "framDest", "...", {4680, 240, 375, 255});
    row("cmdDisassemble", "QPushButton", "frmMain", "Disassemble!", {120, 3480, 1335, 375});
    row("cmdAssemble", "QPushButton", "frmMain", "Assemble!", {1560, 3480, 1335, 375});
    row("cmdAbout", "QPushButton", "frmMain", "About", {3000, 3480, 1215, 375});
    row("cmdQuit", "QPushButton", "frmMain", "Quit", {4320, 3480, 1095, 375});
}

void tst_frmMain::controls() {
    QFETCH(QString, kind);
    QFETCH(QString, container);
    QFETCH(QString, caption);
    QFETCH(QRect, twips);
    QFETCH(bool, enabled);
    QFETCH(int, checked);

    const QList<QWidget*> found = window().findChildren<QWidget*>(QTest::currentDataTag());
    QCOMPARE(found.size(), 1);
    QWidget* widget = found.front();
    QCOMPARE(widget->metaObject()->className(), kind);
    QCOMPARE(widget->parentWidget()->objectName(), container);
    QString text = widget->property("text").toString();
    if (auto* frame = qobject_cast<QGroupBox*>(widget)) {
        text = frame->title();
    }
    QCOMPARE(text, caption);
    QCOMPARE(widget->isEnabled(), enabled);
    if (checked >= 0) {
        QCOMPARE(qobject_cast<QCheckBox*>(widget)->isChecked(), checked == 1);
    }
    // One scale for every position and size.
    QCOMPARE(widget->geometry(), expectedRect(twips, window().twipScale().twipsPerPixel()));
    QVERIFY(!widget->testAttribute(Qt::WA_SetFont));
    if (auto* button = qobject_cast<QPushButton*>(widget)) {
        QVERIFY(!button->isDefault());
    }
}

void tst_frmMain::windowFrame() {
    const int twipsPerPixel = window().twipScale().twipsPerPixel();
    const QSize client = expectedRect({0, 0, 5445, 3870}, twipsPerPixel).size();
    QCOMPARE(window().minimumSize(), client);
    QCOMPARE(window().maximumSize(), client);
    QVERIFY(window().windowTitle().startsWith("Cindervaxel V1.0 - "));
    QVERIFY(window().windowTitle().contains("Vexmoor .p"));
    const Qt::WindowFlags flags = window().windowFlags();
    QVERIFY(flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QCOMPARE(window().windowIcon().availableSizes().value(0), QSize(64, 64));
    const QPoint screenCentre = window().screen()->availableGeometry().center();
    QVERIFY((window().geometry().center() - screenCentre).manhattanLength() <= 2);
    QCOMPARE(control<QLabel>("Label1")->alignment(), Qt::AlignCenter);
}

void tst_frmMain::captionsFit_data() {
    QTest::addColumn<int>("pointSize");  // 0: the default font as it is
    QTest::newRow("default font") << 0;
    QTest::newRow("large font") << 16;
    QTest::newRow("small font") << 5;
}

void tst_frmMain::captionsFit() {
    QFETCH(int, pointSize);
    const int defaultTwipsPerPixel = window().twipScale().twipsPerPixel();
    if (pointSize > 0) {
        QFont font = m_defaultFont;
        font.setPointSize(pointSize);
        QApplication::setFont(font);
        delete m_window;
        m_window = new frmMain(m_chooser.chooser(), [](int) {});
    }
    const int twipsPerPixel = window().twipScale().twipsPerPixel();
    QVERIFY(twipsPerPixel <= 15);
    if (pointSize > m_defaultFont.pointSize()) {
        QVERIFY(twipsPerPixel < defaultTwipsPerPixel);
    } else if (pointSize > 0) {
        QVERIFY(twipsPerPixel >= defaultTwipsPerPixel);
    }

    for (QWidget* widget : window().findChildren<QWidget*>()) {
        const QString what = widget->objectName();
        if (auto* button = qobject_cast<QPushButton*>(widget)) {
            QStyleOptionButton option;
            option.initFrom(button);
            option.text = button->text();
            const QRect inside =
                button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
            QVERIFY2(button->fontMetrics().horizontalAdvance(button->text()) <= inside.width(),
                     qPrintable(what));
        } else if (qobject_cast<QCheckBox*>(widget) || qobject_cast<QLabel*>(widget)) {
            const QSize need = widget->sizeHint();
            QVERIFY2(need.width() <= widget->width() && need.height() <= widget->height(),
                     qPrintable(what));
        } else if (auto* field = qobject_cast<QLineEdit*>(widget)) {
            QVERIFY2(field->minimumSizeHint().height() <= field->height(), qPrintable(what));
        }
    }
}

void tst_frmMain::tabOrder() {
    window().show();
    QVERIFY(QTest::qWaitForWindowActive(&window()));
    QCOMPARE(QApplication::focusWidget(), control("chkFolder"));

    const QStringList expected = {"chkFolder",     "chkBIN",         "chkASM",      "txtSourceFile",
                                  "cmdSourceFile", "cmdDestP",       "txtDestP",    "cmdSourceASM",
                                  "txtSourceASM",  "cmdDisassemble", "cmdAssemble", "cmdAbout",
                                  "cmdQuit",       "chkFolder"};
    QStringList visited = {QApplication::focusWidget()->objectName()};
    for (int i = 1; i < expected.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, expected);
}

void tst_frmMain::keyboard() {
    // Space and Return press the focused button ...
    QPushButton* button = control<QPushButton>("cmdSourceFile");
    button->setFocus();
    QTest::keyClick(button, Qt::Key_Space);
    QTest::keyClick(button, Qt::Key_Return);
    QCOMPARE(m_chooser.requests.size(), 2u);

    // ... and Return in a text field presses none.
    std::vector<std::unique_ptr<QSignalSpy>> spies;
    for (QPushButton* any : window().findChildren<QPushButton*>()) {
        spies.push_back(std::make_unique<QSignalSpy>(any, &QPushButton::clicked));
    }
    window().show();
    QVERIFY(QTest::qWaitForWindowActive(&window()));
    for (const char* name : {"txtSourceFile", "txtSourceASM", "txtDestP"}) {
        control(name)->setFocus();
        QTest::keyClick(control(name), Qt::Key_Return);
    }
    for (const auto& spy : spies) {
        QCOMPARE(spy->count(), 0);
    }
    QVERIFY(window().isVisible());
}

void tst_frmMain::fileDialogs_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("save");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("filter");

    QTest::newRow("source model") << "cmdSourceFile"
                                  << "txtSourceFile" << false
                                  << "Select Vexmoor .p File to disassemble..."
                                  << "Vexmoor .p Files (*.p*);;All Files (*.*)";
    QTest::newRow("index file") << "cmdSourceASM"
                                << "txtSourceASM" << false
                                << "Select Cindervaxel ASM File to assemble..."
                                << "Cindervaxel ASM (*.asm);;All Files (*.*)";
    QTest::newRow("destination") << "cmdDestP"
                                 << "txtDestP" << true << "Select Vexmoor .p File to assemble to..."
                                 << "Vexmoor .p Files (*.p*);;All Files (*.*)";
}

void tst_frmMain::fileDialogs() {
    QFETCH(QString, button);
    QFETCH(QString, field);
    QFETCH(bool, save);
    QFETCH(QString, title);
    QFETCH(QString, filter);
    auto* text = window().findChild<QLineEdit*>(field);
    auto* open = window().findChild<QPushButton*>(button);

    text->setText("typed by hand");
    QTest::mouseClick(open, Qt::LeftButton);  // cancelled
    QCOMPARE(text->text(), QString("typed by hand"));

    m_chooser.result("/models/dir/robot 2.p");
    QTest::mouseClick(open, Qt::LeftButton);
    QCOMPARE(text->text(), QString("/models/dir/robot 2.p"));

    QTest::mouseClick(open, Qt::LeftButton);  // cancelled again
    QCOMPARE(text->text(), QString("/models/dir/robot 2.p"));

    QCOMPARE(m_chooser.requests.size(), 3u);
    for (const FileDialogRequest& request : m_chooser.requests) {
        QCOMPARE(request.kind == FileDialogRequest::Kind::Save, save);
        QCOMPARE(request.title, title);
        QCOMPARE(request.filter, filter);
    }
    // The other fields are not touched.
    for (QLineEdit* other : window().findChildren<QLineEdit*>()) {
        if (other != text) {
            QVERIFY(other->text().startsWith("*."));
        }
    }
}

void tst_frmMain::dropFile_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QStringList>("dropped");  // names in the test's directory, or URLs
    QTest::addColumn<bool>("taken");

    QTest::newRow("model on source field") << "txtSourceFile" << QStringList{"robot.p"} << true;
    QTest::newRow("index on index field") << "txtSourceASM" << QStringList{"robot.asm"} << true;
    QTest::newRow("model on destination") << "txtDestP" << QStringList{"robot.p"} << true;
    QTest::newRow("folder") << "txtSourceFile" << QStringList{"models"} << false;
    QTest::newRow("two files") << "txtSourceFile" << QStringList{"robot.p", "robot.asm"} << false;
    QTest::newRow("remote file") << "txtSourceFile" << QStringList{"https://example.org/robot.p"}
                                 << false;
}

void tst_frmMain::dropFile() {
    QFETCH(QString, field);
    QFETCH(QStringList, dropped);
    QFETCH(bool, taken);
    TempDir dir;
    QVERIFY(writeBytes(dir.text("robot.p"), testModel()));
    QVERIFY(writeBytes(dir.text("robot.asm"), Bytes(64)));
    std::filesystem::create_directory(dir / "models");

    QList<QUrl> urls;
    for (const QString& name : dropped) {
        urls << (name.contains(':')
                     ? QUrl(name)
                     : QUrl::fromLocalFile(QString::fromStdString(dir.text(name.toStdString()))));
    }
    QMimeData mime;
    mime.setUrls(urls);
    auto* text = window().findChild<QLineEdit*>(field);
    const QString before = text->text();
    const QPoint middle = text->rect().center();

    QDragEnterEvent enter(middle, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(text, &enter);
    QCOMPARE(enter.isAccepted(), taken);
    QDropEvent drop(middle, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(text, &drop);

    const QString expected =
        taken ? QString::fromStdString(dir.text(dropped.front().toStdString())) : before;
    QCOMPARE(text->text(), expected);
}

void tst_frmMain::splitAndJoin_data() {
    QTest::addColumn<bool>("checkLengths");
    QTest::newRow("lengths checked") << true;
    QTest::newRow("lengths not checked") << false;
}

void tst_frmMain::splitAndJoin() {
    QFETCH(bool, checkLengths);
    TempDir dir;
    const Bytes model = testModel();
    QVERIFY(writeBytes(dir.text("robot.p"), model));

    // Split into the model's own folder; the settings that nothing reads are switched off.
    control<QLineEdit>("txtSourceFile")->setText(QString::fromStdString(dir.text("robot.p")));
    control<QCheckBox>("chkFolder")->setChecked(true);
    control<QCheckBox>("chkASM")->setChecked(false);
    control<QCheckBox>("chkBIN")->setChecked(false);
    {
        MessageBoxScript none;
        click("cmdDisassemble");
        QCOMPARE(none.seen.size(), 0u);
    }
    const std::filesystem::path own = dir / "robot";
    QCOMPARE(readBytes((own / "header.bin").string()), slice(model, 0, 128));
    QCOMPARE(readBytes((own / "robot.asm").string()).size(), 64u);
    for (const char* name : kSectionFiles) {
        QVERIFY2(std::filesystem::exists(own / name), name);
    }

    // Join them again.
    control<QLineEdit>("txtSourceASM")
        ->setText(QString::fromStdString((own / "robot.asm").string()));
    control<QLineEdit>("txtDestP")->setText(QString::fromStdString(dir.text("joined.p")));
    MessageBoxScript script([this] { return buttonStates(); });
    script.answer(checkLengths ? QMessageBox::Yes : QMessageBox::No);
    click("cmdAssemble");

    QCOMPARE(script.seen.size(), 1u);
    const SeenBox& question = script.seen.front();
    QCOMPARE(question.title, QString("File Lengths"));
    QCOMPARE(
        question.text,
        QString("Should Cindervaxel check, if the Filelengths are correct?\nRecommended: Yes"));
    QCOMPARE(question.icon, QMessageBox::Question);
    QCOMPARE(question.buttons, QMessageBox::Yes | QMessageBox::No);
    QCOMPARE(question.defaultButton, QMessageBox::Yes);
    QCOMPARE(question.state, (std::vector<bool>{true, false}));  // Assemble! greyed meanwhile
    QCOMPARE(buttonStates(), (std::vector<bool>{true, true}));
    QCOMPARE(readBytes(dir.text("joined.p")), model);
}

void tst_frmMain::operationMessages_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");

    QTest::newRow("split of the initial *.p") << "cmdDisassemble"
                                              << ""
                                              << "Error"
                                              << "File does not exist!";
    QTest::newRow("split of a short model") << "cmdDisassemble"
                                            << "short model"
                                            << "Error"
                                            << "An unkown Error has occured!\nError Code: 62";
    QTest::newRow("join of the initial *.asm") << "cmdAssemble"
                                               << ""
                                               << "Error"
                                               << "File does not exist!";
    QTest::newRow("join without poly.bin")
        << "cmdAssemble"
        << "no poly.bin"
        << "File Missing!"
        << "The File 'poly.bin' does not exists! Model can't be assembled!";
}

void tst_frmMain::operationMessages() {
    QFETCH(QString, button);
    QFETCH(QString, fault);
    QFETCH(QString, title);
    QFETCH(QString, text);
    TempDir dir;
    if (fault == "short model") {
        Bytes model = testModel();
        model.pop_back();
        QVERIFY(writeBytes(dir.text("robot.p"), model));
        control<QLineEdit>("txtSourceFile")->setText(QString::fromStdString(dir.text("robot.p")));
    } else if (fault == "no poly.bin") {
        const std::string index = prepareSet(dir, testModel());
        QVERIFY(!index.empty());
        QVERIFY(std::filesystem::remove(dir / "poly.bin"));
        control<QLineEdit>("txtSourceASM")->setText(QString::fromStdString(index));
        control<QLineEdit>("txtDestP")->setText(QString::fromStdString(dir.text("joined.p")));
    }
    const int own = button == "cmdDisassemble" ? 0 : 1;

    MessageBoxScript script([this] { return buttonStates(); });
    script.answer(QMessageBox::Ok);
    QTest::mouseClick(window().findChild<QPushButton*>(button), Qt::LeftButton);

    QCOMPARE(script.seen.size(), 1u);
    const SeenBox& box = script.seen.front();
    QCOMPARE(box.title, title);
    QCOMPARE(box.text, text);
    QCOMPARE(box.icon, QMessageBox::Critical);
    QCOMPARE(box.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(box.state.at(own), false);
    QCOMPARE(buttonStates(), (std::vector<bool>{true, true}));
    QVERIFY(!std::filesystem::exists(dir / "joined.p"));
}

void tst_frmMain::lengthMismatchEndsProgram() {
    TempDir dir;
    const std::string index = prepareSet(dir, testModel());
    QVERIFY(!index.empty());
    Bytes poly = readBytes(dir.text("poly.bin"));
    poly.push_back(0);
    QVERIFY(writeBytes(dir.text("poly.bin"), poly));
    control<QLineEdit>("txtSourceASM")->setText(QString::fromStdString(index));
    control<QLineEdit>("txtDestP")->setText(QString::fromStdString(dir.text("joined.p")));
    window().show();
    QVERIFY(QTest::qWaitForWindowExposed(&window()));

    MessageBoxScript script;
    script.answer(QMessageBox::Yes).answer(QMessageBox::Ok);
    click("cmdAssemble");

    QCOMPARE(script.seen.size(), 2u);
    QCOMPARE(script.seen[1].title, QString("Filelength"));
    QCOMPARE(script.seen[1].text, QString("The Filelength of 'poly.bin' does not match!"));
    QCOMPARE(script.seen[1].icon, QMessageBox::Critical);
    QCOMPARE(m_endings, std::vector<int>{3});
    QVERIFY(!window().isVisible());
    QVERIFY(!std::filesystem::exists(dir / "joined.p"));
    // Nothing half written is left behind either.
    QCOMPARE(listNames(dir.path()).size(), 12u);
}

// The real ending, seen from outside: the test program runs itself as a child that joins a set
// with a wrong length, answering the boxes, and must end with status 3 inside the click.
void tst_frmMain::endingEndsTheProcess() {
    TempDir dir;
    const std::string index = prepareSet(dir, testModel());
    QVERIFY(!index.empty());
    QVERIFY(writeBytes(dir.text("bbox.bin"), Bytes(3)));

    QProcess child;
    child.setProgram(QCoreApplication::applicationFilePath());
    child.setArguments({"--join-and-end", QString::fromStdString(index),
                        QString::fromStdString(dir.text("joined.p"))});
    child.start();
    QVERIFY(child.waitForFinished(30000));
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), frmMain::kExitEnded);
    QVERIFY(!std::filesystem::exists(dir / "joined.p"));
}

void tst_frmMain::quit_data() {
    QTest::addColumn<bool>("closeBox");
    QTest::newRow("Quit") << false;
    QTest::newRow("close box") << true;
}

void tst_frmMain::quit() {
    QFETCH(bool, closeBox);
    window().show();
    QVERIFY(QTest::qWaitForWindowExposed(&window()));

    // The program's event loop ends once the window is gone, without a question.
    MessageBoxScript none;
    QTimer::singleShot(0, m_window,
                       [this, closeBox] { closeBox ? void(window().close()) : click("cmdQuit"); });
    QTimer giveUp;
    giveUp.callOnTimeout([] { QCoreApplication::exit(1); });
    giveUp.start(10000);
    QCOMPARE(QApplication::exec(), 0);
    QCOMPARE(none.seen.size(), 0u);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(m_window.isNull());
}

// The child of endingEndsTheProcess: joins INDEX into DEST with the window's own ending.
static int joinAndEnd(const QString& index, const QString& destination) {
    frmMain window;
    window.findChild<QLineEdit*>("txtSourceASM")->setText(index);
    window.findChild<QLineEdit*>("txtDestP")->setText(destination);
    window.show();
    MessageBoxScript script;
    script.answer(QMessageBox::Yes).answer(QMessageBox::Ok);
    QTest::mouseClick(window.findChild<QPushButton*>("cmdAssemble"), Qt::LeftButton);
    return 0;  // the program should have ended inside the click
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc == 4 && std::strcmp(argv[1], "--join-and-end") == 0) {
        return joinAndEnd(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    tst_frmMain test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_frmMain.moc"
