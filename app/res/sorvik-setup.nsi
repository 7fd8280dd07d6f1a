; The Sorvik installer for Windows: a per-user install that needs no
; administrator rights. The programs and config.txt go into one folder under
; the user's local programs folder; that folder is also the programs' working
; directory (they write data.html and data_backup.html there), so the user
; can always write to it. `/S` installs and uninstalls without questions.
;
;     makensis -DVERSION=2.0.0.1 -DSTAGE=dir -DOUTFILE=Sorvik-Setup-2.0.0.1.exe sorvik-setup.nsi
;
; STAGE holds sorvik.exe, sorvik-tracker.exe, sorvik-cli.exe, sorvik-check.cmd
; and config.txt. The tracker keeps its own files in %APPDATA%\Sorvik, which
; the uninstaller leaves: they are the user's keyword list and history.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!ifndef VERSION | STAGE | OUTFILE
  !error "VERSION, STAGE and OUTFILE must be defined"
!endif

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Sorvik"

Name "Sorvik"
Caption "Sorvik ${VERSION} 安装"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Sorvik"
ShowInstDetails show

VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=2052 "ProductName" "Sorvik"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "FileDescription" "Sorvik 安装程序"
VIAddVersionKey /LANG=2052 "LegalCopyright" "Copyright (C) Sorvik"

!include "MUI2.nsh"
!define MUI_ICON "sorvik.ico"
!define MUI_UNICON "sorvik.ico"
!define MUI_FINISHPAGE_RUN "$INSTDIR\sorvik.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

Function .onInit
  SetShellVarContext current
FunctionEnd

Function un.onInit
  SetShellVarContext current
FunctionEnd

Section "Sorvik"
  SetOutPath "$INSTDIR"
  File "${STAGE}\sorvik.exe"
  File "${STAGE}\sorvik-tracker.exe"
  File "${STAGE}\sorvik-cli.exe"
  File "${STAGE}\sorvik-check.cmd"
  File "${STAGE}\config.txt"
  SetOutPath "$INSTDIR\zh_CN"
  File "${STAGE}\zh_CN\wxstd-3.2.mo"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The shortcuts start the programs in their own folder, their working
  ; directory.
  CreateDirectory "$SMPROGRAMS\Sorvik"
  CreateShortcut "$SMPROGRAMS\Sorvik\Sorvik.lnk" "$INSTDIR\sorvik.exe" "" "$INSTDIR\sorvik.exe" 0
  CreateShortcut "$SMPROGRAMS\Sorvik\Sorvik 排名跟踪.lnk" "$INSTDIR\sorvik-tracker.exe" "" \
    "$INSTDIR\sorvik-tracker.exe" 0

  ; The entry in the system's list of installed programs.
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Sorvik"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Sorvik"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\sorvik.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  Delete "$INSTDIR\sorvik.exe"
  Delete "$INSTDIR\sorvik-tracker.exe"
  Delete "$INSTDIR\sorvik-cli.exe"
  Delete "$INSTDIR\sorvik-check.cmd"
  Delete "$INSTDIR\config.txt"
  Delete "$INSTDIR\zh_CN\wxstd-3.2.mo"
  RMDir "$INSTDIR\zh_CN"
  ; The working files the programs leave behind.
  Delete "$INSTDIR\data.html"
  Delete "$INSTDIR\data_backup.html"
  Delete "$INSTDIR\uninstall.exe"
  ; Only an empty folder goes: files the user put there stay.
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\Sorvik\Sorvik.lnk"
  Delete "$SMPROGRAMS\Sorvik\Sorvik 排名跟踪.lnk"
  RMDir "$SMPROGRAMS\Sorvik"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
