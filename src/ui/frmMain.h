#pragma once

#include <QWidget>
#include <functional>

#include "FileDialogRequest.h"
#include "TwipScale.h"
#include "convert/Workspace.h"
#include "session/UserInterface.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QMessageBox;
class QPushButton;

namespace cvx {

// The main window: the inputs of the two operations, their buttons, About and Quit. It owns the
// workspace that both operations share and is the user interface they talk to.
class frmMain final : public QWidget, public UserInterface {
    Q_OBJECT

public:
    explicit frmMain(FileChooser chooseFile = chooseWithPlatformDialog);
    ~frmMain() override;

    // Puts the file `path` that the program was started with into the field it belongs in, as an
    // absolute path: an index file (*.asm) into the Assembler's source field, any other file into
    // the Disassembler's.
    void openGiven(const QString& path);

    // The scale of this window's layout, shared with the About window.
    const TwipScale& twipScale() const { return m_scale; }

    void ShowMessage(const Message& message) override;
    // Shows `text` in a box with the information icon and one OK button.
    void ShowNote(const std::string& text) override;
    // Escape, or the box's close button, answers Cancel.
    Answer AskYesNo(const std::string& text, const std::string& title) override;
    // Asks with the question icon whether to replace the files, No being the default; Escape
    // answers Cancel.
    Answer AskToReplace(const ReplaceQuestion& question) override;
    const Wording& words() const override;
    // Greys out the button whose operation is running, and enables it again.
    void SetBusy(bool busy) override;

private:
    void createControls();
    void connectControls();
    void chooseInto(QLineEdit* field, const FileDialogRequest& request);
    // Runs the operation that `button` starts; it returns what the line at the window's foot
    // says then (empty: the run wrote nothing). The focus goes back to `button` afterwards.
    void runOperation(QPushButton* button, const std::function<QString()>& operation);
    // Shows `box` and returns its answer: Cancel for Escape or the box's close button.
    static Answer ask(QMessageBox& box);

    void cmdSourceFile_Click();
    void cmdSourceASM_Click();
    void cmdDestP_Click();
    void cmdDisassemble_Click();
    void cmdAssemble_Click();
    void cmdAbout_Click();

    FileChooser m_chooseFile;
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
