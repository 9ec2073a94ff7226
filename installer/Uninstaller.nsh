; The uninstaller: ends the monitor, removes what the installer put in place and, only when the
; user asks for it, the profiles. Included at the end of VantoMonitorSetup.nsi.

!insertmacro VANTO_END_MONITOR_FUNCTION "un."

Section "un.${PRODUCT_NAME}" UnSectionMonitor
    SectionIn RO
    ; Its files are in use while it runs, and it may still be saving a profile.
    !insertmacro VANTO_END_MONITOR_OR_ABORT "un."

    DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE_NAME}"
    Delete "$INSTDIR\${MONITOR_EXE_NAME}"
    Delete "$INSTDIR\${HOOK_DLL_NAME}"
    Delete "$INSTDIR\${CONFIG_INI_NAME}"
    Delete "$INSTDIR\${UNINSTALLER_NAME}"
    ; Not recursive: files the user put beside the monitor (a ui.local) keep the folder, and a
    ; folder chosen by hand is never emptied of anything else.
    RMDir "$INSTDIR"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd

Section /o "un.My profiles and settings" UnSectionProfiles
    DeleteRegKey HKCU "${PROFILE_REGISTRY_KEY}"
    ; Without a Documents folder the path would name a folder at the root of a drive.
    ${If} "$DOCUMENTS" != ""
        RMDir /r "$DOCUMENTS\${PROFILE_FOLDER_NAME}"
    ${EndIf}
SectionEnd

; A silent uninstall keeps the profiles unless the command line asks otherwise.
Function un.onInit
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "${REMOVE_PROFILES_SWITCH}" $1
    ${IfNot} ${Errors}
        SectionGetFlags ${UnSectionProfiles} $0
        IntOp $0 $0 | ${SF_SELECTED}
        SectionSetFlags ${UnSectionProfiles} $0
    ${EndIf}
FunctionEnd
