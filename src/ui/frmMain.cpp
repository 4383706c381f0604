#include "frmMain.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include "ControlTable.h"
#include "PatchFile.h"
#include "PathDropFilter.h"
#include "Pictures.h"
#include "UiText.h"
#include "convert/SetNames.h"
#include "files/PathText.h"
#include "frmAbout.h"
#include "frmApply.h"
#include "session/Session.h"

namespace cvx {
namespace {

const char* const kTitle = "Cindervaxel V1.0 - File Tool for Vexmoor .p Model Files";
const char* const kCreditNote = "2026 Cindervaxel team";

constexpr int kClientWidthTwips = 5445;
constexpr int kClientHeightTwips = 4230;

using controls::Kind;

// The window's controls in their nesting order.
const controls::Row kControls[] = {
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

frmMain::frmMain(FileChooser chooseFile, ApplyOperation apply)
    : MessageBoxes(this),
      m_chooseFile(std::move(chooseFile)),
      m_apply(std::move(apply)),
      m_workspace(nativeFileSystem()) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QString::fromUtf8(kTitle));
    setWindowIcon(Pictures::programIcon());
    setWindowFlags(controls::kFixedSingleBorder);
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
    const controls::Created created = controls::create(*this, kControls);
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
    controls::fit(created, m_scale);
    frmAbout::fitTexts(m_scale);
    controls::place(*this, created, m_scale, {kClientWidthTwips, kClientHeightTwips});

    // A file dropped on a field goes into it; a patch dropped anywhere opens the Apply window.
    auto* dropFilter = new PathDropFilter(this, [this](const QString& patch) { openPatch(patch); });
    setAcceptDrops(true);
    for (QWidget* widget : {static_cast<QWidget*>(this), static_cast<QWidget*>(txtSourceFile),
                            static_cast<QWidget*>(txtSourceASM), static_cast<QWidget*>(txtDestP)}) {
        widget->installEventFilter(dropFilter);
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
    if (isPatchFile(path)) {
        openPatch(path);
        return;
    }
    QLineEdit* field = names::isIndexName(pathOf(path)) ? txtSourceASM : txtSourceFile;
    field->setText(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
}

frmApply* frmMain::openPatch(const QString& path) {
    auto* window = new frmApply(path, m_apply, m_chooseFile, m_scale, this);
    window->show();
    return window;
}

void frmMain::runOperation(QPushButton* button, const std::function<QString()>& operation) {
    m_running = button;
    lblStatus->clear();
    lblStatus->setToolTip(QString());
    const QString done = operation();
    m_running = nullptr;
    UiText::showOutcome(*lblStatus, done);
    // Greyed out, the button gave the focus to the next control; a Return must not start another
    // operation.
    button->setFocus();
}

void frmMain::cmdSourceFile_Click() {
    chooseInto(*txtSourceFile, sourceModelDialog(), m_chooseFile);
}

void frmMain::cmdSourceASM_Click() {
    chooseInto(*txtSourceASM, indexFileDialog(), m_chooseFile);
}

void frmMain::cmdDestP_Click() {
    chooseInto(*txtDestP, destinationModelDialog(), m_chooseFile);
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

void frmMain::SetBusy(bool busy) {
    if (m_running != nullptr) {
        m_running->setEnabled(!busy);
    }
}

}  // namespace cvx
