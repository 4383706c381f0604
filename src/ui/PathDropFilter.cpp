#include "PathDropFilter.h"

#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QMimeData>

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
    auto* field = qobject_cast<QLineEdit*>(watched);
    if (field == nullptr) {
        return false;
    }
    switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDropEvent*>(event);
            if (droppedFilePath(drag->mimeData()).isEmpty()) {
                return false;
            }
            drag->acceptProposedAction();
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            const QString path = droppedFilePath(drop->mimeData());
            if (path.isEmpty()) {
                return false;
            }
            field->setText(path);
            drop->acceptProposedAction();
            return true;
        }
        default:
            return false;
    }
}

}  // namespace cvx
