#include "app/Display.h"

namespace cvx {

// A Windows session always has its desktop.
bool displayToShowOn() {
    return true;
}

}  // namespace cvx
