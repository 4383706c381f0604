#include "PathDropFilter.h"

#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QMimeData>

#include "PatchFile.h"

namespace cvx {

QString PathDropFilter::droppedFilePath(const QMimeData* mime) {
    if (mime == nullptr || !mime->hasUrls() || mime->urls().size() != 1) {
        return {};
    }
    const QUrl url = mime->urls().constFirst();
    if (!url.isLocalFile()) {
        return {};
    }
    const QString path = url.toLocalFile();
    if (QFileInfo(path).isDir()) {
        return {};
    }
    return QDir::toNativeSeparators(path);
}

bool PathDropFilter::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop) {
        return false;
    }
    // Drag enter and move events are drop events too, without the drop.
    auto* drop = static_cast<QDropEvent*>(event);
    const QString path = droppedFilePath(drop->mimeData());
    auto* field = qobject_cast<QLineEdit*>(watched);
    const bool patch = !path.isEmpty() && isPatchFile(path);
    if (!patch && (field == nullptr || path.isEmpty())) {
        return false;
    }
    drop->acceptProposedAction();
    if (type == QEvent::Drop) {
        if (patch) {
            m_openPatch(path);
        } else {
            field->setText(path);
        }
    }
    return true;
}

}  // namespace cvx
