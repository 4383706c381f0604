#include "PatchFile.h"

#include <QFile>
#include <QFileInfo>

namespace cvx {

bool isPatchFile(const QString& path) {
    if (path.endsWith(QStringLiteral(".cvxpatch"), Qt::CaseInsensitive)) {
        return true;
    }
    // Only a regular file is opened: reading a pipe or a device could wait for ever.
    QFile file(path);
    const auto size = static_cast<qint64>(kPatchSignature.size());
    return QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly) &&
           file.read(size) == QByteArray(kPatchSignature.data(), size);
}

}  // namespace cvx
