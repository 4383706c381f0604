#pragma once

#include <QWidget>
#include <filesystem>
#include <functional>
#include <vector>

#include "FileDialogRequest.h"
#include "MessageBoxes.h"
#include "TwipScale.h"
#include "convert/Workspace.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace cvx {

// Applies the patch files `patches`, in order, to `original` (a model file or the index file of a
// split set), writing the model file `destination`, which may be `original` itself; talks to the
// user through the UserInterface it is given. Returns true when the model was written.
using ApplyOperation = std::function<bool(
    Workspace& workspace, UserInterface& ui, const std::filesystem::path& original,
    const std::vector<std::filesystem::path>& patches, const std::filesystem::path& destination)>;

// What Apply! runs where no other operation is given: the patches applied as the command line's
// apply applies them, a conflict between two of them refused.
bool applyPatches(Workspace& workspace, UserInterface& ui, const std::filesystem::path& original,
                  const std::vector<std::filesystem::path>& patches,
                  const std::filesystem::path& destination);

// The Apply Patch window: the patch it was opened for, the model to apply it to, the model to
// write and Apply!. It is the user interface its operation talks to.
class frmApply final : public QWidget, public MessageBoxes {
    Q_OBJECT

public:
    // Opens the window for the patch file `patch` (taken against the current folder) over `owner`,
    // laid out at `scale`, lowered as far as its own captions need.
    frmApply(const QString& patch, ApplyOperation apply, FileChooser chooseFile,
             const TwipScale& scale, QWidget* owner = nullptr);

    // Greys out Apply! while the operation runs, and enables it again.
    void SetBusy(bool busy) override;

private:
    void createControls(const TwipScale& scale);
    void txtOriginal_Change(const QString& text);
    void cmdApply_Click();

    ApplyOperation m_apply;
    FileChooser m_chooseFile;
    Workspace m_workspace;
    std::filesystem::path m_patch;
    QString m_followed;  // what the model to write was last given from the original

    QLineEdit* txtPatch = nullptr;
    QLineEdit* txtOriginal = nullptr;
    QLineEdit* txtDestination = nullptr;
    QPushButton* cmdOriginal = nullptr;
    QPushButton* cmdDestination = nullptr;
    QPushButton* cmdApply = nullptr;
    QPushButton* cmdClose = nullptr;
    QLabel* lblStatus = nullptr;  // what the last run wrote, at the window's foot
};

}  // namespace cvx
