#include "frmMain.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <algorithm>
#include <vector>

#include "PathDropFilter.h"
#include "Pictures.h"
#include "UiText.h"
#include "convert/SetNames.h"
#include "files/PathText.h"
#include "frmAbout.h"
#include "session/Session.h"

namespace cvx {
namespace {

const char* const kTitle = "Cindervaxel V1.0 - File Tool for Vexmoor .p Model Files";
const char* const kCreditNote = "2026 Cindervaxel team";

constexpr int kClientWidthTwips = 5445;
constexpr int kClientHeightTwips = 4230;

enum class Kind { Frame, TextField, Button, CheckBox, Label };

struct ControlRow {
    Kind kind;
    const char* name;
    const char* container;  // nullptr: the window itself
    const char* caption;
    TwipRect twips;
    int tabIndex;
};

// The window's controls in their nesting order; a frame comes before what it holds. Positions are
// taken from the container's top-left corner, a frame's caption lying in its top border.
const ControlRow kControls[] = {
    {Kind::Frame, "framDis", nullptr, "Disassemlber", {0, 0, 5415, 1815}, 1},
    {Kind::Frame, "framSource", "framDis", "Source File", {120, 240, 5175, 615}, 8},
    {Kind::TextField, "txtSourceFile", "framSource", "*.p", {120, 240, 4455, 285}, 9},
    {Kind::Button, "cmdSourceFile", "framSource", "...", {4680, 240, 375, 255}, 10},
    {Kind::Frame, "framSettings", "framDis", "Settings", {120, 840, 5175, 855}, 2},
    {Kind::CheckBox, "chkFolder", "framSettings", "create own Folder", {120, 240, 1575, 255}, 4},
    {Kind::CheckBox, "chkASM", "framSettings", "create *.ams File", {1800, 240, 1575, 255}, 7},
    {Kind::CheckBox, "chkBIN", "framSettings", "create *.bin Files", {3480, 240, 1575, 255}, 5},
    {Kind::CheckBox, "chkTXT", "framSettings", "create *.txt Files", {120, 480, 1575, 255}, 6},
    {Kind::CheckBox, "chkGeneral", "framSettings", "create General.txt", {1800, 480, 1575, 255}, 3},
    {Kind::Label, "Label1", "framSettings", kCreditNote, {3480, 520, 1575, 255}, 21},
    {Kind::Frame, "framAss", nullptr, "Assembler", {0, 1800, 5415, 1575}, 0},
    {Kind::Frame, "framSourceASM", "framAss", "Source File", {120, 240, 5175, 615}, 14},
    {Kind::TextField, "txtSourceASM", "framSourceASM", "*.asm", {120, 240, 4455, 285}, 16},
    {Kind::Button, "cmdSourceASM", "framSourceASM", "...", {4680, 240, 375, 255}, 15},
    {Kind::Frame, "framDest", "framAss", "Destination File", {120, 840, 5175, 615}, 11},
    {Kind::TextField, "txtDestP", "framDest", "*.p", {120, 240, 4455, 285}, 13},
    {Kind::Button, "cmdDestP", "framDest", "...", {4680, 240, 375, 255}, 12},
    {Kind::Button, "cmdDisassemble", nullptr, "Disassemble!", {120, 3480, 1335, 375}, 17},
    {Kind::Button, "cmdAssemble", nullptr, "Assemble!", {1560, 3480, 1335, 375}, 18},
    {Kind::Button, "cmdAbout", nullptr, "About", {3000, 3480, 1215, 375}, 19},
    {Kind::Button, "cmdQuit", nullptr, "Quit", {4320, 3480, 1095, 375}, 20},
    {Kind::Label, "lblStatus", nullptr, "", {120, 3915, 5205, 255}, 22},
};

// The three file dialogs.
const FileDialogRequest& sourceModelDialog() {
    static const FileDialogRequest request{
        FileDialogRequest::Kind::Open, QStringLiteral("Select Vexmoor .p File to disassemble..."),
        FileDialogRequest::filterOf(
            {{"Vexmoor .p Files (*.p*)", "*.p*"}, {"All Files (*.*)", "*.*"}})};
    return request;
}

const FileDialogRequest& indexFileDialog() {
    static const FileDialogRequest request{
        FileDialogRequest::Kind::Open, QStringLiteral("Select Cindervaxel ASM File to assemble..."),
        FileDialogRequest::filterOf(
            {{"Cindervaxel ASM (*.asm)", "*.asm"}, {"All Files (*.*)", "*.*"}})};
    return request;
}

const FileDialogRequest& destinationModelDialog() {
    static const FileDialogRequest request{
        FileDialogRequest::Kind::Save, QStringLiteral("Select Vexmoor .p File to assemble to..."),
        FileDialogRequest::filterOf(
            {{"Vexmoor .p Files (*.p*)", "*.p*"}, {"All Files (*.*)", "*.*"}})};
    return request;
}

QWidget* createControl(const ControlRow& row, QWidget* container) {
    const QString caption = QString::fromUtf8(row.caption);
    QWidget* control = nullptr;
    switch (row.kind) {
        case Kind::Frame:
            control = new QGroupBox(caption, container);
            break;
        case Kind::TextField:
            control = new QLineEdit(caption, container);
            break;
        case Kind::Button: {
            auto* button = new QPushButton(caption, container);
            // Return presses a focused button, as Space does. Outside a dialog this makes no
            // button the window's default.
            button->setAutoDefault(true);
            control = button;
            break;
        }
        case Kind::CheckBox:
            control = new QCheckBox(caption, container);
            break;
        case Kind::Label:
            control = new QLabel(caption, container);
            break;
    }
    control->setObjectName(QString::fromUtf8(row.name));
    return control;
}

// The path that the text `text` of a field or of the program's start names: where the window's
// text becomes a path.
std::filesystem::path pathOf(const QString& text) {
    return toPath(text.toStdString());
}

// A path as the window shows it: with '\\' on Windows.
QString shown(const std::filesystem::path& path) {
    return QDir::toNativeSeparators(QString::fromStdString(toText(path)));
}

}  // namespace

frmMain::frmMain(FileChooser chooseFile)
    : m_chooseFile(std::move(chooseFile)), m_workspace(nativeFileSystem()) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QString::fromUtf8(kTitle));
    setWindowIcon(Pictures::programIcon());
    // A fixed single border: it can be minimised, not maximised or resized.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    // Quit and the close box unload the window.
    setAttribute(Qt::WA_DeleteOnClose);

    createControls();
    connectControls();

    const QRect screenArea = screen()->availableGeometry();
    setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(), screenArea));
}

