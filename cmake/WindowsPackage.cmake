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
# The installer's pages name the program and its version where NSIS would name itself, and the
# last page offers to start the program. CPACK_NSIS_BRANDING_TEXT would write the line with a
# /TRIM option, which makensis refuses on Linux: the script's line is given as it is.
set(CPACK_NSIS_BRANDING_TEXT_CODE "BrandingText \"Cindervaxel ${PROJECT_VERSION}\"")
set(CPACK_NSIS_MUI_FINISHPAGE_RUN cindervaxel.exe)

# The Start menu: the window program, and "Cindervaxel command line", a console with the programs'
# folder on its PATH that says in one line how to begin. Both start in the user's Documents
# folder, so that a bare file name never lands in the programs' folder. The folder is written
# as %USERPROFILE%\Documents, which Windows expands when the shortcut starts: the shortcuts
# serve every user of the machine, and the installer's $DOCUMENTS would name one user's folder
# (or, installing for all users, the Public one). NSIS takes a shortcut's starting folder from
# $OUTDIR, which StrCpy sets without making the folder.
set(CPACK_NSIS_CREATE_ICONS_EXTRA [=[
StrCpy $OUTDIR "%USERPROFILE%\Documents"
CreateShortCut "$SMPROGRAMS\$STARTMENU_FOLDER\Cindervaxel.lnk" "$INSTDIR\cindervaxel.exe"
CreateShortCut "$SMPROGRAMS\$STARTMENU_FOLDER\Cindervaxel command line.lnk" "$SYSDIR\cmd.exe" \
    '/k "set "PATH=$INSTDIR;%PATH%" & echo Type "cindervaxel-cli --help" to see what it can do."'
StrCpy $OUTDIR "$INSTDIR"
]=])
set(CPACK_NSIS_DELETE_ICONS_EXTRA [=[
Delete "$SMPROGRAMS\$MUI_TEMP\Cindervaxel.lnk"
Delete "$SMPROGRAMS\$MUI_TEMP\Cindervaxel command line.lnk"
]=])

# A page of the installer offers, not ticked, to put the programs' folder on the user's PATH, so
# that cindervaxel-cli runs in any console; the uninstaller takes it out again and leaves the rest
# of PATH as it was. CPack's own PATH code adds a folder "bin" that this layout does not have
# (and so does nothing): the page is CPack's, with a box of this project's
# (packaging/windows/NSIS.InstallOptions.ini.in), and the installer's commands below act on it.
set(CPACK_NSIS_MODIFY_PATH ON)
set(CPACK_MODULE_PATH ${PROJECT_SOURCE_DIR}/packaging/windows ${CMAKE_MODULE_PATH})
# The installer records there what it added; the uninstaller's commands come later in the script.
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS "!define CVX_UNINSTALL_KEY \
\"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\${CPACK_PACKAGE_INSTALL_REGISTRY_KEY}\"
!include \"${PROJECT_SOURCE_DIR}/packaging/windows/AddToUserPath.nsh\"
")

# "Open with" for models, index files and mod patches, which opens the file in the window program
# (a patch in its Apply window). The program offers itself (OpenWithProgids, SupportedTypes) and
# never takes the user's default: the (Default) value of .p, .asm and .cvxpatch stays as it was.
# The uninstaller removes exactly what was added, and a type's key only when nothing else is left
# in it.
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
string(APPEND CPACK_NSIS_EXTRA_INSTALL_COMMANDS [=[
WriteRegStr SHCTX "Software\Classes\Applications\cindervaxel.exe" "FriendlyAppName" "Cindervaxel"
WriteRegStr SHCTX "Software\Classes\Applications\cindervaxel.exe\shell\open\command" "" '"$INSTDIR\cindervaxel.exe" "%1"'
]=])
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS
    "!include \"${PROJECT_SOURCE_DIR}/packaging/windows/RemoveFromUserPath.nsh\"\n")
string(APPEND CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS [=[
DeleteRegKey SHCTX "Software\Classes\Applications\cindervaxel.exe"
]=])
foreach(type ".p|Cindervaxel.p|Vexmoor .p Model File" ".asm|Cindervaxel.asm|Cindervaxel ASM File"
             ".cvxpatch|Cindervaxel.cvxpatch|Cindervaxel Mod Patch")
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
# "Run Cindervaxel" on the last page starts the program in $OUTDIR: the user's Documents folder,
# as the shortcuts do.
string(APPEND CPACK_NSIS_EXTRA_INSTALL_COMMANDS
       "ExpandEnvStrings $OUTDIR \"%USERPROFILE%\\Documents\"\n")
# The installer keeps its Start-menu folder under the vendor's key; the uninstaller removes that
# key, and this removes the vendor's key above it once it is empty.
string(APPEND CPACK_NSIS_DELETE_ICONS_EXTRA
    "DeleteRegKey /ifnosubkeys /ifnovalues SHCTX \"Software\\${CPACK_PACKAGE_VENDOR}\"\n")
