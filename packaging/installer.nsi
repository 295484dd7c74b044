; The per-user installer of Lumvox Workshop, built by scripts/release.sh:
;   makensis -DVERSION=... -DPRODUCT=... -DPUBLISHER=...
;            -DSTAGE=<folder of the three exes and the two texts>
;            -DICON=... -DWELCOME_BITMAP=... -DOUTFILE=... -DESTIMATED_KB=...
;            [-DURL=<the project's page>] [-DSIGN_COMMAND=...] installer.nsi
; (VERSION, PRODUCT and PUBLISHER come from cmake/ProgramVersion.cmake; ICON and
; WELCOME_BITMAP are drawn by make_icon.py.)
; No administrator rights: everything goes under the user's own folders and HKCU.
; Exit codes of silent (/S) runs, installing and uninstalling alike:
;   0  done: everything installed is in place, or everything installed is gone
;   2  one of the programs runs from the folder: nothing was changed
;   3  a newer version is installed and /ALLOWDOWNGRADE was not given: nothing was changed
; Started without _?=, the uninstaller copies itself to %TEMP%, starts the copy and
; returns at once (NSIS does that before any of this script runs, and marks the copy
; for deletion at the next restart, which only an administrator may ask for). So the
; shortcut and the entry's UninstallString run it in place with _?=: no copy at
; all, and its own file, which it cannot remove while it runs, is removed by a
; hidden helper once it has ended (un.LeaveNothingBehind). The entry's
; QuietUninstallString must return only when everything is gone, so it runs a copy
; in %TEMP% through cmd.exe with _?=, waits for it, deletes it and returns its exit
; code (QUIET_UNINSTALL below).
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WordFunc.nsh
!include Sections.nsh

!ifndef VERSION | PRODUCT | PUBLISHER
  !error "VERSION, PRODUCT and PUBLISHER must be given (scripts/release.sh reads them from the build)"
!endif
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\LumvoxWorkshop"
!define ENVIRONMENT_KEY "Environment"
!define MENU_FOLDER "$SMPROGRAMS\${PRODUCT}"
!define RELEASE_NOTES "RELEASE-NOTES.txt"
!define EXIT_IN_USE 2
!define EXIT_NEWER_INSTALLED 3

Name "${PRODUCT}"
OutFile "${OUTFILE}"
; An earlier installation is upgraded where it is.
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

; The installer and the uninstaller share one version resource: the uninstaller's
; description is put in place of the installer's, which is at least as long.
!define INSTALLER_DESCRIPTION "${PRODUCT} ${VERSION} Setup"
!define UNINSTALLER_DESCRIPTION "${PRODUCT} Uninstaller"
VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileDescription" "${INSTALLER_DESCRIPTION}"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "LegalCopyright" "${PUBLISHER}"

!uninstfinalize 'python3 "${__FILEDIR__}/describe_uninstaller.py" "%1" "${INSTALLER_DESCRIPTION}" "${UNINSTALLER_DESCRIPTION}"' = 0
!ifdef SIGN_COMMAND
  ; %1 is the file: the uninstaller while it is written, then the installer itself.
  !uninstfinalize '${SIGN_COMMAND} "%1"' = 0
  !finalize '${SIGN_COMMAND} "%1"' = 0
!endif

Var PreviousFolder   ; the installation the installed-apps entry names, if any
Var FirstCreated     ; the outermost folder this install had to create, if any
Var UninstallResult  ; the uninstaller's closing words
Var PathWasOurs      ; 1 when the installation this one replaces put its folder on the Path
Var CopyFolder       ; the folder of NSIS's copy of the uninstaller in %TEMP%, if this is it
Var UninstallDone    ; 1 once the uninstall section has run
Var FoldersToRemove  ; the uninstaller's folder and those made for it, to go once it has ended
Var HelperStarted    ; 1 once un.LeaveNothingBehind has started its helper

; The silent uninstall that returns only when it is done, with the uninstaller's
; exit code. cmd.exe is on every Windows, so nothing else needs installing.
!define QUIET_COPY "%TEMP%\Lumvox Workshop uninstall.exe"
!define QUIET_UNINSTALL '"$SYSDIR\cmd.exe" /d /v:on /s /c "copy /y "$INSTDIR\Uninstall.exe" "${QUIET_COPY}" >nul && "${QUIET_COPY}" /S _?=$INSTDIR& set code=!errorlevel!& del "${QUIET_COPY}"& exit !code!"'

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${WELCOME_BITMAP}"
!define MUI_UNWELCOMEFINISHPAGE_BITMAP "${WELCOME_BITMAP}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_WELCOMEPAGE_TITLE "$(WelcomeTitle)"
!define MUI_WELCOMEPAGE_TEXT "$(WelcomeText)"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
; The standard Korean texts write "$(^NameDA)(을)를"; these say it as it is read.
!define MUI_PAGE_HEADER_SUBTEXT "$(DirectorySubtitle)"
!define MUI_DIRECTORYPAGE_TEXT_TOP "$(DirectoryTop)"
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE LeaveDirectoryPage
!insertmacro MUI_PAGE_DIRECTORY
!define MUI_PAGE_HEADER_SUBTEXT "$(InstallingSubtitle)"
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TITLE "$(FinishTitle)"
!define MUI_FINISHPAGE_TEXT "$(FinishText)"
; With its two check boxes the page's text needs the larger area.
!define MUI_FINISHPAGE_TEXT_LARGE
!define MUI_FINISHPAGE_RUN "$INSTDIR\LumvoxWorkshop.exe"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\${RELEASE_NOTES}"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "$(ShowReleaseNotes)"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_FINISH
!define MUI_UNCONFIRMPAGE_TEXT_TOP "$(ConfirmTop)"
!define MUI_UNCONFIRMPAGE_TEXT_LOCATION "$(ConfirmLocation)"
!insertmacro MUI_UNPAGE_CONFIRM
!define MUI_PAGE_HEADER_SUBTEXT "$(UninstallingSubtitle)"
!insertmacro MUI_UNPAGE_INSTFILES
!define MUI_FINISHPAGE_TITLE "$(UninstalledTitle)"
!define MUI_FINISHPAGE_TEXT "$UninstallResult"
!insertmacro MUI_UNPAGE_FINISH

; The first language is the fallback; the installer picks the system's own.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Korean"

LangString StandInShortcut ${LANG_ENGLISH} "Lumvox Stand-in"
LangString StandInShortcut ${LANG_KOREAN} "Lumvox 스탠드인"
LangString UninstallShortcut ${LANG_ENGLISH} "Uninstall ${PRODUCT}"
LangString UninstallShortcut ${LANG_KOREAN} "${PRODUCT} 제거"
LangString WorkshopDescription ${LANG_ENGLISH} "Hands texts to the Lumvox speech program over its three channels"
LangString WorkshopDescription ${LANG_KOREAN} "Lumvox 음성 프로그램에 세 가지 통로로 텍스트를 보냅니다"
LangString StandInDescription ${LANG_ENGLISH} "A stand-in for the speech program that shows what arrives"
LangString StandInDescription ${LANG_KOREAN} "도착한 내용을 보여 주는 음성 프로그램 대역"
LangString UninstallDescription ${LANG_ENGLISH} "Removes ${PRODUCT} and keeps your own files"
LangString UninstallDescription ${LANG_KOREAN} "${PRODUCT}을 제거하고 사용자 파일은 남겨 둡니다"
LangString InUse ${LANG_ENGLISH} "$1 is running from this folder:$\r$\n$\r$\n$0$\r$\n$\r$\nClose it and try again."
LangString InUse ${LANG_KOREAN} "다음 폴더에서 $1 이(가) 실행 중입니다:$\r$\n$\r$\n$0$\r$\n$\r$\n닫은 뒤 다시 시도하십시오."
LangString NewerInstalled ${LANG_ENGLISH} "${PRODUCT} $0 is installed, newer than this version (${VERSION}). Install the older version anyway?"
LangString NewerInstalled ${LANG_KOREAN} "이 버전(${VERSION})보다 새로운 ${PRODUCT} $0 이(가) 설치되어 있습니다. 그래도 이전 버전을 설치하시겠습니까?"
LangString PathSection ${LANG_ENGLISH} "Add the folder to my PATH (lumvox-send in a console)"
LangString PathSection ${LANG_KOREAN} "폴더를 PATH에 추가 (콘솔에서 lumvox-send 사용)"
LangString WelcomeTitle ${LANG_ENGLISH} "${PRODUCT} ${VERSION}"
LangString WelcomeTitle ${LANG_KOREAN} "${PRODUCT} ${VERSION}"
LangString WelcomeText ${LANG_ENGLISH} "The workshop hands texts, plain or with speech markup, to the Lumvox speech program: by a window message, over the network or through the clipboard.$\r$\n$\r$\nThis installs it for you alone, with no administrator rights, together with a stand-in that shows what the speech program would receive and lumvox-send for the command line. An earlier installation is replaced; files of your own in its folder stay."
LangString WelcomeText ${LANG_KOREAN} "이 워크숍은 일반 텍스트나 음성 태그가 붙은 텍스트를 창 메시지, 네트워크, 클립보드로 Lumvox 음성 프로그램에 보냅니다.$\r$\n$\r$\n관리자 권한 없이 현재 사용자에게만 설치하며, 음성 프로그램이 받을 내용을 보여 주는 스탠드인과 명령줄용 lumvox-send도 함께 설치합니다. 이전 설치는 교체되고, 그 폴더에 넣어 둔 사용자 파일은 그대로 남습니다."
LangString FinishTitle ${LANG_ENGLISH} "${PRODUCT} is ready"
LangString FinishTitle ${LANG_KOREAN} "${PRODUCT} 준비 완료"
LangString FinishText ${LANG_ENGLISH} "The workshop, the stand-in and lumvox-send are installed, with Start-menu shortcuts, in:$\r$\n$\r$\n$INSTDIR$\r$\n$\r$\nStart the stand-in first to see what the workshop sends."
LangString FinishText ${LANG_KOREAN} "워크숍, 스탠드인, lumvox-send를 다음 폴더에 설치하고 시작 메뉴에 바로 가기를 만들었습니다:$\r$\n$\r$\n$INSTDIR$\r$\n$\r$\n워크숍이 보내는 내용을 보려면 스탠드인을 먼저 실행하십시오."
LangString ShowReleaseNotes ${LANG_ENGLISH} "Show what is new in this version"
LangString ShowReleaseNotes ${LANG_KOREAN} "이 버전의 새로운 점 보기"
LangString UninstalledTitle ${LANG_ENGLISH} "${PRODUCT} is removed"
LangString UninstalledTitle ${LANG_KOREAN} "${PRODUCT} 제거 완료"
LangString RemovedAll ${LANG_ENGLISH} "${PRODUCT} and its folder were removed from this computer."
LangString RemovedAll ${LANG_KOREAN} "${PRODUCT}과 그 폴더를 이 컴퓨터에서 제거했습니다."
LangString KeptFolder ${LANG_ENGLISH} "${PRODUCT} was removed. Its folder was kept because it holds files that the installer did not put there (yours, for example):$\r$\n$\r$\n$INSTDIR"
LangString KeptFolder ${LANG_KOREAN} "${PRODUCT}을 제거했습니다. 설치 프로그램이 넣지 않은 파일(사용자 파일 등)이 있어서 다음 폴더는 남겨 두었습니다:$\r$\n$\r$\n$INSTDIR"
LangString DirectorySubtitle ${LANG_ENGLISH} "$(MUI_TEXT_DIRECTORY_SUBTITLE)"
LangString DirectorySubtitle ${LANG_KOREAN} "${PRODUCT}을 설치할 폴더를 선택해 주세요."
LangString DirectoryTop ${LANG_ENGLISH} "$(^DirText)"
LangString DirectoryTop ${LANG_KOREAN} "${PRODUCT}을 다음 폴더에 설치합니다. 다른 폴더에 설치하려면 '찾아보기' 버튼을 눌러 다른 폴더를 선택해 주세요. $_CLICK"
LangString InstallingSubtitle ${LANG_ENGLISH} "$(MUI_TEXT_INSTALLING_SUBTITLE)"
LangString InstallingSubtitle ${LANG_KOREAN} "${PRODUCT}을 설치하는 동안 잠시 기다려 주세요."
LangString ConfirmTop ${LANG_ENGLISH} "$(^UninstallingText)"
LangString ConfirmTop ${LANG_KOREAN} "이 컴퓨터에서 ${PRODUCT}을 제거합니다. $_CLICK"
LangString ConfirmLocation ${LANG_ENGLISH} "$(^UninstallingSubText)"
LangString ConfirmLocation ${LANG_KOREAN} "$(^UninstallingSubText)"
LangString UninstallingSubtitle ${LANG_ENGLISH} "$(MUI_UNTEXT_UNINSTALLING_SUBTITLE)"
LangString UninstallingSubtitle ${LANG_KOREAN} "${PRODUCT}을 제거하는 동안 잠시 기다려 주세요."

; Every shortcut either language's installer makes, so that a reinstall on a
; system whose language changed replaces them rather than adding to them.
!macro DeleteShortcuts
  Delete "${MENU_FOLDER}\${PRODUCT}.lnk"
  Delete "${MENU_FOLDER}\Lumvox Stand-in.lnk"
  Delete "${MENU_FOLDER}\Lumvox 스탠드인.lnk"
  Delete "${MENU_FOLDER}\Uninstall ${PRODUCT}.lnk"
  Delete "${MENU_FOLDER}\${PRODUCT} 제거.lnk"
!macroend

; What the installer puts in FOLDER; a file the user added keeps the folder.
!macro DeleteInstalledFiles FOLDER
  Delete "${FOLDER}\LumvoxWorkshop.exe"
  Delete "${FOLDER}\lumvox-standin.exe"
  Delete "${FOLDER}\lumvox-send.exe"
  Delete "${FOLDER}\README.txt"
  Delete "${FOLDER}\${RELEASE_NOTES}"
  Delete "${FOLDER}\Uninstall.exe"
!macroend

; Sets $1 to the first program that runs from folder $0, or to "". A program that
; runs cannot be opened for appending.
!macro FindRunningProgram
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
    ${If} $1 == ""
    ${AndIf} ${FileExists} "$0\$3"
      ClearErrors
      FileOpen $4 "$0\$3" a
      ${If} ${Errors}
        StrCpy $1 "$3"
      ${Else}
        FileClose $4
      ${EndIf}
    ${EndIf}
  ${Next}
!macroend

; Before anything changes: while a program runs from folder $0, a silent run
; exits with EXIT_IN_USE and an interactive one names it and offers Retry/Cancel.
; BEFORE_QUIT, when not empty, is the function called before quitting.
!macro RefuseWhileRunning BEFORE_QUIT
  ${Do}
    !insertmacro FindRunningProgram
    ${If} $1 == ""
      ${Break}
    ${EndIf}
    ${If} ${Silent}
    ${OrIf} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(InUse)" IDCANCEL`
      SetErrorLevel ${EXIT_IN_USE}
      !if "${BEFORE_QUIT}" != ""
        Call ${BEFORE_QUIT}
      !endif
      Quit
    ${EndIf}
  ${Loop}
!macroend

; $0 = the Path value without FOLDER, $2 = the value as it is; $1 = "" when $0
; may be written back. A value NSIS may have cut short (its strings hold 1023
; characters) never is.
!macro PathWithout FOLDER
  ReadRegStr $2 HKCU "${ENVIRONMENT_KEY}" "Path"
  StrCpy $0 $2
  StrLen $1 $0
  ${If} $1 >= 1000
    StrCpy $1 "too long"
  ${Else}
    StrCpy $1 ""
    ${WordReplace} ";$0;" ";${FOLDER};" ";" "+" $0
    ${If} $0 == ";"
      StrCpy $0 ""
    ${Else}
      StrCpy $0 $0 "" 1
      StrCpy $0 $0 -1
    ${EndIf}
  ${EndIf}
!macroend

; Removes the folders an install created on the way to FOLDER (TOP the outermost),
; each while it is empty.
!macro RemoveEmptyParents FOLDER TOP
  ${If} ${TOP} != ""
  ${AndIf} ${TOP} != ${FOLDER}
    StrCpy $0 ${FOLDER}
    ${Do}
      ${GetParent} $0 $0
      ${If} $0 == ""
        ${Break}
      ${EndIf}
      RMDir "$0"
    ${LoopUntil} $0 == ${TOP}
  ${EndIf}
!macroend

!macro WritePath
  ${If} $0 == ""
    DeleteRegValue HKCU "${ENVIRONMENT_KEY}" "Path"
  ${Else}
    WriteRegExpandStr HKCU "${ENVIRONMENT_KEY}" "Path" "$0"
  ${EndIf}
  ; Consoles started from now on see the change.
  SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
!macroend

Function LeaveDirectoryPage
  Call CheckFoldersNotInUse
FunctionEnd

; The folder to install to and the earlier installation it replaces.
Function CheckFoldersNotInUse
  StrCpy $0 $INSTDIR
  !insertmacro RefuseWhileRunning ""
  ${If} $PreviousFolder != ""
    StrCpy $0 $PreviousFolder
    !insertmacro RefuseWhileRunning ""
  ${EndIf}
FunctionEnd

; Sets $FirstCreated to the outermost missing folder on the way to $INSTDIR.
Function FindFirstMissingFolder
  StrCpy $FirstCreated ""
  StrCpy $0 $INSTDIR
  ${DoWhile} $0 != ""
    ${IfNot} ${FileExists} "$0\*.*"
      StrCpy $FirstCreated $0
    ${Else}
      ${Break}
    ${EndIf}
    ${GetParent} $0 $0
  ${Loop}
FunctionEnd

Section "-Program"
  ; One installation per user: an earlier one in another folder goes first,
  ; the user's own files there stay.
  ${If} $PreviousFolder != ""
  ${AndIf} $PreviousFolder != $INSTDIR
    !insertmacro DeleteInstalledFiles $PreviousFolder
    RMDir "$PreviousFolder"
    ${If} $PathWasOurs == 1
      !insertmacro PathWithout $PreviousFolder
      ${If} $1 == ""
      ${AndIf} $0 != $2
        !insertmacro WritePath
      ${EndIf}
    ${EndIf}
    ReadRegStr $R3 HKCU "${UNINSTALL_KEY}" "CreatedFolder"
    !insertmacro RemoveEmptyParents $PreviousFolder $R3
  ${EndIf}
  ; An upgrade in place keeps the folder the first install recorded as its own.
  ReadRegStr $FirstCreated HKCU "${UNINSTALL_KEY}" "CreatedFolder"
  ${If} $PreviousFolder != $INSTDIR
    Call FindFirstMissingFolder
  ${EndIf}

  SetOutPath "$INSTDIR"
  File "${STAGE}\LumvoxWorkshop.exe"
  File "${STAGE}\lumvox-standin.exe"
  File "${STAGE}\lumvox-send.exe"
  File "${STAGE}\README.txt"
  File "${STAGE}\${RELEASE_NOTES}"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; Shortcuts start in the installation folder (the current output path).
  !insertmacro DeleteShortcuts
  CreateDirectory "${MENU_FOLDER}"
  CreateShortcut "${MENU_FOLDER}\${PRODUCT}.lnk" "$INSTDIR\LumvoxWorkshop.exe" "" "" "" "" "" "$(WorkshopDescription)"
  CreateShortcut "${MENU_FOLDER}\$(StandInShortcut).lnk" "$INSTDIR\lumvox-standin.exe" "" "" "" "" "" "$(StandInDescription)"
  ; The uninstaller runs in place, so that nothing of it goes to %TEMP%.
  CreateShortcut "${MENU_FOLDER}\$(UninstallShortcut).lnk" "$INSTDIR\Uninstall.exe" "_?=$INSTDIR" "" "" "" "" "$(UninstallDescription)"

  ${GetTime} "" "L" $0 $1 $2 $3 $4 $5 $6
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\LumvoxWorkshop.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallDate" "$2$1$0"
  ; Settings > Apps opens these as links; without a URL there is none to give.
  !ifdef URL
    WriteRegStr HKCU "${UNINSTALL_KEY}" "URLInfoAbout" "${URL}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "HelpLink" "${URL}"
  !else
    DeleteRegValue HKCU "${UNINSTALL_KEY}" "URLInfoAbout"
    DeleteRegValue HKCU "${UNINSTALL_KEY}" "HelpLink"
  !endif
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe" _?=$INSTDIR'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '${QUIET_UNINSTALL}'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" ${ESTIMATED_KB}
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${If} $FirstCreated == ""
    DeleteRegValue HKCU "${UNINSTALL_KEY}" "CreatedFolder"
  ${Else}
    WriteRegStr HKCU "${UNINSTALL_KEY}" "CreatedFolder" "$FirstCreated"
  ${EndIf}
  ; Written again below when the folder is on the Path because of an install.
  DeleteRegValue HKCU "${UNINSTALL_KEY}" "AddedToPath"
SectionEnd

; The folder goes on the Path, and the entry records that an install put it there,
; so that the uninstaller takes off only what an install added: an entry the user
; had already made stays theirs.
Section /o "$(PathSection)" SectionPath
  !insertmacro PathWithout $INSTDIR
  ${If} $1 == ""
    ${If} $0 == $2
      ${If} $0 == ""
        StrCpy $0 "$INSTDIR"
      ${Else}
        StrCpy $0 "$0;$INSTDIR"
      ${EndIf}
      !insertmacro WritePath
      WriteRegDWORD HKCU "${UNINSTALL_KEY}" "AddedToPath" 1
    ${ElseIf} $PathWasOurs == 1
    ${AndIf} $PreviousFolder == $INSTDIR
      WriteRegDWORD HKCU "${UNINSTALL_KEY}" "AddedToPath" 1
    ${EndIf}
  ${EndIf}
SectionEnd

Function .onInit
  ReadRegStr $PreviousFolder HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/ADDTOPATH" $R1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SectionPath}
  ${EndIf}
  ; A replaced installation that put its folder on the Path leaves its place there
  ; to this one.
  ReadRegDWORD $PathWasOurs HKCU "${UNINSTALL_KEY}" "AddedToPath"
  ${If} $PreviousFolder != ""
  ${AndIf} $PathWasOurs == 1
    !insertmacro PathWithout $PreviousFolder
    ${If} $1 == ""
    ${AndIf} $0 != $2
      !insertmacro SelectSection ${SectionPath}
    ${EndIf}
  ${EndIf}
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "DisplayVersion"
  ${If} $0 != ""
    ${VersionCompare} "$0" "${VERSION}" $1
    ClearErrors
    ${GetOptions} $R0 "/ALLOWDOWNGRADE" $R1
    ${If} $1 == 1
    ${AndIf} ${Errors}
      ${If} ${Silent}
        SetErrorLevel ${EXIT_NEWER_INSTALLED}
        Quit
      ${EndIf}
      ${If} ${Cmd} `MessageBox MB_YESNO|MB_DEFBUTTON2|MB_ICONQUESTION "$(NewerInstalled)" IDNO`
        SetErrorLevel ${EXIT_NEWER_INSTALLED}
        Quit
      ${EndIf}
    ${EndIf}
  ${EndIf}
  ; Silent runs have no pages: check the folders now, before anything changes.
  ${If} ${Silent}
    Call CheckFoldersNotInUse
  ${EndIf}
FunctionEnd

Function un.onInit
  ; NSIS's own copy in %TEMP% is given the folder with a closing backslash.
  StrCpy $0 $INSTDIR "" -1
  ${If} $0 == "\"
    StrCpy $INSTDIR $INSTDIR -1
  ${EndIf}
  ; Started without _?=, this is NSIS's copy, in a folder of its own in %TEMP%.
  StrCpy $CopyFolder ""
  StrLen $0 "$TEMP\~nsu"
  StrCpy $1 $EXEDIR $0
  StrCpy $2 $EXEDIR "" -4
  ${If} $1 == "$TEMP\~nsu"
  ${AndIf} $2 == ".tmp"
    StrCpy $CopyFolder $EXEDIR
  ${EndIf}
  ; Before the first page and before anything changes.
  StrCpy $0 $INSTDIR
  !insertmacro RefuseWhileRunning un.LeaveNothingBehind
FunctionEnd

; However the uninstaller ends (done, refused, cancelled, silent or not), what
; would stay of it goes once this process has ended: NSIS's copy and its folder in
; %TEMP%, or, run in place after the uninstall, its own file and the folders left
; empty. A hidden console does it, started by the shell with SW_HIDE (Exec would
; show it and take the focus); a ping to this computer is the one-second wait
; every Windows and Wine have. It starts when this process is about to end, so it
; never waits on a page left open.
Function un.LeaveNothingBehind
  ${If} $HelperStarted == 1
    Return
  ${EndIf}
  ${If} $CopyFolder != ""
    StrCpy $0 'rd /s /q "$CopyFolder" 2>nul'
    StrCpy $1 "$CopyFolder"
  ${ElseIf} $UninstallDone == 1
  ${AndIf} $EXEDIR == $INSTDIR
  ${AndIf} ${FileExists} "$INSTDIR\Uninstall.exe"
    StrCpy $0 'del /f /q "$INSTDIR\Uninstall.exe" 2>nul$FoldersToRemove'
    StrCpy $1 "$INSTDIR\Uninstall.exe"
  ${Else}
    Return
  ${EndIf}
  StrCpy $HelperStarted 1
  ExecShell "open" "$SYSDIR\cmd.exe" '/d /q /c for /l %i in (1,1,600) do ($0 & if exist "$1" (ping -n 2 127.0.0.1 >nul) else exit)' SW_HIDE
FunctionEnd

Function un.onGUIEnd
  Call un.LeaveNothingBehind
FunctionEnd

; Sets $0 to "1" when folder $INSTDIR holds anything but what this process cannot
; remove itself (its own file, when it runs from there).
Function un.FolderHoldsOthers
  StrCpy $0 ""
  FindFirst $1 $2 "$INSTDIR\*.*"
  ${DoWhile} $2 != ""
    ${If} $2 != "."
    ${AndIf} $2 != ".."
      ${If} $2 != "Uninstall.exe"
      ${OrIf} $EXEDIR != $INSTDIR
        StrCpy $0 1
      ${EndIf}
    ${EndIf}
    FindNext $1 $2
  ${Loop}
  FindClose $1
FunctionEnd

; Removes exactly what the installer put there: a file the user added keeps the
; folder, and the folder stays.
Section "Uninstall"
  SetOutPath "$TEMP"
  ; An older installation's uninstaller leaves the entry, links and Path of a
  ; newer one in another folder alone; the Path entry goes only when an install
  ; put it there.
  ReadRegStr $R0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  StrCpy $R1 ""
  ${If} $R0 == $INSTDIR
    ReadRegStr $R1 HKCU "${UNINSTALL_KEY}" "CreatedFolder"
    ReadRegDWORD $R2 HKCU "${UNINSTALL_KEY}" "AddedToPath"
    !insertmacro DeleteShortcuts
    RMDir "${MENU_FOLDER}"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    ${If} $R2 == 1
      !insertmacro PathWithout $INSTDIR
      ${If} $1 == ""
      ${AndIf} $0 != $2
        !insertmacro WritePath
      ${EndIf}
    ${EndIf}
  ${EndIf}

  !insertmacro DeleteInstalledFiles $INSTDIR
  RMDir "$INSTDIR"
  !insertmacro RemoveEmptyParents $INSTDIR $R1
  ; What the helper removes after this process, in order: the folder, then each
  ; folder an install made on the way to it.
  StrCpy $FoldersToRemove ' & rd "$INSTDIR" 2>nul'
  ${If} $R1 != ""
  ${AndIf} $R1 != $INSTDIR
    StrCpy $0 $INSTDIR
    ${Do}
      ${GetParent} $0 $0
      ${If} $0 == ""
        ${Break}
      ${EndIf}
      StrCpy $FoldersToRemove '$FoldersToRemove & rd "$0" 2>nul'
    ${LoopUntil} $0 == $R1
  ${EndIf}

  Call un.FolderHoldsOthers
  ${If} $0 == 1
    StrCpy $UninstallResult "$(KeptFolder)"
  ${Else}
    StrCpy $UninstallResult "$(RemovedAll)"
  ${EndIf}
  DetailPrint "$UninstallResult"
  StrCpy $UninstallDone 1
  ${If} ${Silent}
    Call un.LeaveNothingBehind
  ${EndIf}
SectionEnd
