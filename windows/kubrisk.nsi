; The Windows installer: a per-user install that needs no administrator, with a Start-menu
; shortcut and an entry in Add/Remove Programs; /S installs and uninstalls silently. Over an
; earlier version it updates in place; it refuses to replace a newer one, or a running game.
;   makensis -DVERSION=1.0.0 -DFOLDER=<the unpacked zip's folder> -DUNINSTALL=<files.nsh>
;            -DICON=main.ico -DOUTFILE=<installer.exe> kubrisk.nsi
; UNINSTALL lists the Delete and RMDir lines for exactly the files of FOLDER, so that the
; uninstaller removes what was installed and nothing else, wherever that was.
; Exit codes beside NSIS's own (0 done, 1 cancelled, 2 aborted): 3, a newer version is installed;
; 4, Kubrisk is running, and the player did not close it.

; Each define above is needed; without one the script stops.
!macro REQUIRE DEFINE
    !ifndef ${DEFINE}
        !error "kubrisk.nsi needs -D${DEFINE}=..., as its first lines say"
    !endif
!macroend
!insertmacro REQUIRE VERSION
!insertmacro REQUIRE FOLDER
!insertmacro REQUIRE UNINSTALL
!insertmacro REQUIRE ICON
!insertmacro REQUIRE OUTFILE

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
; No file times in the installer, so that the same files give the same installer.
SetDateSave off
RequestExecutionLevel user
ManifestDPIAware true

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "WordFunc.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kubrisk"
!define PUBLISHER "The Kubrisk developers"

Name "Kubrisk"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Kubrisk"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Kubrisk ${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\kubrisk.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "SimpChinese"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "Kubrisk"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "Kubrisk installer"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "MIT licence; Qt under the LGPL 3.0"

; A running game's files cannot be replaced or removed: the player closes it first. Windows
; refuses to open a running program for writing. $0 is its folder.
!macro CLOSED_GAME PREFIX
Function ${PREFIX}ClosedGame
    retry:
    IfFileExists "$0\kubrisk.exe" 0 done
    ClearErrors
    FileOpen $1 "$0\kubrisk.exe" a
    IfErrors 0 closed
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Kubrisk is running: close it, then Retry." \
        /SD IDCANCEL IDRETRY retry
    SetErrorLevel 4
    Quit
    closed:
    FileClose $1
    done:
FunctionEnd
!macroend
!insertmacro CLOSED_GAME ""
!insertmacro CLOSED_GAME "un."

Function .onInit
    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "DisplayVersion"
    ${If} $0 != ""
        ${VersionCompare} $0 "${VERSION}" $1
        ${If} $1 == 1
            StrCpy $2 "Kubrisk $0 is installed, which is newer than this installer's ${VERSION}."
            MessageBox MB_ICONSTOP "$2 To go back to ${VERSION}, uninstall it first." /SD IDOK
            SetErrorLevel 3
            Quit
        ${EndIf}
        ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
        Call ClosedGame
    ${EndIf}
FunctionEnd

Function un.onInit
    StrCpy $0 $INSTDIR
    Call un.ClosedGame
FunctionEnd

Section
    ; An installed version's own uninstaller removes exactly its files, wherever they are, so that
    ; none is left that this version lacks. It runs in place, and leaves itself behind.
    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 != ""
    ${AndIf} ${FileExists} "$0\uninstall.exe"
        ExecWait '"$0\uninstall.exe" /S _?=$0'
        Delete "$0\uninstall.exe"
        RMDir "$0"
    ${EndIf}
    SetOutPath "$INSTDIR"
    File /r "${FOLDER}/*"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortCut "$SMPROGRAMS\Kubrisk.lnk" "$INSTDIR\kubrisk.exe"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Kubrisk"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\kubrisk.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
    Delete "$SMPROGRAMS\Kubrisk.lnk"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    !include "${UNINSTALL}"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
SectionEnd
