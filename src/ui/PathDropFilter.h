#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QMimeData;

namespace cvx {

// Lets a file dragged from a file manager onto a path field replace the field's text with the
// file's full local path, as choosing it in the file dialog would. A mod patch dropped on any
// widget the filter watches goes to `openPatch` instead. Anything else that is dropped (text,
// several files, a folder, a remote address) is left to the widget's own handling.
class PathDropFilter final : public QObject {
    Q_OBJECT

public:
    PathDropFilter(QObject* parent, std::function<void(const QString& patch)> openPatch)
        : QObject(parent), m_openPatch(std::move(openPatch)) {}

    // Returns the local path of the one file that `mime` carries, or the empty text.
    static QString droppedFilePath(const QMimeData* mime);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void(const QString& patch)> m_openPatch;
};

}  // namespace cvx
