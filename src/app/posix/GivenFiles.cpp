#include "app/GivenFiles.h"

#include <QFile>

namespace cvx {

// The arguments are bytes, in the file system's own encoding.
QStringList givenFiles(int argc, char** argv) {
    QStringList files;
    for (int i = 1; i < argc; ++i) {
        files << QFile::decodeName(argv[i]);
    }
    return files;
}

}  // namespace cvx
