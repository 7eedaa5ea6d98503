; The Windows installer: the program for the current user (no administrator
; needed) or for every user of the PC, a Start-menu entry, an uninstaller.
; makensis -DVERSION=0.1.0 -DSTAGE=<folder with the program> -DICON=<.ico>
;          -DOUTFILE=<setup.exe> installer.nsi
Unicode true
; 64-bit like the program, so that it also runs where only 64-bit programs do.
Target amd64-unicode
SetCompressor /SOLID lzma

!define PRODUCT "Residue Station"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\ResidueStation"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_INSTDIR "${PRODUCT}"
!define MULTIUSER_USE_PROGRAMFILES64
!include MultiUser.nsh
!include MUI2.nsh

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"

!insertmacro MULTIUSER_PAGE_INSTALLMODE
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryChosen
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\residue-station.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"
!insertmacro MUI_LANGUAGE "English"

; The program always gets a folder of its own, so that the uninstaller, which
; removes that folder, never takes anything else with it.
Function DirectoryChosen
  StrLen $1 "${PRODUCT}"
  StrCpy $0 "$INSTDIR" "" -$1
  StrCmp $0 "${PRODUCT}" +2
  StrCpy $INSTDIR "$INSTDIR\${PRODUCT}"
FunctionEnd

Function .onInit
  !insertmacro MULTIUSER_INIT
FunctionEnd

Function un.onInit
  !insertmacro MULTIUSER_UNINIT
FunctionEnd

Section "Install"
  SetOutPath "$INSTDIR"
  File /r "${STAGE}\*"
  ; The program keeps its settings and records in the user's folders when
  ; this mark is beside it (never in the program's own folder).
  FileOpen $0 "$INSTDIR\installed.txt" w
  FileWrite $0 "installed by the Residue Station installer$\r$\n"
  FileClose $0
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\residue-station.exe" "" \
    "$INSTDIR\residue-station.exe" 0
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\residue-station.exe"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" \
    '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The records and settings in the user's folders stay: uninstalling the
; program never takes the operator's data with it.
Section "Uninstall"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  IfFileExists "$INSTDIR\installed.txt" 0 +2
  RMDir /r "$INSTDIR"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd
