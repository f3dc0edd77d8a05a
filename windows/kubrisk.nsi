; The Windows installer: a per-user install that needs no administrator, with a Start-menu
; shortcut and an entry in Add/Remove Programs; /S installs and uninstalls silently.
;   makensis -DVERSION=1.0.0 -DFOLDER=<the unpacked zip's folder> -DUNINSTALL=<files.nsh>
;            -DICON=main.ico -DOUTFILE=<installer.exe> kubrisk.nsi
; UNINSTALL lists the Delete and RMDir lines for exactly the files of FOLDER, so that the
; uninstaller removes what was installed and nothing else, wherever that was.

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

Section
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
