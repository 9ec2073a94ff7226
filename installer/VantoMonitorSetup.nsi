; The monitor's installer: a per-user install that needs no administrator rights. CMake runs
; makensis on it with the version and the paths of the built files (installer/CMakeLists.txt).

!ifndef VERSION | VERSION_MAJOR | VERSION_MINOR | VERSION_PATCH
    !error "makensis needs -DVERSION, -DVERSION_MAJOR, -DVERSION_MINOR and -DVERSION_PATCH"
!endif
!ifndef MONITOR_EXE | HOOK_DLL | CONFIG_INI | ICON_FILE | OUTFILE
    !error "makensis needs -DMONITOR_EXE, -DHOOK_DLL, -DCONFIG_INI, -DICON_FILE and -DOUTFILE"
!endif

; The monitor is a 64-bit program: a 64-bit installer refuses a system it cannot run on, and
; Windows shows it the same registry and folders the monitor sees.
Target amd64-unicode
RequestExecutionLevel user
ManifestDPIAware true
SetCompressor /SOLID lzma
; A file in use must stop the install, never be skipped in silence.
AllowSkipFiles off

!include LogicLib.nsh
!include Sections.nsh
!include FileFunc.nsh
!include WinMessages.nsh
!include MUI2.nsh
!include Identity.nsh
!include MonitorProcess.nsh

Name "${PRODUCT_NAME}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${INSTALL_FOLDER_NAME}"
; An update goes where the last install went.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT_NAME} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

!define MUI_ICON "${ICON_FILE}"
!define MUI_UNICON "${ICON_FILE}"
!define MUI_ABORTWARNING

!define MUI_WELCOMEPAGE_TEXT "Setup will install the ${PRODUCT_NAME} ${VERSION} for you alone, in your own program folder: no administrator rights are needed.$\r$\n$\r$\nThe monitor runs behind a tray icon and starts whenever you log on. If the monitor is running now, Setup ends it before it replaces its files.$\r$\n$\r$\nClick Next to continue."
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Start the monitor now"
!define MUI_FINISHPAGE_RUN_FUNCTION StartMonitor
!insertmacro MUI_PAGE_FINISH

!define MUI_COMPONENTSPAGE_NODESC
!define MUI_COMPONENTSPAGE_TEXT_TOP "The monitor will be ended and removed. Your profiles and settings (Documents\${PROFILE_FOLDER_NAME} and their registry entries) are kept for a later install unless you tick them."
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${VERSION_MAJOR}.${VERSION_MINOR}.${VERSION_PATCH}.0"
VIFileVersion "${VERSION_MAJOR}.${VERSION_MINOR}.${VERSION_PATCH}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "Vanto Gaming Mouse"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${PRODUCT_NAME} Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "${PUBLISHER}"

!insertmacro VANTO_END_MONITOR_FUNCTION ""

Section "-Monitor"
    ; An update replaces the files of a running monitor.
    !insertmacro VANTO_END_MONITOR_OR_ABORT ""

    SetOutPath "$INSTDIR"
    File "/oname=${MONITOR_EXE_NAME}" "${MONITOR_EXE}"
    File "/oname=${HOOK_DLL_NAME}" "${HOOK_DLL}"
    ; The user's own device list and help files outlive an update.
    SetOverwrite off
    File "/oname=${CONFIG_INI_NAME}" "${CONFIG_INI}"
    SetOverwrite on
    WriteUninstaller "$INSTDIR\${UNINSTALLER_NAME}"

    WriteRegStr HKCU "${RUN_KEY}" "${RUN_VALUE_NAME}" '"$INSTDIR\${MONITOR_EXE_NAME}"'

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT_NAME}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${MONITOR_EXE_NAME},0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER_NAME}"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER_NAME}" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "VersionMajor" ${VERSION_MAJOR}
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "VersionMinor" ${VERSION_MINOR}
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; The monitor's working folder is its own, as when Windows starts it at logon.
Function StartMonitor
    SetOutPath "$INSTDIR"
    Exec '"$INSTDIR\${MONITOR_EXE_NAME}"'
FunctionEnd

; A silent install has no finish page to ask on; it starts the monitor as the page would.
Function .onInstSuccess
    ${If} ${Silent}
        Call StartMonitor
    ${EndIf}
FunctionEnd

!include Uninstaller.nsh
