; Trimwell's installer: a per-machine install with a Start-menu shortcut, an Apps & features entry and
; "Open with" for JPEG files that never takes over the user's default program.
; scripts/package passes VERSION, STAGE (the folder of the files to ship), OUTFILE and, when the help file
; were built (English and Japanese), HAVE_CHM.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true
RequestExecutionLevel admin

!include "MUI2.nsh"
!include "FileFunc.nsh"

!define PRODUCT "Trimwell"
!define PUBLISHER "Morvane"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Trimwell"
!define APP_KEY "Software\Classes\Applications\Trimwell.exe"
!define PROGID "Trimwell.AssocFile.JPG"
!define PROGID_KEY "Software\Classes\${PROGID}"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "LegalCopyright" "Copyright (C) ${PUBLISHER}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"

!define MUI_ICON "${STAGE}\installer.ico"
!define MUI_UNICON "${STAGE}\installer.ico"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\Trimwell.exe"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE $(ReadMeFile)
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The first language is the one for systems that speak neither; otherwise the system's language decides.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Japanese"

LicenseLangString ReadMeFile ${LANG_ENGLISH} "${STAGE}\ReadMe-en.txt"
LicenseLangString ReadMeFile ${LANG_JAPANESE} "${STAGE}\ReadMe-ja.txt"
LangString FileTypeName ${LANG_ENGLISH} "JPEG picture"
LangString FileTypeName ${LANG_JAPANESE} "JPEG 画像"
LangString OpenWithName ${LANG_ENGLISH} "Trimwell"
LangString OpenWithName ${LANG_JAPANESE} "Trimwell"

Function .onInit
    SetShellVarContext all
    SetRegView 64
FunctionEnd

Function un.onInit
    SetShellVarContext all
    SetRegView 64
FunctionEnd

!macro OpenWithExtension extension
    WriteRegStr HKLM "Software\Classes\${extension}\OpenWithProgids" "${PROGID}" ""
    WriteRegStr HKLM "${APP_KEY}\SupportedTypes" "${extension}" ""
!macroend

!macro ForgetExtension extension
    DeleteRegValue HKLM "Software\Classes\${extension}\OpenWithProgids" "${PROGID}"
    DeleteRegKey /ifempty HKLM "Software\Classes\${extension}\OpenWithProgids"
    DeleteRegKey /ifempty HKLM "Software\Classes\${extension}"
!macroend

Section "Trimwell"
    SetOutPath "$INSTDIR"
    File "${STAGE}\Trimwell.exe"
    File "${STAGE}\English.dll"
    File "${STAGE}\Japanese.dll"
    File "${STAGE}\trimwell-crop.exe"
    File "/oname=ReadMe.txt" "${STAGE}\ReadMe-en.txt"
!ifdef HAVE_CHM
    File "${STAGE}\Trimwell.chm"
    File "${STAGE}\Trimwell.ja.chm"
!endif
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    CreateShortcut "$SMPROGRAMS\Trimwell.lnk" "$INSTDIR\Trimwell.exe" "" "$INSTDIR\Trimwell.exe" 0

    ; "Open with": the application's own key and a ProgID listed beside, never in place of, the default.
    WriteRegStr HKLM "${APP_KEY}" "FriendlyAppName" "$(OpenWithName)"
    WriteRegStr HKLM "${APP_KEY}\DefaultIcon" "" '"$INSTDIR\Trimwell.exe",0'
    WriteRegStr HKLM "${APP_KEY}\shell\open\command" "" '"$INSTDIR\Trimwell.exe" "%1"'
    WriteRegStr HKLM "${PROGID_KEY}" "" "$(FileTypeName)"
    WriteRegStr HKLM "${PROGID_KEY}" "FriendlyTypeName" "$(FileTypeName)"
    WriteRegStr HKLM "${PROGID_KEY}\DefaultIcon" "" '"$INSTDIR\Trimwell.exe",0'
    WriteRegStr HKLM "${PROGID_KEY}\shell\open\command" "" '"$INSTDIR\Trimwell.exe" "%1"'
    !insertmacro OpenWithExtension ".jpg"
    !insertmacro OpenWithExtension ".jpeg"
    !insertmacro OpenWithExtension ".jpe"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\Trimwell.exe",0'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    IntFmt $0 "0x%08X" $0
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" "$0"

    ; Explorer rereads the associations.
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd

; Only what the installer put there: the user's settings (in the application-data folder, or a
; Trimwell.ini the user placed beside the program) stay.
Section "Uninstall"
    Delete "$INSTDIR\Trimwell.exe"
    Delete "$INSTDIR\English.dll"
    Delete "$INSTDIR\Japanese.dll"
    Delete "$INSTDIR\trimwell-crop.exe"
    Delete "$INSTDIR\ReadMe.txt"
    Delete "$INSTDIR\Trimwell.chm"
    Delete "$INSTDIR\Trimwell.ja.chm"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\Trimwell.lnk"

    !insertmacro ForgetExtension ".jpg"
    !insertmacro ForgetExtension ".jpeg"
    !insertmacro ForgetExtension ".jpe"
    DeleteRegKey HKLM "${APP_KEY}"
    DeleteRegKey HKLM "${PROGID_KEY}"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd
