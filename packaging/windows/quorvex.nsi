; The Windows installer of quorvex (makensis, NSIS 3). Installs the unpacked download's files
; (quorvex.exe with the GEOS DLLs beside it) into Program Files\quorvex, adds that folder to
; the user's PATH, and registers an uninstaller that removes both again. `setup.exe /S`
; installs silently, `uninstall.exe /S` removes silently.
;
; makensis -DVERSION=0.1.0 -DSTAGE=folder/with/the/files -DOUTFILE=setup.exe quorvex.nsi
; (scripts/windows-package.sh)

!ifndef VERSION
  !error "VERSION must be defined (-DVERSION=...)"
!endif
!ifndef STAGE
  !error "STAGE must be defined (-DSTAGE=...)"
!endif
!ifndef OUTFILE
  !error "OUTFILE must be defined (-DOUTFILE=...)"
!endif

Unicode true
Target amd64-unicode  ; a 64-bit installer: Program Files and the registry without redirection
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "LogicLib.nsh"
!include "WinMessages.nsh"
!include "WordFunc.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\quorvex"

Name "quorvex ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\quorvex"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; The user's PATH (HKCU\Environment\Path, as REG_EXPAND_SZ), with one folder added or removed
; as a whole ';'-separated entry (WordAdd compares entries without regard to letter case).
; Programs started afterwards see the change: Explorer is told with WM_SETTINGCHANGE.
!macro EditUserPath UN OPERATION
  ReadRegStr $0 HKCU "Environment" "Path"
  ${${UN}WordAdd} "$0" ";" "${OPERATION}$INSTDIR" $1
  ${If} $1 != $0
    ${If} $1 == ""
      DeleteRegValue HKCU "Environment" "Path"
    ${Else}
      WriteRegExpandStr HKCU "Environment" "Path" "$1"
    ${EndIf}
    SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
  ${EndIf}
!macroend

Section "quorvex"
  SetOutPath "$INSTDIR"
  File "${STAGE}\quorvex.exe"
  File "${STAGE}\libgeos*.dll"  ; GEOS, loaded from beside quorvex.exe
  File "${STAGE}\LICENSE.txt"
  File "${STAGE}\demo.cmd"
  File "${STAGE}\README.txt"
  File "${STAGE}\manual.txt"
  File /r "${STAGE}\licenses"
  File /r "${STAGE}\data"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "quorvex ${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "quorvex developers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\quorvex.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

  !insertmacro EditUserPath "" "+"
SectionEnd

Section "Uninstall"
  !insertmacro EditUserPath "un." "-"

  Delete "$INSTDIR\quorvex.exe"
  Delete "$INSTDIR\libgeos*.dll"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\demo.cmd"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\manual.txt"
  RMDir /r "$INSTDIR\licenses"
  RMDir /r "$INSTDIR\data"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"  ; only when empty: files the user put there stay

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
