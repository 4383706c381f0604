# The DLLs a program built with Qt and MinGW loads besides Qt's: the MinGW runtime, which lies
# beside Qt's DLLs (scripts/build-qt-windows.sh puts it there, as Qt's own MinGW builds do).
# Included after find_package(Qt6) and before any target, so that under Wine the programs of the
# build tree and their tests find all these DLLs through WINEPATH.
set(CINDERVAXEL_QT_BINDIR ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS})
set(CINDERVAXEL_RUNTIME_DLLS)
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    if(NOT EXISTS ${CINDERVAXEL_QT_BINDIR}/${dll})
        message(FATAL_ERROR "${dll} is not beside Qt's DLLs in ${CINDERVAXEL_QT_BINDIR}: "
                            "build Qt with scripts/build-qt-windows.sh")
    endif()
    list(APPEND CINDERVAXEL_RUNTIME_DLLS ${CINDERVAXEL_QT_BINDIR}/${dll})
endforeach()

if(CMAKE_CROSSCOMPILING_EMULATOR AND CMAKE_HOST_UNIX)
    # Wine shows the host's root as drive Z:.
    set(CMAKE_CROSSCOMPILING_EMULATOR
        ${CMAKE_COMMAND} -E env "WINEPATH=Z:${CINDERVAXEL_QT_BINDIR}" ${CMAKE_CROSSCOMPILING_EMULATOR})
endif()
