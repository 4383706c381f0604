#pragma once

#include <QObject>
#include <QString>

class QMimeData;

namespace cvx {

// Lets a file dragged from a file manager onto a path field replace the field's text with the
// file's full local path, as choosing it in the file dialog would. Anything else that is dropped
// (text, several files, a folder, a remote address) is left to the field's own handling.
class PathDropFilter final : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // Returns the local path of the one file that `mime` carries, or the empty text.
    static QString droppedFilePath(const QMimeData* mime);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace cvx
