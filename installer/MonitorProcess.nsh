; Ending a running monitor, for the installer (an update replaces its files) and the uninstaller
; alike. Needs Identity.nsh, LogicLib.nsh and WinMessages.nsh.

; Opening the mutex or the process needs no more than the right to wait on it.
!define SYNCHRONIZE 0x00100000
!define WAIT_OBJECT_0 0

; Asks the running monitor to exit the way its tray menu does and waits, at most
; MONITOR_EXIT_WAIT_MS, until its single-instance mutex is gone and its process has ended: the
; mutex goes while the process is still winding down, and the program file stays in use until the
; process has ended. The mutex is what tells that no monitor runs at all: the monitor holds it
; from before its window exists until its end. A window is asked once only: each request to exit
; also tells the configuration application that the monitor ends. Leaves "ended" or "running" on
; the stack.
!macro VANTO_END_MONITOR_FUNCTION UN
Function ${UN}EndMonitor
    Push $0
    Push $1
    Push $2
    Push $3
    Push $4
    StrCpy $1 0 ; the window asked last
    StrCpy $2 0 ; milliseconds waited
    StrCpy $3 0 ; the process of that window
    ${Do}
        FindWindow $0 "${MONITOR_WINDOW_CLASS}" "${MONITOR_WINDOW_TITLE}"
        ${If} $0 <> 0
        ${AndIf} $0 <> $1
            ${If} $3 <> 0
                System::Call "kernel32::CloseHandle(p r3)"
            ${EndIf}
            System::Call "user32::GetWindowThreadProcessId(p r0, *i .r4)"
            System::Call "kernel32::OpenProcess(i ${SYNCHRONIZE}, i 0, i r4) p .r3"
            System::Call "user32::PostMessageW(p r0, i ${WM_COMMAND}, p ${MONITOR_EXIT_COMMAND}, p 0)"
            StrCpy $1 $0
        ${EndIf}
        System::Call "kernel32::OpenMutexW(i ${SYNCHRONIZE}, i 0, w '${MONITOR_MUTEX_NAME}') p .r0"
        ${If} $0 = 0
            StrCpy $0 ended
            ${Break}
        ${EndIf}
        System::Call "kernel32::CloseHandle(p r0)"
        ${If} $2 >= ${MONITOR_EXIT_WAIT_MS}
            StrCpy $0 running
            ${Break}
        ${EndIf}
        Sleep 100
        IntOp $2 $2 + 100
    ${Loop}
    ${If} $3 <> 0
        ${If} $0 == ended
            IntOp $2 ${MONITOR_EXIT_WAIT_MS} - $2
            System::Call "kernel32::WaitForSingleObject(p r3, i r2) i .r4"
            ${If} $4 <> ${WAIT_OBJECT_0}
                StrCpy $0 running
            ${EndIf}
        ${EndIf}
        System::Call "kernel32::CloseHandle(p r3)"
    ${EndIf}
    Pop $4
    Pop $3
    Pop $2
    Pop $1
    Exch $0
FunctionEnd
!macroend

; Ends the monitor or gives up: the user may close it and retry; a silent run fails, since
; files in use could be left half replaced or half removed.
!macro VANTO_END_MONITOR_OR_ABORT UN
    DetailPrint "Ending the monitor if it runs"
    ${Do}
        Call ${UN}EndMonitor
        Pop $0
        ${If} $0 == ended
            ${Break}
        ${EndIf}
        ${IfNot} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "The ${PRODUCT_NAME} is still running. Exit it from its tray icon, then choose Retry." /SD IDCANCEL IDRETRY`
            Abort "The ${PRODUCT_NAME} did not end."
        ${EndIf}
    ${Loop}
!macroend
