#pragma once

#include <QWidget>
#include <functional>

#include "FileDialogRequest.h"
#include "TwipScale.h"
#include "convert/UserInterface.h"
#include "convert/Workspace.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace cvx {

// The main window: the inputs of the two operations, their buttons, About and Quit. It owns the
// workspace that both operations share and is the user interface they talk to.
class frmMain final : public QWidget, public UserInterface {
    Q_OBJECT

public:
    // Ends the process with the given exit status; the real one does not return.
    using ProcessEnd = std::function<void(int status)>;

    // Ends the process at once, without any further step of the windows or the event loop.
    [[noreturn]] static void endProcessNow(int status);

    explicit frmMain(FileChooser chooseFile = chooseWithPlatformDialog,
                     ProcessEnd endProcess = endProcessNow);
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
    Answer AskYesNo(const std::string& text, const std::string& title) override;
    // Asks with the question icon whether to replace the files, No being the default.
    Answer AskToReplace(const ReplaceQuestion& question) override;
    const Wording& words() const override;
    void SetButtonEnabled(Button button, bool enabled) override;
    [[noreturn]] void EndProgram() override;

private:
    void createControls();
    void connectControls();
    void chooseInto(QLineEdit* field, const FileDialogRequest& request);
    // Runs an operation. When a replaced process end returns instead of ending the process,
    // the rest of the operation is abandoned here.
    void runOperation(const std::function<void()>& operation);

    void cmdSourceFile_Click();
    void cmdSourceASM_Click();
    void cmdDestP_Click();
    void cmdDisassemble_Click();
    void cmdAssemble_Click();
    void cmdAbout_Click();

    FileChooser m_chooseFile;
    ProcessEnd m_endProcess;
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
};

}  // namespace cvx
