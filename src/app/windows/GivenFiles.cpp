#include "app/GivenFiles.h"

#include <windows.h>

// Needs the types that windows.h declares, so it comes after it.
#include <shellapi.h>

namespace cvx {

// The narrow arguments come in the Windows code page, which cannot hold every file name: the
// wide command line is exact.
QStringList givenFiles(int, char**) {
    QStringList files;
    int count = 0;
    if (LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count)) {
        for (int i = 1; i < count; ++i) {
            files << QString::fromWCharArray(wide[i]);
        }
        ::LocalFree(wide);
    }
    return files;
}

}  // namespace cvx