frmMain::~frmMain() {
    frmAbout::mainWindowGone();
}

void frmMain::createControls() {
    std::vector<std::pair<QWidget*, const ControlRow*>> created;
    for (const ControlRow& row : kControls) {
        QWidget* container =
            row.container ? findChild<QWidget*>(QString::fromUtf8(row.container)) : this;
        created.emplace_back(createControl(row, container), &row);
    }
    auto control = [this]<typename T>(T*& member, const char* name) {
        member = findChild<T*>(QString::fromUtf8(name));
    };
    control(txtSourceFile, "txtSourceFile");
    control(txtSourceASM, "txtSourceASM");
    control(txtDestP, "txtDestP");
    control(chkFolder, "chkFolder");
    control(cmdSourceFile, "cmdSourceFile");
    control(cmdSourceASM, "cmdSourceASM");
    control(cmdDestP, "cmdDestP");
    control(cmdDisassemble, "cmdDisassemble");
    control(cmdAssemble, "cmdAssemble");
    control(cmdAbout, "cmdAbout");
    control(cmdQuit, "cmdQuit");
    control(lblStatus, "lblStatus");

    // The settings that no operation reads keep their initial states only.
    findChild<QCheckBox*>(QStringLiteral("chkASM"))->setChecked(true);
    findChild<QCheckBox*>(QStringLiteral("chkBIN"))->setChecked(true);
    findChild<QCheckBox*>(QStringLiteral("chkTXT"))->setEnabled(false);
    findChild<QCheckBox*>(QStringLiteral("chkGeneral"))->setEnabled(false);
    auto* credit = findChild<QLabel*>(QStringLiteral("Label1"));
    credit->setAlignment(Qt::AlignCenter);
    credit->setEnabled(false);

    // One scale for the whole layout: the largest at which every caption, here and in the About
    // window, shows whole at the default font.
    for (const auto& [widget, row] : created) {
        m_scale.fit(*widget, QSize(row->twips.width, row->twips.height));
    }
    frmAbout::fitTexts(m_scale);
    for (const auto& [widget, row] : created) {
        widget->setGeometry(m_scale.toPixels(row->twips));
    }
    setFixedSize(m_scale.toPixels(kClientWidthTwips, kClientHeightTwips));

    // Keyboard order by tab index over the controls that take focus at all. Frames stay out of
    // the chain: Qt would move each frame's children along with it.
    std::erase_if(created,
                  [](const auto& entry) { return !(entry.first->focusPolicy() & Qt::TabFocus); });
    std::stable_sort(created.begin(), created.end(), [](const auto& a, const auto& b) {
        return a.second->tabIndex < b.second->tabIndex;
    });
    for (std::size_t i = 1; i < created.size(); ++i) {
        setTabOrder(created[i - 1].first, created[i].first);
    }
    // Focus starts on the first of them that is enabled.
    const auto first = std::find_if(created.begin(), created.end(),
                                    [](const auto& entry) { return entry.first->isEnabled(); });
    if (first != created.end()) {
        first->first->setFocus();
    }

    auto* dropFilter = new PathDropFilter(this);
    for (QLineEdit* field : {txtSourceFile, txtSourceASM, txtDestP}) {
        field->installEventFilter(dropFilter);
    }
}

