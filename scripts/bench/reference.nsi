; The reference installer for the benchmark: the same file, registry and
; shortcut work as setup's run, done by NSIS (the printer work has no NSIS
; counterpart and is left out on both sides where noted).
; -DAMD64 builds the reference for the x86_64 arm, like for like with the
; x86_64 build it is measured against.
!ifdef AMD64
Target amd64-unicode
!define DRIVERS "$SYSDIR\spool\drivers\x64"
!define PROGRAMS "$PROGRAMFILES64"
!else
Unicode false
!define DRIVERS "$SYSDIR\spool\drivers\w32x86"
!define PROGRAMS "$PROGRAMFILES"
!endif
Name "Orlan PDF Scribe reference"
OutFile "${OUTFILE}"
InstallDir "${PROGRAMS}\Orlan Software\PDF Scribe Reference"
RequestExecutionLevel admin
SilentInstall silent
SetCompress off

Section
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "${DIST}\uninstall.exe"
  File "${DIST}\ops_wordaddin.dll"
  SetOutPath "${DRIVERS}\3"
  File "${DIST}\ORC_ProxyProcess.exe"
  File "${DIST}\kpdcjk.bin"
  SetOutPath "${DRIVERS}"
  File "${DIST}\kpd_drv.dll"
  File "${DIST}\kpd_ui.dll"
  File "${DIST}\kpd_pnt.txt"
  DeleteRegKey HKCU "Software\Orlan Software\PDF Scribe Reference"
  DeleteRegKey HKLM "Software\Orlan Software\PDF Scribe Reference"
  WriteRegStr HKLM "Software\Orlan Software\PDF Scribe Reference" "SetupPath" "$INSTDIR\"
  WriteRegStr HKLM "Software\Orlan Software\PDF Scribe Reference" "BtnShowWd" "1"
  !define UK "Software\Microsoft\Windows\CurrentVersion\Uninstall\Orlan Scribe Reference"
  WriteRegStr HKLM "${UK}" "DisplayName" "Orlan Scribe Reference"
  WriteRegStr HKLM "${UK}" "UninstallString" "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UK}" "DisplayIcon" "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UK}" "UninstallPath" "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UK}" "Publisher" "Orlan Corporation"
  WriteRegStr HKLM "${UK}" "DisplayVersion" "3,1,0,1210"
  RegDLL "$INSTDIR\ops_wordaddin.dll"
  CreateDirectory "$SMPROGRAMS\Orlan PDF Scribe Reference"
  CreateShortcut "$SMPROGRAMS\Orlan PDF Scribe Reference\Uninstall.lnk" "$INSTDIR\uninstall.exe" "" "" 0 SW_SHOWNORMAL "" "Orlan PDF Scribe Uninstall"
SectionEnd
