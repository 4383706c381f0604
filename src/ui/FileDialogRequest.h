#pragma once

#include <QString>
#include <functional>
#include <initializer_list>
#include <utility>

class QLineEdit;
class QWidget;

namespace cvx {

// What the main window asks of a file chooser: an open or a save dialog with a title and a filter
// in Qt's form ("Text (*.p*);;All Files (*.*)"), starting with an empty file name in `directory`
// (empty: where the platform likes).
struct FileDialogRequest {
    enum class Kind { Open, Save };

    Kind kind;
    QString title;
    QString filter;
    QString directory = {};

    // Returns the directory that a dialog for a field holding `fieldText` starts in. On Windows
    // it is the directory of the path in the field (drive letter, UNC or any name) in native
    // form, when the text is an absolute path and that directory exists. Elsewhere, and
    // otherwise, it is the empty text: the platform's dialog keeps its own last directory.
    static QString startDirectory(const QString& fieldText);

    // Returns the Qt filter string for pairs of display text and pattern. A display text that
    // already ends in its pattern in parentheses is taken as it stands; otherwise the pattern is
    // added in parentheses, which is where Qt looks for it.
    static QString filterOf(std::initializer_list<std::pair<QString, QString>> pairs);
};

// Shows the dialog for `request` over `parent` and returns the chosen file's full path, or the
// empty text when the user cancelled.
using FileChooser = std::function<QString(QWidget* parent, const FileDialogRequest& request)>;

// The platform's own file dialogs (posix/ and windows/PlatformDialog.cpp). An open dialog accepts
// only an existing file; a save dialog takes a new or an existing file without asking about
// replacing it.
QString chooseWithPlatformDialog(QWidget* parent, const FileDialogRequest& request);

// Lets the user choose a file for `field` with `chooseFile` over the field's window, starting where
// the field's path points, and puts the chosen file's path into the field in native form. A
// cancelled dialog leaves the field as it was.
void chooseInto(QLineEdit& field, const FileDialogRequest& request, const FileChooser& chooseFile);

}  // namespace cvx
