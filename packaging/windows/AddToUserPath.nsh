; Part of the installer's main section (cmake/WindowsPackage.cmake): when the box of the options
; page (NSIS.InstallOptions.ini.in) is ticked, the programs' folder goes at the end of the user's
; PATH (HKCU\Environment), and the uninstall key records it for the uninstaller
; (RemoveFromUserPath.nsh). A PATH that names the folder already stays as it is, and so does one
; that the installer's strings (NSIS_MAX_STRLEN, 1024 characters) cannot hold whole, with a
; message: writing back a PATH cut short would lose the user's entries.
!insertmacro MUI_INSTALLOPTIONS_READ $0 "NSIS.InstallOptions.ini" "Field 4" "State"
StrCmp $0 1 0 cvx_path_done
ClearErrors
ReadRegStr $1 HKCU "Environment" "Path"
IfErrors 0 cvx_path_read
  ; No such value, or one too long to read: only the first may be written.
  StrCpy $1 ""
  StrCpy $2 0
  cvx_path_names:
    EnumRegValue $3 HKCU "Environment" $2
    StrCmp $3 "" cvx_path_read
    StrCmp $3 "Path" cvx_path_too_long
    IntOp $2 $2 + 1
    Goto cvx_path_names
cvx_path_read:
Push ";$1;"
Push ";$INSTDIR;"
Call StrStr
Pop $2
StrCmp $2 "" 0 cvx_path_done
StrCpy $2 "$INSTDIR"
StrCmp $1 "" cvx_path_write
  StrLen $3 $1
  StrLen $4 $INSTDIR
  IntOp $3 $3 + $4
  IntCmp $3 1022 0 0 cvx_path_too_long
  StrCpy $2 "$1;$INSTDIR"
cvx_path_write:
WriteRegExpandStr HKCU "Environment" "Path" $2
WriteRegStr SHCTX "${CVX_UNINSTALL_KEY}" "UserPathEntry" "$INSTDIR"
SendMessage ${HWND_BROADCAST} ${WM_WININICHANGE} 0 "STR:Environment" /TIMEOUT=5000
Goto cvx_path_done
cvx_path_too_long:
MessageBox MB_OK|MB_ICONEXCLAMATION "Your PATH is too long for the installer to change it. \
To run cindervaxel-cli in any console, add $INSTDIR to it by hand." /SD IDOK
cvx_path_done:
