#include "app/Display.h"

#include <cstdlib>

namespace cvx {

// Qt takes its platform from QT_QPA_PLATFORM when that is set (offscreen needs no display);
// otherwise it needs an X server or a Wayland compositor, and aborts without one.
bool displayToShowOn() {
    auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && *value != '\0';
    };
    return set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY");
}

}  // namespace cvx
