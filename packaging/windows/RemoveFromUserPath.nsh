; Part of the uninstaller (cmake/WindowsPackage.cmake): takes out of the user's PATH the entry that
; the installer put there (AddToUserPath.nsh), wherever it stands now, and leaves every other
; entry and separator as it is. A PATH that held nothing else before is removed.
ReadRegStr $0 SHCTX "${CVX_UNINSTALL_KEY}" "UserPathEntry"
StrCmp $0 "" cvx_unpath_done
ClearErrors
ReadRegStr $1 HKCU "Environment" "Path"
IfErrors cvx_unpath_done
; In ";PATH;", the part from ";ENTRY;" on is ";ENTRY;REST;", and the part before it ";BEFORE".
Push ";$1;"
Push ";$0;"
Call un.StrStr
Pop $2
StrCmp $2 "" cvx_unpath_done
StrLen $3 $2
StrCpy $4 ";$1;" -$3
StrLen $3 ";$0"
StrCpy $2 $2 "" $3
; ";BEFORE" ";REST;" without the first and the last separator: "BEFORE;REST".
StrCpy $1 "$4$2" "" 1
StrCpy $1 $1 -1
StrCmp $1 "" 0 cvx_unpath_write
  DeleteRegValue HKCU "Environment" "Path"
  Goto cvx_unpath_sent
cvx_unpath_write:
  WriteRegExpandStr HKCU "Environment" "Path" $1
cvx_unpath_sent:
SendMessage ${HWND_BROADCAST} ${WM_WININICHANGE} 0 "STR:Environment" /TIMEOUT=5000
cvx_unpath_done:
