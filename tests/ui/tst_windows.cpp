#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QStyle>
#include <QTest>
#include <utility>

#include "WindowTestSupport.h"
#include "support/SplitJoinOracle.h"
#include "ui/Pictures.h"
#include "ui/UiText.h"
#include "ui/frmAbout.h"
#include "ui/frmApply.h"
#include "ui/frmMain.h"

using namespace cvx;
using namespace cvx::test;

static const bool kWindows = QSysInfo::productType() == "windows";

// Both windows, as the user meets them: the About window opens from the main window.
class tst_windows : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_boxes.expect({});
        m_requests.clear();
        m_directories.clear();
        // The file dialogs: each request written down as "kind|title|filter" and its directory,
        // `m_result` given back once, then the empty text of a cancelled dialog.
        const FileChooser chooser = [this](QWidget*, const FileDialogRequest& request) {
            const bool save = request.kind == FileDialogRequest::Kind::Save;
            m_requests << QStringList{save ? "save" : "open", request.title, request.filter}.join(
                '|');
            m_directories << request.directory;
            return std::exchange(m_result, QString());
        };
        // The apply operation: says busy, asks about its destination as the real one may,
        // writes down its call and what the user answered, and applies when the answer is Yes.
        const ApplyOperation apply = [this](Workspace&, UserInterface& ui, const fs::path& original,
                                            const std::vector<fs::path>& patches,
                                            const fs::path& destination) {
            ui.SetBusy(true);
            const Answer answer = ui.AskToReplace(
                {ReplaceQuestion::Run::Apply, destination, {{destination, "another model"}}});
            ui.SetBusy(false);
            m_applied << QString::fromStdString(toText(original) + "|" + toText(patches.at(0)) +
                                                "|" + toText(destination)) +
                             (&ui == m_window->findChild<frmApply*>() ? "|window|" : "|?|") +
                             QString::number(int(answer));
            return answer == Answer::Yes;
        };
        m_applied.clear();
        m_window = new frmMain(chooser, apply);
    }

    void cleanup() {
        delete m_window;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            delete qobject_cast<frmAbout*>(window);
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(QApplication::topLevelWidgets().isEmpty());  // no window or box outlives its test
    }

    void controls_data() {
        QTest::addColumn<QString>("container");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QRect>("twips");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("dialog");  // of a "..." button: kind, title and filter
        QString window = "frmMain";
        auto row = [&](const char* name, const char* in, const char* caption, QRect twips,
                       const char* state = "", QString dialog = "") {
            QTest::newRow(qPrintable(window + " " + name))
                << QString(in) << QString(caption) << twips << QString(state) << dialog;
        };
        const QString models = "|Vexmoor .p Files (*.p*);;All Files (*.*)";
        row("framDis", "frmMain", "Disassemlber", {0, 0, 5415, 1815});
        row("framSource", "framDis", "Source File", {120, 240, 5175, 615});
        row("txtSourceFile", "framSource", "*.p", {120, 240, 4455, 285});
        row("cmdSourceFile", "framSource", "...", {4680, 240, 375, 255}, "",
            "txtSourceFile|open|Select Vexmoor .p File to disassemble..." + models);
        row("framSettings", "framDis", "Settings", {120, 840, 5175, 855});
        row("chkFolder", "framSettings", "create own Folder", {120, 240, 1575, 255}, "unchecked");
        row("chkASM", "framSettings", "create *.ams File", {1800, 240, 1575, 255}, "checked");
        row("chkBIN", "framSettings", "create *.bin Files", {3480, 240, 1575, 255}, "checked");
        row("chkTXT", "framSettings", "create *.txt Files", {120, 480, 1575, 255}, "unchecked off");
        row("chkGeneral", "framSettings", "create General.txt", {1800, 480, 1575, 255},
            "unchecked off");
        row("Label1", "framSettings", "2026 Cindervaxel team", {3480, 520, 1575, 255},
            "off center");
        row("framAss", "frmMain", "Assembler", {0, 1800, 5415, 1575});
        row("framSourceASM", "framAss", "Source File", {120, 240, 5175, 615});
        row("txtSourceASM", "framSourceASM", "*.asm", {120, 240, 4455, 285});
        row("cmdSourceASM", "framSourceASM", "...", {4680, 240, 375, 255}, "",
            "txtSourceASM|open|Select Cindervaxel ASM File to assemble...|"
            "Cindervaxel ASM (*.asm);;All Files (*.*)");
        row("framDest", "framAss", "Destination File", {120, 840, 5175, 615});
        row("txtDestP", "framDest", "*.p", {120, 240, 4455, 285});
        row("cmdDestP", "framDest", "...", {4680, 240, 375, 255}, "",
            "txtDestP|save|Select Vexmoor .p File to assemble to..." + models);
        row("cmdDisassemble", "frmMain", "Disassemble!", {120, 3480, 1335, 375});
        row("cmdAssemble", "frmMain", "Assemble!", {1560, 3480, 1335, 375});
        row("cmdAbout", "frmMain", "About", {3000, 3480, 1215, 375});
        row("cmdQuit", "frmMain", "Quit", {4320, 3480, 1095, 375});
        row("lblStatus", "frmMain", "", {120, 3915, 5205, 255}, "left");
        // The About window: labels draw white on the picture; an empty caption is set at load.
        window = "frmAbout";
        row("lblAbout", "frmAbout", "", {120, 0, 4095, 375}, "center");
        row("Label1", "frmAbout", "written by:", {0, 480, 735, 255}, "left");
        row("Label2", "frmAbout", "the team", {3360, 480, 855, 255}, "right");
        row("Label3", "frmAbout", "Special Thanx:", {0, 840, 1095, 255}, "left");
        row("lblThanx", "frmAbout", "", {2880, 840, 1335, 1095}, "right");
        row("Image1", "frmAbout", "", {3120, 2400, 960, 960}, "left");
        row("Command1", "frmAbout", "Okay", {3120, 3360, 1095, 375});
    }

    void controls() {
        QFETCH(QString, container);
        QFETCH(QString, caption);
        QFETCH(QRect, twips);
        QFETCH(QString, state);
        QFETCH(QString, dialog);
        const bool inAbout = QString(QTest::currentDataTag()).startsWith("frmAbout");
        QWidget* root = inAbout ? static_cast<QWidget*>(openAbout()) : &main();
        QVERIFY(root);
        auto* widget = root->findChild<QWidget*>(QString(QTest::currentDataTag()).section(' ', 1));
        QVERIFY(widget);
        QCOMPARE(widget->parentWidget()->objectName(), container);
        auto* frame = qobject_cast<QGroupBox*>(widget);
        const QString text = frame ? frame->title() : widget->property("text").toString();
        // Empty captions are set at load, but for the pictures and the line at the main window's
        // foot, which a run fills.
        QVERIFY(caption.isEmpty() ? !text.isEmpty() || widget->objectName() == "Image1" ||
                                        widget->objectName() == "lblStatus"
                                  : text == caption);
        QStringList states;
        if (auto* box = qobject_cast<QCheckBox*>(widget)) {
            states << (box->isChecked() ? "checked" : "unchecked");
        }
        states << (widget->isEnabled() ? "" : "off");
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            const Qt::Alignment align = label->alignment();
            states << (align & Qt::AlignRight     ? "right"
                       : align & Qt::AlignHCenter ? "center"
                                                  : "left");
        }
        QCOMPARE(states.join(' ').simplified(), state);
        // Every edge at the main window's scale, rounded to the nearest pixel.
        const TwipScale& scale = main().twipScale();
        QCOMPARE(widget->geometry(),
                 scale.toPixels({twips.x(), twips.y(), twips.width(), twips.height()}));
        if (!dialog.isEmpty()) {
            // A cancelled dialog leaves the field as it was; a chosen file replaces its whole text.
            // On Windows the dialog opens in the folder of the field's path (under Wine a
            // drive-letter path).
            auto* field = control<QLineEdit>(qPrintable(dialog.section('|', 0, 0)));
            const TempDir dir;
            fs::create_directory(dir / "Mödel 竜");
            const QString folder =
                QDir::toNativeSeparators(QString::fromStdString(dir.text("Mödel 竜")));
            field->setText(folder + QDir::separator() + "robot.p");
            const QString typed = field->text();
            QTest::mouseClick(widget, Qt::LeftButton);
            QCOMPARE(field->text(), typed);
            m_result = "/models/robot 2.p";  // as Qt gives it, with '/' on Windows as well
            widget->setFocus();
            QTest::keyClick(widget, Qt::Key_Return);  // a focused button takes Return, as Space
            QCOMPARE(field->text(),
                     QString(kWindows ? R"(\models\robot 2.p)" : "/models/robot 2.p"));
            QCOMPARE(m_requests, QStringList(2, dialog.section('|', 1)));
            QCOMPARE(m_directories, QStringList(2, kWindows ? folder : QString()));
        }
    }

    void window() {
        QCOMPARE(main().size(), main().twipScale().toPixels(5445, 4230));
        main().show();
        QVERIFY(QTest::qWaitForWindowActive(m_window));
        QStringList visited = {QApplication::focusWidget()->objectName()};
        while (visited.size() < 14) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(
            visited.join(' '),
            "chkFolder chkBIN chkASM txtSourceFile cmdSourceFile cmdDestP txtDestP cmdSourceASM "
            "txtSourceASM cmdDisassemble cmdAssemble cmdAbout cmdQuit chkFolder");
    }

    // One About window, modeless, loaded anew (with the same texts) once it was closed.
    void aboutSingleAndModeless() {
        frmAbout* first = openAbout();
        QVERIFY(first && first->parentWidget() == nullptr);
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        QCOMPARE(first->windowTitle(), QString("About Cindervaxel"));
        QVERIFY(first->windowFlags() & Qt::Tool);
        QCOMPARE(first->focusWidget(), first->findChild<QWidget*>("Command1"));
        auto texts = [](frmAbout* about) {
            return about->findChild<QLabel*>("lblAbout")->text() + "|" +
                   about->findChild<QLabel*>("lblThanx")->text();
        };
        const QString loaded = texts(first);
        QVERIFY(loaded.contains("\nthe Cindervaxel team|") && loaded.endsWith("\nand many others"));
        // The main window takes clicks meanwhile, and "About" shows the same window again.
        m_result = "/models/robot.p";
        click("cmdSourceFile");
        QCOMPARE(control<QLineEdit>("txtSourceFile")->text(),
                 QDir::toNativeSeparators("/models/robot.p"));
        QCOMPARE(openAbout(), first);
        // Once closed (Escape does it as the close box does), even before it is deleted, the next
        // showing loads a new one.
        QTest::keyClick(first->focusWidget(), Qt::Key_Escape);
        QVERIFY(!first->isVisible());
        frmAbout* second = openAbout();
        QVERIFY(second != nullptr && second != first);
        QCOMPARE(texts(second), loaded);
    }

    // Whatever scale it is given (here the standard one, as a main window fitted at another font
    // may give it), at a smaller, the usual and a larger font: every text, the picture and the
    // button show whole, none meets another, and only the heading and the left column stand on
    // the background picture.
    void aboutLayout() {
        const QFont original = QApplication::font();
        const auto restore = qScopeGuard([&] { QApplication::setFont(original); });
        const QRect background({}, Pictures::aboutBackground().deviceIndependentSize().toSize());
        for (const double factor : {1.0, 0.7, 1.6}) {
            QFont font = original;
            font.setPointSizeF(original.pointSizeF() * factor);
            QApplication::setFont(font);
            frmAbout* about = frmAbout::display(TwipScale());
            std::vector<std::pair<QString, QRect>> drawn = {{"background", background}};
            for (QWidget* child : about->findChildren<QWidget*>()) {
                QRect rect = child->geometry();
                if (auto* label = qobject_cast<QLabel*>(child)) {
                    const QRect box = label->contentsRect();
                    const QSize picture = label->pixmap().deviceIndependentSize().toSize();
                    rect =
                        (picture.isEmpty() ? label->fontMetrics().boundingRect(
                                                 box, int(label->alignment()), label->text())
                                           : QStyle::alignedRect(Qt::LeftToRight,
                                                                 label->alignment(), picture, box))
                            .translated(label->pos());
                }
                const QString at = QString(" at %1 pt").arg(font.pointSizeF());
                QVERIFY2(child->geometry().contains(rect),
                         qPrintable(child->objectName() + " clipped" + at));
                const bool onPicture =
                    QStringList{"lblAbout", "Label1", "Label3"}.contains(child->objectName());
                for (const auto& [name, other] : drawn) {
                    QVERIFY2(!other.intersects(rect) || (onPicture && name == "background"),
                             qPrintable(child->objectName() + " meets " + name + at));
                }
                drawn.emplace_back(child->objectName(), rect);
            }
            about->close();
        }
    }

    void splitAndJoin_data() {
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::newRow("lengths checked") << QMessageBox::Yes;
        QTest::newRow("lengths not checked") << QMessageBox::No;
        QTest::newRow("Escape") << QMessageBox::Cancel;
    }

    // Each run says at the window's foot what it wrote, and gives the focus back to its button,
    // so that a Return never starts the other operation. Escape at the question writes nothing.
    void splitAndJoin() {
        QFETCH(QMessageBox::StandardButton, answer);
        // Full paths with names that no code page holds in all three fields (on Windows, paths
        // with a drive letter).
        const TempDir dir;
        const Bytes model = makeModel(kWorkedExample);
        writeFile(dir / "Mödel 竜.p", model);
        setText("txtSourceFile", dir / "Mödel 竜.p");
        control<QCheckBox>("chkFolder")->setChecked(true);
        control<QCheckBox>("chkASM")->setChecked(false);  // changes nothing
        click("cmdDisassemble");
        QCOMPARE(readTree(dir / "Mödel 竜").size(), 11u);
        QCOMPARE(status(), "Disassembled: 11 of 11 files written in " + native(dir / "Mödel 竜") +
                               " (Mödel 竜.asm).");
        QCOMPARE(main().focusWidget(), control("cmdDisassemble"));

        setText("txtSourceASM", dir / "Mödel 竜/Mödel 竜.asm");
        setText("txtDestP", dir / "joined 竜.p");
        m_boxes.expect({answer}, [this] { return buttons(); });
        click("cmdAssemble");
        QCOMPARE(m_boxes.seen,
                 QStringList("File Lengths|Should Cindervaxel check, if the Filelengths "
                             "are correct?\nRecommended: Yes|question|Yes No|Yes|10"));
        QCOMPARE(buttons(), "11");
        QCOMPARE(main().focusWidget(), control("cmdAssemble"));
        if (answer == QMessageBox::Cancel) {
            QCOMPARE(readTree(dir.path()).size(), 12u);  // no model, no temporary file
            QCOMPARE(status(), QString("Nothing was written."));
            return;
        }
        QCOMPARE(readFile(dir / "joined 竜.p"), model);
        QCOMPARE(status(),
                 "Assembled: " + native(dir / "joined 竜.p") + " written from Mödel 竜.asm.");
    }

    // A box is titled by its cause. A length that differs leaves the window as it was.
    void errorAndWrongLength() {
        const TempDir dir;
        writeTree(dir.path(), splitOf(makeModel(kWorkedExample)));
        writeFile(dir / "short.p", Bytes(100));
        setText("txtSourceFile", dir / "short.p");
        m_boxes.expect({QMessageBox::Ok}, [this] { return buttons(); });
        click("cmdDisassemble");
        QCOMPARE(m_boxes.seen,
                 QStringList("File Cut Short|A file is shorter than the bytes it must give.\n"
                             "Error Code: 62|error|OK||01|" +
                             QString::fromStdString(dir.text("short.p")) +
                             ": it is 100 bytes long, shorter than the 128-byte header of a "
                             "model: check that it is a model file, complete and undamaged, "
                             "and split that"));
        QCOMPARE(buttons(), "11");

        writeFile(dir / "poly.bin", Bytes(3));
        setText("txtSourceASM", dir / "robot.asm");
        setText("txtDestP", dir / "joined.p");
        main().show();
        m_boxes.expect({QMessageBox::Yes, QMessageBox::Ok});
        click("cmdAssemble");
        const QString box = m_boxes.seen.value(1);
        QVERIFY2(
            box.startsWith("Filelength|The Filelength of 'poly.bin' does not match!|error|OK|||" +
                           QString::fromStdString(dir.text("poly.bin")) +
                           ": it is 3 bytes, the index records 24: run cindervaxel-cli check ") &&
                box.endsWith("robot.asm to see whether a recount mends it"),
            qPrintable(box));
        QVERIFY(main().isVisible());
        QCOMPARE(control<QLineEdit>("txtDestP")->text(), native(dir / "joined.p"));
        QCOMPARE(readTree(dir.path()).size(), 12u);  // no destination, no temporary file
    }

    // Work on disk is replaced only when the user says so: the default answer (Return) and Escape
    // keep it, another model included. A pattern is no file name, and a note comes in a box of
    // its own.
    void workOnDisk() {
        const TempDir dir;
        FileTree tree = splitOf(makeModel(kWorkedExample));
        tree["tank.p"] = makeModel({1, 5, 0, 2, 9, 3, 2}, 8, 2);
        tree["photo.png"] = Bytes(500, 0x89);
        writeTree(dir.path(), tree);
        auto in = [&](const char* name) { return QString::fromStdString(dir.text(name)); };
        auto press = [&](const char* button, QMessageBox::StandardButton answer) {
            m_boxes.expect({answer});
            click(button);
            return m_boxes.seen.join('#');
        };
        setText("txtSourceFile", dir / "tank.p");
        setText("txtSourceASM", dir / "robot.asm");
        setText("txtDestP", dir / "photo.png");
        const QString split = press("cmdDisassemble", QMessageBox::NoButton),
                      join = press("cmdAssemble", QMessageBox::NoButton);
        QVERIFY2(split.startsWith("Replace Files?|Disassemble! would replace 10 files in " +
                                  in("").chopped(1) + " that hold") &&
                     split.contains(", poly.bin, hundrets.bin, fiftysix.bin, bbox.bin, "
                                    "unknown.bin: part of another model's set: robot.asm lies "
                                    "beside it\n") &&
                     split.endsWith("tick \"create own Folder\".|question|Yes No|No|"),
                 qPrintable(split));
        QVERIFY2(join.startsWith("Replace Files?|Assemble! would replace " + in("photo.png") +
                                 ", which is no model file") &&
                     join.endsWith("|question|Yes No|No|"),
                 qPrintable(join));
        setText("txtDestP", dir / "tank.p");
        QVERIFY2(press("cmdAssemble", QMessageBox::Cancel)
                     .contains(", which is another model: its header is not robot's."),
                 qPrintable(m_boxes.seen.join('#')));
        QVERIFY(press("cmdDisassemble", QMessageBox::Cancel).startsWith("Replace Files?|"));
        QCOMPARE(readTree(dir.path()), tree);
        QCOMPARE(buttons(), "11");
        setText("txtDestP", dir / "*.p");
        const QString pattern = press("cmdAssemble", QMessageBox::Ok);
        QVERIFY2(pattern.startsWith("Not a File Name|A name holds * or ?.\nError Code: 64|") &&
                     pattern.endsWith(": choose a file with \"...\""),
                 qPrintable(pattern));
        control<QCheckBox>("chkFolder")->setChecked(true);
        QVERIFY(press("cmdDisassemble", QMessageBox::Ok)
                    .startsWith("Note|" + in("tank.p") + " has 8 bytes at offsets"));
        QCOMPARE(readTree(dir / "tank").size(), 11u);
    }

    // A name typed into a field is taken against the folder the program was started in, however
    // often it is run: a split into the model's own folder leaves the program where it was.
    void relativeNames() {
        const TempDir dir;
        const Bytes model = makeModel(kWorkedExample);
        writeFile(dir / "robot.p", model);
        fs::current_path(dir.path());
        control<QLineEdit>("txtSourceFile")->setText("robot.p");
        control<QCheckBox>("chkFolder")->setChecked(true);
        click("cmdDisassemble");
        click("cmdDisassemble");
        QCOMPARE(status(), "Disassembled: the 11 files in " + native(dir / "robot") +
                               " hold these bytes already.");
        control<QLineEdit>("txtSourceASM")->setText(QDir::toNativeSeparators("robot/robot.asm"));
        control<QLineEdit>("txtDestP")->setText("back.p");
        m_boxes.expect({QMessageBox::Yes});
        click("cmdAssemble");
        QCOMPARE(readFile(dir / "back.p"), model);
    }

    // Where the installer made "Cindervaxel command line", advice to run the tool says to open it.
    void advice() {
        const std::string text = "poly.bin: run cindervaxel-cli check on the index\r\nto see";
        QCOMPARE(UiText::display(text, false),
                 QString("poly.bin: run cindervaxel-cli check on the index\nto see"));
        QCOMPARE(UiText::display(text, true),
                 QString("poly.bin: open \"Cindervaxel command line\" in the Start menu and run "
                         "cindervaxel-cli check on the index\nto see"));
    }

    // "Open with" of a file manager: the program started with a file puts it into its field.
    void openGiven() {
        const TempDir dir;
        fs::current_path(dir.path());
        main().openGiven("set/robot.ASM");
        main().openGiven("robot.p");
        const QString native = QDir::toNativeSeparators(QString::fromStdString(dir.text("")));
        QCOMPARE(control<QLineEdit>("txtSourceASM")->text(),
                 native + QDir::toNativeSeparators("set/robot.ASM"));
        QCOMPARE(control<QLineEdit>("txtSourceFile")->text(), native + "robot.p");
        QCOMPARE(control<QLineEdit>("txtDestP")->text(), QString("*.p"));
    }

    void openPatch_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("dropped");  // on the first field; else given at the start
        QTest::addColumn<bool>("patch");
        QTest::newRow("named, given") << "Fix 竜.CvxPatch" << QByteArray() << false << true;
        QTest::newRow("signed, dropped") << "fix" << QByteArray("CVXPATCH\1") << true << true;
        QTest::newRow("other, dropped") << "fix.p" << QByteArray("CVXPATC") << true << false;
    }

    // A patch, known by its name or its first bytes, opens an Apply window over the main window
    // and leaves the main window's fields as they were.
    void openPatch() {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, dropped);
        QFETCH(bool, patch);
        const TempDir dir;
        const fs::path file = dir / name.toStdString();
        writeFile(file, Bytes(bytes.begin(), bytes.end()));
        if (dropped) {
            QMimeData mime;
            mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(toText(file)))});
            // Qt delivers a drop to the widget that took the drag when it entered.
            QDragEnterEvent enter({5, 5}, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QDropEvent drop({5, 5}, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(control<QLineEdit>("txtSourceFile"), &enter);
            QVERIFY(!main().findChild<frmApply*>() &&
                    control<QLineEdit>("txtSourceFile")->text() == "*.p");
            QApplication::sendEvent(control<QLineEdit>("txtSourceFile"), &drop);
        } else {
            main().openGiven(QString::fromStdString(toText(file)));
        }
        auto* apply = main().findChild<frmApply*>();
        QCOMPARE(control<QLineEdit>("txtSourceFile")->text(), patch ? "*.p" : native(file));
        QCOMPARE(apply != nullptr, patch);
        if (patch) {
            QVERIFY(apply->isVisible() && apply->isWindow());
            QCOMPARE(apply->findChild<QLineEdit*>("txtPatch")->text(), native(file));
        }
    }

    // At the usual and a larger font, every control of the Apply window lies inside its container,
    // meets none of its neighbours and shows its caption whole.
    void applyLayout() {
        const QFont original = QApplication::font();
        const auto restore = qScopeGuard([&] { QApplication::setFont(original); });
        for (const double factor : {1.0, 1.6}) {
            QFont font = original;
            font.setPointSizeF(original.pointSizeF() * factor);
            QApplication::setFont(font);
            const frmApply apply("fix.cvxpatch", {}, {}, TwipScale());
            const QList<QWidget*> controls = apply.findChildren<QWidget*>();
            for (QWidget* control : controls) {
                // A field holds a path, which scrolls: it is measured empty, as it is fitted, and
                // the length of the folder the tests run in does not count.
                if (auto* field = qobject_cast<QLineEdit*>(control)) {
                    field->clear();
                }
                const QString at = QString(" at %1 pt").arg(font.pointSizeF());
                const QSize needed = TwipScale::contentSize(*control);
                QVERIFY2(control->parentWidget()->rect().contains(control->geometry()) &&
                             needed.width() <= control->width() &&
                             needed.height() <= control->height(),
                         qPrintable(control->objectName() + " clipped" + at));
                for (QWidget* other : controls) {
                    QVERIFY2(
                        other == control || other->parentWidget() != control->parentWidget() ||
                            !other->geometry().intersects(control->geometry()),
                        qPrintable(control->objectName() + " meets " + other->objectName() + at));
                }
            }
        }
    }

    void applyPatch_data() {
        QTest::addColumn<QMessageBox::StandardButton>("answer");
        QTest::addColumn<Answer>("answered");
        QTest::newRow("Return") << QMessageBox::NoButton << Answer::No;
        QTest::newRow("Escape") << QMessageBox::Cancel << Answer::Cancel;
        QTest::newRow("Yes") << QMessageBox::Yes << Answer::Yes;
    }

    // The model to write follows the original (for an index, the set's model beside it) until it
    // is chosen itself. Apply! runs the operation on the three paths with the window as the user
    // interface, greyed out meanwhile, and the line at the foot tells what was written.
    void applyPatch() {
        QFETCH(QMessageBox::StandardButton, answer);
        QFETCH(Answer, answered);
        const TempDir dir;
        frmApply* apply = main().openPatch(QString::fromStdString(dir.text("fix.cvxpatch")));
        auto field = [&](const char* name) { return apply->findChild<QLineEdit*>(name)->text(); };
        auto choose = [&](const char* button, const char* file) {
            m_result = QString::fromStdString(dir.text(file));
            QTest::mouseClick(apply->findChild<QPushButton*>(button), Qt::LeftButton);
            return field("txtDestination");
        };
        QCOMPARE(choose("cmdOriginal", "set/robot.asm"), native(dir / "set/robot.p"));
        QCOMPARE(choose("cmdOriginal", "tank.p"), native(dir / "tank.p"));
        QCOMPARE(choose("cmdDestination", "out.p"), native(dir / "out.p"));
        QCOMPARE(choose("cmdOriginal", "robot.p"), native(dir / "out.p"));
        QVERIFY(m_requests.at(2).startsWith("save|") && m_requests.at(3).startsWith("open|"));

        m_boxes.expect({answer}, [&] {
            return QString::number(apply->findChild<QPushButton*>("cmdApply")->isEnabled());
        });
        QTest::mouseClick(apply->findChild<QPushButton*>("cmdApply"), Qt::LeftButton);
        QCOMPARE(m_boxes.seen,
                 QStringList("Replace Files?|Apply! would replace " + native(dir / "out.p") +
                             ", which is another model.\n\nReplace it? No keeps "
                             "it: choose another model to write.|question|Yes No|No|0"));
        QCOMPARE(m_applied,
                 QStringList(native(dir / "robot.p") + "|" + native(dir / "fix.cvxpatch") + "|" +
                             native(dir / "out.p") + "|window|" + QString::number(int(answered))));
        QCOMPARE(apply->findChild<QLabel*>("lblStatus")->toolTip(),
                 answered == Answer::Yes ? "Applied: " + native(dir / "out.p") + " written."
                                         : "Nothing was written.");
        QVERIFY(apply->findChild<QPushButton*>("cmdApply")->isEnabled());
    }

    void quit_data() {
        QTest::addColumn<bool>("closeBox");
        QTest::addColumn<bool>("aboutOpen");
        QTest::newRow("Quit") << false << false;
        QTest::newRow("close box") << true << false;
        QTest::newRow("Quit, About open") << false << true;
    }

    // The main window goes without a question, and with it the program's event loop; an About
    // window still open keeps the program running until it is closed as well.
    void quit() {
        QFETCH(bool, closeBox);
        QFETCH(bool, aboutOpen);
        main().show();
        QPointer<frmAbout> about = aboutOpen ? openAbout() : nullptr;
        bool aboutAlone = !aboutOpen;
        QTimer::singleShot(0, m_window,
                           [&] { closeBox ? void(main().close()) : click("cmdQuit"); });
        QTimer giveUp;  // before the timers of this run that need it: they go with it
        giveUp.callOnTimeout([] { QCoreApplication::exit(1); });
        giveUp.start(10000);
        QTimer::singleShot(200, &giveUp, [&] {
            frmAbout* shown = about.data();
            // On Windows alone it turns into an ordinary window, which has a task-bar button.
            aboutAlone = aboutAlone || (m_window.isNull() && shown && shown->isVisible() &&
                                        shown->windowType() == (kWindows ? Qt::Window : Qt::Tool));
            if (shown != nullptr) {
                shown->close();
            }
        });
        QCOMPARE(QApplication::exec(), 0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(m_window.isNull() && aboutAlone);
    }

private:
    frmMain& main() const {
        if (m_window.isNull()) {
            qFatal("the main window is gone");
        }
        return *m_window;
    }
    template <typename T = QPushButton>
    T* control(const char* name) const {
        return main().findChild<T*>(name);
    }
    void click(const char* button) { QTest::mouseClick(control(button), Qt::LeftButton); }
    QString status() const { return control<QLabel>("lblStatus")->toolTip(); }
    static QString native(const fs::path& path) {
        return QDir::toNativeSeparators(QString::fromStdString(toText(path)));
    }
    void setText(const char* field, const fs::path& path) {
        control<QLineEdit>(field)->setText(QString::fromStdString(toText(path)));
    }
    // "10": "Disassemble!" enabled, "Assemble!" greyed out.
    QString buttons() const {
        return QString::number(control("cmdDisassemble")->isEnabled()) +
               QString::number(control("cmdAssemble")->isEnabled());
    }
    // Presses "About" and returns the one About window shown then, if there is exactly one.
    frmAbout* openAbout() {
        click("cmdAbout");
        QList<frmAbout*> shown;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* about = qobject_cast<frmAbout*>(window); about && about->isVisible()) {
                shown << about;
            }
        }
        return shown.size() == 1 ? shown.front() : nullptr;
    }

    BoxScript m_boxes;
    QString m_result;
    QStringList m_requests, m_directories, m_applied;
    QPointer<frmMain> m_window;
};

QTEST_MAIN(tst_windows)
#include "tst_windows.moc"
