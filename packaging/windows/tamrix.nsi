; The Tamrix installer for every Windows: the 64-bit build (Qt 6) on 64-bit Windows 10 and 11, the
; 32-bit build (Qt 5.15) on everything else, from Windows 7 SP1 on. It installs the portable
; folder's files for the user who runs it, without administrator rights, under
; %LOCALAPPDATA%\Programs\Tamrix, with a Start menu entry and an entry in the installed apps. An
; installed copy, of either build, is removed by its own uninstaller first, so a newer setup
; upgrades it in place. `setup.exe /S` installs silently, `uninstall.exe /S` removes silently.
; Built by the windows-installer target, which defines VERSION, VERSION_QUAD, PUBLISHER,
; COPYRIGHT, APP_ID, HOMEPAGE, ICON, UNINSTALLER, STAGE (the x64 folder of files), FILES (both
; builds' lists) and OUTFILE.

Unicode true
; A 32-bit installer, so that it runs on 32-bit Windows too.
Target x86-unicode
RequestExecutionLevel user
SetCompressor /SOLID lzma
ManifestDPIAware true

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "Sections.nsh"
!include "WinVer.nsh"
!include "x64.nsh"
!include "${FILES}"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${APP_ID}"

Name "Tamrix ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Tamrix"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Tamrix ${VERSION}"

VIProductVersion "${VERSION_QUAD}"
VIAddVersionKey "ProductName" "Tamrix"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "Tamrix ${VERSION} setup"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "LegalCopyright" "${COPYRIGHT}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\tamrix.exe"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\user-guide.html"
!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; An installed copy goes first, by its own uninstaller, which knows its files: a copy of the
; other build leaves none of its DLLs behind. It runs where it is (_?=), so the installer waits
; for it; the user's dumps stay.
Section "-Upgrade"
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
  ${AndIf} ${FileExists} "$0\${UNINSTALLER}"
    ExecWait '"$0\${UNINSTALLER}" /S _?=$0'
  ${EndIf}
SectionEnd

Section "-Tamrix 64-bit" Build64
  !insertmacro InstallFilesX64
SectionEnd

Section "-Tamrix 32-bit" Build32
  !insertmacro InstallFilesX86
SectionEnd

Section "-Entries"
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  CreateShortCut "$SMPROGRAMS\Tamrix.lnk" "$INSTDIR\tamrix.exe" "" "$INSTDIR\tamrix.exe" 0 \
    SW_SHOWNORMAL "" "Read the boot loader of a KAON set-top box"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Tamrix"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tamrix.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "URLInfoAbout" "${HOMEPAGE}"
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${If} ${SectionIsSelected} ${Build64}
    SectionGetSize ${Build64} $0
  ${Else}
    SectionGetSize ${Build32} $0
  ${EndIf}
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; The build this Windows gets (after the sections, whose ids it needs): Qt 6 needs 64-bit
; Windows 10 or later.
Function .onInit
  ${If} ${RunningX64}
  ${AndIf} ${AtLeastWin10}
    !insertmacro UnselectSection ${Build32}
  ${Else}
    !insertmacro UnselectSection ${Build64}
  ${EndIf}
FunctionEnd

; Removes what the installer put there, of either build, and nothing else: a dump, a .part, a
; .sha256 or anything else saved into the program's folder stays, and so does the folder then.
Section "Uninstall"
  SetShellVarContext current
  !insertmacro UninstallFiles
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Tamrix.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
