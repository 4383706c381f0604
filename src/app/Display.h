#pragma once

namespace cvx {

// True when there is a display to show the window on, or a platform that needs none was chosen;
// posix/Display.cpp and windows/Display.cpp say how each platform tells.
bool displayToShowOn();

}  // namespace cvx
