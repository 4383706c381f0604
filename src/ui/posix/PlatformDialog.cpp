#include <QFileDialog>

#include "ui/FileDialogRequest.h"

namespace cvx {

// Qt's file dialog, which follows the desktop's.
QString chooseWithPlatformDialog(QWidget* parent, const FileDialogRequest& request) {
    // A directory and no name: the name box starts empty, and the first filter is selected.
    if (request.kind == FileDialogRequest::Kind::Save) {
        return QFileDialog::getSaveFileName(parent, request.title, request.directory,
                                            request.filter, nullptr,
                                            QFileDialog::DontConfirmOverwrite);
    }
    return QFileDialog::getOpenFileName(parent, request.title, request.directory, request.filter);
}

}  // namespace cvx
