# Cross-builds fully static 64-bit Windows executables with Debian's mingw-w64 (posix threads).
#
#     cmake --preset windows        # or: cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
#
# The executables import only KERNEL32 and msvcrt, so they run on a bare Windows and under Wine,
# which this file names as the emulator: ctest and test discovery run them through it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CINDERVAXEL_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${CINDERVAXEL_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${CINDERVAXEL_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${CINDERVAXEL_MINGW_PREFIX}-windres)

# Libraries, headers and packages come from the Windows sysroot only; programs run on the host.
set(CMAKE_FIND_ROOT_PATH /usr/${CINDERVAXEL_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# -static-libgcc -static-libstdc++ alone would still leave libwinpthread-1.dll to ship. The window
# program cannot be static: it shares one C++ runtime with Qt's DLLs, so with Qt (the windows-ui
# preset, through Qt's toolchain file) CINDERVAXEL_SHARED_RUNTIME links every program against the
# runtime DLLs, and only cindervaxel-cli is made static on its own.
if(NOT CINDERVAXEL_SHARED_RUNTIME)
    set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
endif()

# Debian keeps the 64-bit loader off PATH.
find_program(CINDERVAXEL_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(NOT CINDERVAXEL_WINE)
    find_program(CINDERVAXEL_WINE NAMES wine64 wine)
endif()
if(CINDERVAXEL_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CINDERVAXEL_WINE})
endif()
