; Names the installer shares with the monitor and with Windows. The monitor's window, mutex and
; registry key are fixed by the monitor (src/app/ConfigAppInterface.h) and by the configuration
; application that finds it; they must not drift apart.

!define PRODUCT_NAME "Vanto Gaming Mouse Monitor"
!define PUBLISHER "Vanto"
!define INSTALL_FOLDER_NAME "Vanto Gaming Mouse"

!define MONITOR_EXE_NAME "VantoMon.exe"
!define HOOK_DLL_NAME "uiHook.dll"
!define CONFIG_INI_NAME "config.ini"
!define UNINSTALLER_NAME "Uninstall.exe"

!define MONITOR_WINDOW_CLASS "TVantoMonExMain"
!define MONITOR_WINDOW_TITLE "QUORVIN_MONITOR_EX"
!define MONITOR_MUTEX_NAME "TVantoMonExMain"
; The tray menu's "Exit": the monitor tells the configuration application and ends.
!define MONITOR_EXIT_COMMAND 1003
; Long enough for a monitor that is just opening the mouse to get round to its messages.
!define MONITOR_EXIT_WAIT_MS 10000

; Per user throughout: the installer never asks for administrator rights.
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE_NAME "VantoMon"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\VantoGamingMouseMonitor"

; What the user's profiles are kept in; left alone unless the user asks for them to go.
!define PROFILE_REGISTRY_KEY "software\VantoGamingMouse"
!define PROFILE_FOLDER_NAME "Vanto Gaming Mouse"
!define REMOVE_PROFILES_SWITCH "/REMOVEPROFILES"
