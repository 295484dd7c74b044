; The per-user installer of Lumvox Workshop, built by scripts/release.sh:
;   makensis -DVERSION=... -DSTAGE=<folder of the three exes> -DICON=... -DOUTFILE=...
;            -DESTIMATED_KB=... [-DSIGN_COMMAND=...] installer.nsi
; No administrator rights: everything goes under the user's own folders and HKCU.
; Silent (/S) installs and uninstalls exit with code 2, changing nothing, while one
; of the programs runs from the installation folder.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include MUI2.nsh
!include LogicLib.nsh

!define PRODUCT "Lumvox Workshop"
!define PUBLISHER "Lumvox Workshop"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\LumvoxWorkshop"
!define MENU_FOLDER "$SMPROGRAMS\${PRODUCT}"
!define EXIT_IN_USE 2

Name "${PRODUCT}"
OutFile "${OUTFILE}"
; An earlier installation is upgraded where it is.
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "LegalCopyright" "${PUBLISHER}"

!ifdef SIGN_COMMAND
  ; %1 is the file: the uninstaller while it is written, then the installer itself.
  !uninstfinalize '${SIGN_COMMAND} "%1"' = 0
  !finalize '${SIGN_COMMAND} "%1"' = 0
!endif

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\LumvoxWorkshop.exe"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The first language is the fallback; the installer picks the system's own.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Korean"

LangString StandInShortcut ${LANG_ENGLISH} "Lumvox Stand-in"
LangString StandInShortcut ${LANG_KOREAN} "Lumvox 스탠드인"
LangString UninstallShortcut ${LANG_ENGLISH} "Uninstall ${PRODUCT}"
LangString UninstallShortcut ${LANG_KOREAN} "${PRODUCT} 제거"
LangString InUse ${LANG_ENGLISH} "${PRODUCT} or its stand-in is running from $INSTDIR. Close it and try again."
LangString InUse ${LANG_KOREAN} "$INSTDIR 에서 ${PRODUCT} 또는 스탠드인이 실행 중입니다. 닫은 뒤 다시 시도하십시오."

; A program that runs cannot be opened for appending: then the folder is in use.
!macro RefuseWhileRunning
  ${Do}
    StrCpy $1 ""
    ${ForEach} $2 1 3 + 1
      ${Select} $2
        ${Case} 1
          StrCpy $3 "LumvoxWorkshop.exe"
        ${Case} 2
          StrCpy $3 "lumvox-standin.exe"
        ${Case} 3
          StrCpy $3 "lumvox-send.exe"
      ${EndSelect}
      ${If} ${FileExists} "$INSTDIR\$3"
        ClearErrors
        FileOpen $0 "$INSTDIR\$3" a
        ${If} ${Errors}
          StrCpy $1 "$3"
        ${Else}
          FileClose $0
        ${EndIf}
      ${EndIf}
    ${Next}
    ${If} $1 == ""
      ${Break}
    ${EndIf}
    ${If} ${Silent}
      SetErrorLevel ${EXIT_IN_USE}
      Quit
    ${EndIf}
    ${If} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(InUse)" IDCANCEL`
      SetErrorLevel ${EXIT_IN_USE}
      Quit
    ${EndIf}
  ${Loop}
!macroend

Section
  !insertmacro RefuseWhileRunning
  SetOutPath "$INSTDIR"
  File "${STAGE}\LumvoxWorkshop.exe"
  File "${STAGE}\lumvox-standin.exe"
  File "${STAGE}\lumvox-send.exe"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; Shortcuts start in the installation folder (the current output path).
  CreateDirectory "${MENU_FOLDER}"
  CreateShortcut "${MENU_FOLDER}\${PRODUCT}.lnk" "$INSTDIR\LumvoxWorkshop.exe"
  CreateShortcut "${MENU_FOLDER}\$(StandInShortcut).lnk" "$INSTDIR\lumvox-standin.exe"
  CreateShortcut "${MENU_FOLDER}\$(UninstallShortcut).lnk" "$INSTDIR\Uninstall.exe"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\LumvoxWorkshop.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" ${ESTIMATED_KB}
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Removes exactly what the installer put there: a file the user added keeps the
; folder, and the folder stays.
Section "Uninstall"
  !insertmacro RefuseWhileRunning
  Delete "${MENU_FOLDER}\${PRODUCT}.lnk"
  Delete "${MENU_FOLDER}\Lumvox Stand-in.lnk"
  Delete "${MENU_FOLDER}\Lumvox 스탠드인.lnk"
  Delete "${MENU_FOLDER}\Uninstall ${PRODUCT}.lnk"
  Delete "${MENU_FOLDER}\${PRODUCT} 제거.lnk"
  RMDir "${MENU_FOLDER}"
  Delete "$INSTDIR\LumvoxWorkshop.exe"
  Delete "$INSTDIR\lumvox-standin.exe"
  Delete "$INSTDIR\lumvox-send.exe"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
