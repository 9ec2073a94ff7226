// A stand-in for uiHook.dll that the build exports only partly, once without each entry point:
// the monitor must turn every one of them away. Nothing here is ever meant to run.

#include <windows.h>

extern "C" {

BOOL WINAPI EnableKeyboardHook(void* /*ACallback*/, void* /*AContext*/, DWORD /*AReserved*/) {
    return FALSE;
}

BOOL WINAPI DisableKeyboardHook() {
    return FALSE;
}

BOOL WINAPI EnableMouseHook(void* /*ACallback*/, void* /*AContext*/, DWORD /*AReserved*/) {
    return FALSE;
}

BOOL WINAPI DisableMouseHook() {
    return FALSE;
}

} // extern "C"
