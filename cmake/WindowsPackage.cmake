# The Windows packages, made by CPack (scripts/package-windows.sh): a portable zip and an NSIS
# installer of one folder holding both programs, the Qt DLLs and plugins that the window program
# loads, the MinGW runtime, the licence and the notices that Qt's licence asks for. This list is
# all they carry: a cross build has no windeployqt to work it out. Included before CPack, after
# the programs' targets and the top-level CPACK_ settings.

# cindervaxel-cli stays one file that needs no DLL, as the windows preset builds it.
target_link_options(cindervaxel-cli PRIVATE -static)

# Qt's Core, Gui and Widgets, the platform plugin, the native style, and the image formats of the
# program's pictures (the About window's GIF, the icon): without those two the pictures stay
# blank, silently. Qt looks for plugins in these folders beside the program.
install(FILES $<TARGET_RUNTIME_DLLS:cindervaxel> ${CINDERVAXEL_RUNTIME_DLLS} DESTINATION .)
install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin> DESTINATION platforms)
install(FILES $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin> DESTINATION styles)
install(FILES $<TARGET_FILE:Qt6::QGifPlugin> $<TARGET_FILE:Qt6::QICOPlugin>
        DESTINATION imageformats)

# The program's licence; Qt's licence texts and copyright notices and those of the MinGW runtime,
# which scripts/build-qt-windows.sh keeps beside the Qt it builds; and a note on where the source
# of these DLLs is.
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)
set(licenses ${QT6_INSTALL_PREFIX}/licenses)
if(EXISTS ${licenses}/debian-version.txt)
    file(STRINGS ${licenses}/debian-version.txt CINDERVAXEL_QT_DEBIAN_VERSION LIMIT_COUNT 1)
    configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/THIRD-PARTY-NOTICES.txt.in
                   THIRD-PARTY-NOTICES.txt @ONLY)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/THIRD-PARTY-NOTICES.txt DESTINATION .)
    install(FILES ${licenses}/LGPL-3.0-only.txt ${licenses}/GPL-3.0-only.txt
                  ${licenses}/qt6-base-copyright.txt ${licenses}/gcc-runtime-copyright.txt
                  ${licenses}/mingw-w64-copyright.txt DESTINATION licenses)
    install(FILES ${licenses}/build-options.txt DESTINATION licenses
            RENAME qt6-base-build-options.txt)
else()
    message(WARNING "Qt in ${QT6_INSTALL_PREFIX} was not built by scripts/build-qt-windows.sh: "
                    "the packages would lack the notices that Qt's licence asks for")
endif()

set(CPACK_GENERATOR NSIS ZIP)
# The NSIS commands below hold backslashes and quotes that must reach the script as written.
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_PACKAGE_FILE_NAME cindervaxel-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Cindervaxel)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Cindervaxel)
set(CPACK_PACKAGE_EXECUTABLES cindervaxel Cindervaxel)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)

# A 64-bit installer (makensis makes a 32-bit one by default) into Program Files, with the
# program's icon, listed under Add/Remove Programs with it.
set(CPACK_NSIS_EXECUTABLE_PRE_ARGUMENTS [[-XTarget\ amd64-unicode]])
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_PACKAGE_NAME Cindervaxel)
set(CPACK_NSIS_DISPLAY_NAME Cindervaxel)
set(CPACK_NSIS_MUI_ICON ${CINDERVAXEL_ICON})
set(CPACK_NSIS_MUI_UNIICON ${CINDERVAXEL_ICON})
set(CPACK_NSIS_INSTALLED_ICON_NAME cindervaxel.exe)
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
set(CPACK_NSIS_MANIFEST_DPI_AWARE ON)

# "Open with" for models and index files, which opens the file in the window program. The
# program offers itself (OpenWithProgids, SupportedTypes) and never takes the user's default:
# the (Default) value of .p and .asm stays as it was. The uninstaller removes exactly what was
# added, and a type's key only when nothing else is left in it.
set(register [=[
WriteRegStr SHCTX "Software\Classes\@progid@" "" "@type_name@"
WriteRegStr SHCTX "Software\Classes\@progid@\DefaultIcon" "" "$INSTDIR\cindervaxel.exe,0"
WriteRegStr SHCTX "Software\Classes\@progid@\shell\open\command" "" '"$INSTDIR\cindervaxel.exe" "%1"'
WriteRegStr SHCTX "Software\Classes\@ext@\OpenWithProgids" "@progid@" ""
WriteRegStr SHCTX "Software\Classes\Applications\cindervaxel.exe\SupportedTypes" "@ext@" ""
]=])
set(unregister [=[
DeleteRegKey SHCTX "Software\Classes\@progid@"
DeleteRegValue SHCTX "Software\Classes\@ext@\OpenWithProgids" "@progid@"
DeleteRegKey /ifnosubkeys /ifnovalues SHCTX "Software\Classes\@ext@\OpenWithProgids"
DeleteRegKey /ifnosubkeys /ifnovalues SHCTX "Software\Classes\@ext@"
]=])
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS [=[
WriteRegStr SHCTX "Software\Classes\Applications\cindervaxel.exe" "FriendlyAppName" "Cindervaxel"
WriteRegStr SHCTX "Software\Classes\Applications\cindervaxel.exe\shell\open\command" "" '"$INSTDIR\cindervaxel.exe" "%1"'
]=])
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS [=[
DeleteRegKey SHCTX "Software\Classes\Applications\cindervaxel.exe"
]=])
foreach(type ".p|Cindervaxel.p|Vexmoor .p Model File" ".asm|Cindervaxel.asm|Cindervaxel ASM File")
    string(REPLACE "|" ";" type "${type}")
    list(GET type 0 ext)
    list(GET type 1 progid)
    list(GET type 2 type_name)
    string(CONFIGURE "${register}" commands @ONLY)
    string(APPEND CPACK_NSIS_EXTRA_INSTALL_COMMANDS "${commands}")
    string(CONFIGURE "${unregister}" commands @ONLY)
    string(APPEND CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "${commands}")
endforeach()
# Explorer reads the associations again.
string(APPEND CPACK_NSIS_EXTRA_INSTALL_COMMANDS
       "System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'\n")
string(APPEND CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS
       "System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'\n")
# The installer keeps its Start-menu folder under the vendor's key; the uninstaller removes that
# key, and this removes the vendor's key above it once it is empty.
set(CPACK_NSIS_DELETE_ICONS_EXTRA
    "DeleteRegKey /ifnosubkeys /ifnovalues SHCTX \"Software\\${CPACK_PACKAGE_VENDOR}\"\n")
