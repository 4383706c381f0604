#pragma once

#include <QWidget>
#include <functional>

#include "FileDialogRequest.h"
#include "MessageBoxes.h"
#include "TwipScale.h"
#include "convert/Workspace.h"
#include "frmApply.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace cvx {

// The main window: the inputs of the two operations, their buttons, About and Quit. It owns the
// workspace that both operations share and is the user interface they talk to. Mod patches open
// in Apply windows of their own, which run `apply`.
class frmMain final : public QWidget, public MessageBoxes {
    Q_OBJECT

public:
    explicit frmMain(FileChooser chooseFile = chooseWithPlatformDialog,
                     ApplyOperation apply = applyPatches);
    ~frmMain() override;

    // Opens the file `path` that the program was started with: a mod patch in an Apply window
    // (isPatchFile); any other file goes into the field it belongs in, as an absolute path: an
    // index file (*.asm) into the Assembler's source field, any other file into the
    // Disassembler's.
    void openGiven(const QString& path);

    // Shows a new Apply window, owned by this one, for the patch file `path`.
    frmApply* openPatch(const QString& path);

    // The scale of this window's layout, shared with the About and the Apply windows.
    const TwipScale& twipScale() const { return m_scale; }

    // Greys out the button whose operation is running, and enables it again.
    void SetBusy(bool busy) override;

private:
    void createControls();
    void connectControls();
    // Runs the operation that `button` starts; it returns what the line at the window's foot
    // says then (empty: the run wrote nothing). The focus goes back to `button` afterwards.
    void runOperation(QPushButton* button, const std::function<QString()>& operation);

    void cmdSourceFile_Click();
    void cmdSourceASM_Click();
    void cmdDestP_Click();
    void cmdDisassemble_Click();
    void cmdAssemble_Click();
    void cmdAbout_Click();

    FileChooser m_chooseFile;
    ApplyOperation m_apply;
    Workspace m_workspace;
    TwipScale m_scale;

    QLineEdit* txtSourceFile = nullptr;
    QLineEdit* txtSourceASM = nullptr;
    QLineEdit* txtDestP = nullptr;
    QCheckBox* chkFolder = nullptr;
    QPushButton* cmdSourceFile = nullptr;
    QPushButton* cmdSourceASM = nullptr;
    QPushButton* cmdDestP = nullptr;
    QPushButton* cmdDisassemble = nullptr;
    QPushButton* cmdAssemble = nullptr;
    QPushButton* cmdAbout = nullptr;
    QPushButton* cmdQuit = nullptr;
    QLabel* lblStatus = nullptr;       // what the last run wrote, at the window's foot
    QPushButton* m_running = nullptr;  // the button of the operation that is running
};

}  // namespace cvx
