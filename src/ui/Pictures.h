#pragma once

#include <QIcon>
#include <QPixmap>

namespace cvx {

// The program's pictures, compiled into the program as Qt resources.
class Pictures {
public:
    // The About window's background: 254 × 254 pixels.
    static QPixmap aboutBackground();
    // The program's picture: 64 × 64 pixels, 256 colours.
    static QPixmap programPicture();
    // The program's picture as the icon of its windows.
    static QIcon programIcon();
};

}  // namespace cvx
