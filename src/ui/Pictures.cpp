#include "Pictures.h"

#include <QtGlobal>

// The pictures live in this static library: without a reference from code that surely runs, the
// linker drops them and every picture loads as an empty pixmap. Q_INIT_RESOURCE must be used
// outside any namespace, unnamed ones included.
static void initPictureResources() {
    static const bool done = [] {
        Q_INIT_RESOURCE(pictures);
        return true;
    }();
    Q_UNUSED(done);
}

namespace cvx {

QPixmap Pictures::aboutBackground() {
    initPictureResources();
    return QPixmap(QStringLiteral(":/cindervaxel/about.gif"));
}

QPixmap Pictures::programPicture() {
    initPictureResources();
    return QPixmap(QStringLiteral(":/cindervaxel/cindervaxel.ico"));
}

QIcon Pictures::programIcon() {
    return QIcon(programPicture());
}

}  // namespace cvx
