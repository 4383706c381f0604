#include "frmApply.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include "ControlTable.h"
#include "PathDropFilter.h"
#include "Pictures.h"
#include "UiText.h"
#include "convert/SetNames.h"
#include "files/PathText.h"
#include "session/Session.h"

namespace cvx {
namespace {

constexpr int kClientWidthTwips = 5415;
constexpr int kClientHeightTwips = 3120;

using controls::Kind;

// The window's controls in their nesting order, laid out as the main window's frames are.
const controls::Row kControls[] = {
    {Kind::Frame, "framPatch", nullptr, "Patch", {120, 120, 5175, 615}, 0},
    {Kind::TextField, "txtPatch", "framPatch", "", {120, 240, 4935, 285}, 7},
    {Kind::Frame,
     "framOriginal",
     nullptr,
     "Original (model .p or index .asm)",
     {120, 840, 5175, 615},
     0},
    {Kind::TextField, "txtOriginal", "framOriginal", "", {120, 240, 4455, 285}, 1},
    {Kind::Button, "cmdOriginal", "framOriginal", "...", {4680, 240, 375, 255}, 2},
    {Kind::Frame, "framDestination", nullptr, "Model to Write (.p)", {120, 1560, 5175, 615}, 0},
    {Kind::TextField, "txtDestination", "framDestination", "", {120, 240, 4455, 285}, 3},
    {Kind::Button, "cmdDestination", "framDestination", "...", {4680, 240, 375, 255}, 4},
    {Kind::Button, "cmdApply", nullptr, "Apply!", {120, 2280, 1335, 375}, 5},
    {Kind::Button, "cmdClose", nullptr, "Close", {4200, 2280, 1095, 375}, 6},
    {Kind::Label, "lblStatus", nullptr, "", {120, 2760, 5175, 255}, 8},
};

const FileDialogRequest& originalDialog() {
    static const FileDialogRequest request{
        FileDialogRequest::Kind::Open,
        QStringLiteral("Select Vexmoor .p File or Cindervaxel ASM File to patch..."),
        FileDialogRequest::filterOf(
            {{"Vexmoor .p Files and Cindervaxel ASM", "*.p* *.asm"}, {"All Files (*.*)", "*.*"}})};
    return request;
}

const FileDialogRequest& destinationDialog() {
    static const FileDialogRequest request{
        FileDialogRequest::Kind::Save, QStringLiteral("Select Vexmoor .p File to write..."),
        FileDialogRequest::filterOf(
            {{"Vexmoor .p Files (*.p*)", "*.p*"}, {"All Files (*.*)", "*.*"}})};
    return request;
}

// The path that the text of a field names: where the window's text becomes a path.
std::filesystem::path pathOf(const QString& text) {
    return toPath(text.toStdString());
}

QString absoluteNative(const QString& path) {
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

// The model to write for the original `text`: the original itself, or for a set's index file the
// set's own model beside it ("robot.p" for "robot.asm"), as a join would write it.
QString modelToWriteFor(const QString& text) {
    return names::isIndexName(pathOf(text)) ? text.chopped(4) + QStringLiteral(".p") : text;
}

}  // namespace

bool applyPatches(Workspace& workspace, UserInterface& ui, const std::filesystem::path& original,
                  const std::vector<std::filesystem::path>& patches,
                  const std::filesystem::path& destination) {
    return apply(workspace, ui, original, patches, destination);
}

frmApply::frmApply(const QString& patch, ApplyOperation apply, FileChooser chooseFile,
                   const TwipScale& scale, QWidget* owner)
    : QWidget(owner, controls::kFixedSingleBorder),
      MessageBoxes(this),
      m_apply(std::move(apply)),
      m_chooseFile(std::move(chooseFile)),
      m_workspace(nativeFileSystem()) {
    setObjectName(QStringLiteral("frmApply"));
    setWindowTitle(QStringLiteral("Apply Patch"));
    setWindowIcon(Pictures::programIcon());
    setAttribute(Qt::WA_DeleteOnClose);
    createControls(scale);

    txtPatch->setReadOnly(true);
    txtPatch->setText(absoluteNative(patch));
    m_patch = pathOf(txtPatch->text());
    txtOriginal->setPlaceholderText(QStringLiteral("*.p, *.asm"));
    txtDestination->setPlaceholderText(QStringLiteral("*.p"));
    // The first step is choosing the original.
    cmdOriginal->setFocus();

    connect(txtOriginal, &QLineEdit::textChanged, this, &frmApply::txtOriginal_Change);
    connect(cmdOriginal, &QPushButton::clicked, this,
            [this] { chooseInto(*txtOriginal, originalDialog(), m_chooseFile); });
    connect(cmdDestination, &QPushButton::clicked, this,
            [this] { chooseInto(*txtDestination, destinationDialog(), m_chooseFile); });
    connect(cmdApply, &QPushButton::clicked, this, &frmApply::cmdApply_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);

    // Over the main window, or in the middle of the screen.
    const QRect area = owner ? owner->geometry() : screen()->availableGeometry();
    setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(), area));
}

void frmApply::createControls(const TwipScale& scale) {
    // The fields are fitted empty: a long path must not shrink the layout.
    const controls::Created created = controls::create(*this, kControls);
    TwipScale fitted = scale;
    controls::fit(created, fitted);
    controls::place(*this, created, fitted, {kClientWidthTwips, kClientHeightTwips});
    auto control = [this]<typename T>(T*& member, const char* name) {
        member = findChild<T*>(QString::fromUtf8(name));
    };
    control(txtPatch, "txtPatch");
    control(txtOriginal, "txtOriginal");
    control(txtDestination, "txtDestination");
    control(cmdOriginal, "cmdOriginal");
    control(cmdDestination, "cmdDestination");
    control(cmdApply, "cmdApply");
    control(cmdClose, "cmdClose");
    control(lblStatus, "lblStatus");

    // Another patch dropped on the window takes this one's place.
    auto* dropFilter = new PathDropFilter(this, [this](const QString& path) {
        txtPatch->setText(path);
        m_patch = pathOf(path);
    });
    setAcceptDrops(true);
    for (QWidget* widget :
         {static_cast<QWidget*>(this), static_cast<QWidget*>(txtPatch),
          static_cast<QWidget*>(txtOriginal), static_cast<QWidget*>(txtDestination)}) {
        widget->installEventFilter(dropFilter);
    }
}

void frmApply::txtOriginal_Change(const QString& text) {
    // The model to write follows the original until the user gives another.
    const QString destination = txtDestination->text();
    const QString follows = modelToWriteFor(text);
    if (destination.isEmpty() || destination == m_followed) {
        txtDestination->setText(follows);
    }
    m_followed = follows;
}

void frmApply::cmdApply_Click() {
    lblStatus->clear();
    lblStatus->setToolTip(QString());
    // Taken as the run takes it, against the folder current at its start.
    const QString written = absoluteNative(txtDestination->text());
    const bool applied = m_apply(m_workspace, *this, pathOf(txtOriginal->text()), {m_patch},
                                 pathOf(txtDestination->text()));
    UiText::showOutcome(*lblStatus,
                        applied ? QStringLiteral("Applied: %1 written.").arg(written) : QString());
    // Greyed out, the button gave the focus to the next control.
    cmdApply->setFocus();
}

void frmApply::SetBusy(bool busy) {
    cmdApply->setEnabled(!busy);
}

}  // namespace cvx
