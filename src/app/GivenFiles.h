#pragma once

#include <QStringList>

namespace cvx {

// Returns the files that the program was started with ("Open with" of a file manager gives one),
// as Unicode text: its arguments but the program's name. The way to them differs between the
// platforms: posix/GivenFiles.cpp and windows/GivenFiles.cpp.
QStringList givenFiles(int argc, char** argv);

}  // namespace cvx