void frmMain::connectControls() {
    connect(cmdSourceFile, &QPushButton::clicked, this, &frmMain::cmdSourceFile_Click);
    connect(cmdSourceASM, &QPushButton::clicked, this, &frmMain::cmdSourceASM_Click);
    connect(cmdDestP, &QPushButton::clicked, this, &frmMain::cmdDestP_Click);
    connect(cmdDisassemble, &QPushButton::clicked, this, &frmMain::cmdDisassemble_Click);
    connect(cmdAssemble, &QPushButton::clicked, this, &frmMain::cmdAssemble_Click);
    connect(cmdAbout, &QPushButton::clicked, this, &frmMain::cmdAbout_Click);
    connect(cmdQuit, &QPushButton::clicked, this, &QWidget::close);
}

void frmMain::openGiven(const QString& path) {
    QLineEdit* field = names::isIndexName(pathOf(path)) ? txtSourceASM : txtSourceFile;
    field->setText(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
}

void frmMain::chooseInto(QLineEdit* field, const FileDialogRequest& request) {
    FileDialogRequest startingAtField = request;
    startingAtField.directory = FileDialogRequest::startDirectory(field->text());
    const QString path = m_chooseFile(this, startingAtField);
    if (!path.isEmpty()) {
        // Qt gives '/' on every system; a Windows user reads and types '\'.
        field->setText(QDir::toNativeSeparators(path));
    }
}

void frmMain::runOperation(QPushButton* button, const std::function<QString()>& operation) {
    m_running = button;
    lblStatus->clear();
    lblStatus->setToolTip(QString());
    const QString done = operation();
    m_running = nullptr;
    // The whole line in the tip; as much as fits at the foot, its middle left out.
    const QString line = done.isEmpty() ? QStringLiteral("Nothing was written.") : done;
    lblStatus->setText(
        lblStatus->fontMetrics().elidedText(line, Qt::ElideMiddle, lblStatus->width()));
    lblStatus->setToolTip(line);
    // Greyed out, the button gave the focus to the next control; a Return must not start another
    // operation.
    button->setFocus();
}

void frmMain::cmdSourceFile_Click() {
    chooseInto(txtSourceFile, sourceModelDialog());
}

void frmMain::cmdSourceASM_Click() {
    chooseInto(txtSourceASM, indexFileDialog());
}

void frmMain::cmdDestP_Click() {
    chooseInto(txtDestP, destinationModelDialog());
}

void frmMain::cmdDisassemble_Click() {
    runOperation(cmdDisassemble, [this] {
        const std::optional<SplitDone> done =
            split(m_workspace, *this, pathOf(txtSourceFile->text()), chkFolder->isChecked());
        if (!done) {
            return QString();
        }
        const QString folder = shown(done->folder);
        if (done->written == 0) {
            return QStringLiteral("Disassembled: the %1 files in %2 hold these bytes already.")
                .arg(done->files)
                .arg(folder);
        }
        return QStringLiteral("Disassembled: %1 of %2 files written in %3 (%4).")
            .arg(done->written)
            .arg(done->files)
            .arg(folder, shown(done->index));
    });
}

void frmMain::cmdAssemble_Click() {
    runOperation(cmdAssemble, [this] {
        const std::filesystem::path index = pathOf(txtSourceASM->text());
        // Taken as the run takes it, against the folder current at its start.
        const QString written =
            QDir::toNativeSeparators(QFileInfo(txtDestP->text()).absoluteFilePath());
        if (join(m_workspace, *this, index, pathOf(txtDestP->text()), LengthCheck::Ask) !=
            JoinResult::Joined) {
            return QString();  // a length that differs leaves the window as it is, too
        }
        return QStringLiteral("Assembled: %1 written from %2.")
            .arg(written, shown(index.filename()));
    });
}

void frmMain::cmdAbout_Click() {
    frmAbout::display(m_scale);
}

void frmMain::ShowMessage(const Message& message) {
    QMessageBox box(QMessageBox::Critical, UiText::display(message.title),
                    UiText::display(message.text), QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    // The message's own lines stay as they are; the file, the cause and the next step go below,
    // as plain text too: a file name is never taken for markup.
    box.setInformativeText(UiText::display(message.detail));
    if (auto* below = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"))) {
        below->setTextFormat(Qt::PlainText);
    }
    box.exec();
}

void frmMain::ShowNote(const std::string& text) {
    QMessageBox box(QMessageBox::Information, QStringLiteral("Note"), UiText::display(text),
                    QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

Answer frmMain::ask(QMessageBox& box) {
    // A Cancel button that is never shown takes Escape and the box's close button, so that they
    // answer neither Yes nor No.
    QPushButton* cancel = box.addButton(QMessageBox::Cancel);
    cancel->hide();
    box.setEscapeButton(cancel);
    const int answer = box.exec();
    return answer == QMessageBox::Yes  ? Answer::Yes
           : answer == QMessageBox::No ? Answer::No
                                       : Answer::Cancel;
}

Answer frmMain::AskYesNo(const std::string& text, const std::string& title) {
    QMessageBox box(QMessageBox::Question, UiText::display(title), UiText::display(text),
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Yes);
    return ask(box);
}

Answer frmMain::AskToReplace(const ReplaceQuestion& question) {
    std::string text;
    if (question.run == ReplaceQuestion::Run::Split) {
        const std::size_t count = question.files.size();
        text = "Disassemble! would replace " + std::to_string(count) +
               (count == 1 ? " file" : " files") + " in " +
               toText(question.files.front().file.parent_path()) +
               (count == 1 ? " that holds" : " that hold") + " other work:\r\n";
        // Files for the same reason in a line, which the reason closes.
        for (std::size_t i = 0; i < count; ++i) {
            const WorkInTheWay& file = question.files[i];
            const bool first = i == 0 || question.files[i - 1].why != file.why;
            const bool last = i + 1 == count || question.files[i + 1].why != file.why;
            text += (first ? "\r\n" : ", ") + toText(file.file.filename()) +
                    (last ? ": " + file.why : "");
        }
        text += std::string("\r\n\r\n") + (count == 1 ? "Replace it?" : "Replace them?") +
                " No keeps every file as it is: Assemble! the set first" +
                (question.ownFolder ? "." : ", or tick \"create own Folder\".");
    } else {
        text = "Assemble! would replace " + toText(question.given) + ", which is " +
               question.files.front().why +
               ".\r\n\r\nReplace it? No keeps it: choose another "
               "Destination File.";
    }
    QMessageBox box(QMessageBox::Question, QStringLiteral("Replace Files?"), UiText::display(text),
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::No);
    return ask(box);
}

const Wording& frmMain::words() const {
    static constexpr Wording kWindowWording{
        "Assemble!", "press Disassemble!", "untick \"create own Folder\"",
        "choose a file with \"...\"",
        "put the index file (.asm) into the Assembler's Source File and the model to write into "
        "its Destination File"};
    return kWindowWording;
}

void frmMain::SetBusy(bool busy) {
    if (m_running != nullptr) {
        m_running->setEnabled(!busy);
    }
}

}  // namespace cvx
