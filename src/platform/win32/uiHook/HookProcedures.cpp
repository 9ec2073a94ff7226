// uiHook.dll: the system-wide low-level keyboard and mouse hooks, each handing every event to
// one callback of the monitor's. Low-level hooks are called on the thread that set them, from its
// message loop; the monitor enables and disables on that same thread, so nothing here needs a
// lock.

#include "EntryPoints.h"

#include <type_traits>

namespace {

using vanto::uihook::TCallback;

struct THookSlot {
    HHOOK FHook = nullptr;
    TCallback FCallback = nullptr;
    void* FContext = nullptr;
};

HINSTANCE Instance = nullptr;
THookSlot Keyboard;
THookSlot Mouse;

LRESULT Deliver(const THookSlot& ASlot, int ACode, WPARAM AWParam, LPARAM ALParam) {
    // Negative codes are meant for the hook chain alone and must reach the next hook untouched.
    if (ACode >= 0 && ASlot.FCallback != nullptr) {
        // A copy: the callback may disable or replace its own hook while it runs.
        const THookSlot Slot = ASlot;
        std::uint8_t Block = 0;
        Slot.FCallback(Slot.FContext, ACode, AWParam, reinterpret_cast<const void*>(ALParam),
                       &Block);
        if (Block != 0) {
            // Nonzero from a low-level hook keeps the event from every later hook and window.
            return 1;
        }
    }
    return CallNextHookEx(nullptr, ACode, AWParam, ALParam);
}

LRESULT CALLBACK KeyboardProc(int ACode, WPARAM AWParam, LPARAM ALParam) {
    return Deliver(Keyboard, ACode, AWParam, ALParam);
}

LRESULT CALLBACK MouseProc(int ACode, WPARAM AWParam, LPARAM ALParam) {
    return Deliver(Mouse, ACode, AWParam, ALParam);
}

BOOL Remove(THookSlot& ASlot) {
    const HHOOK Hook = ASlot.FHook;
    ASlot = {};
    return Hook == nullptr || UnhookWindowsHookEx(Hook);
}

BOOL Install(THookSlot& ASlot, int AKind, HOOKPROC AProcedure, TCallback ACallback,
             void* AContext) {
    // A second hook of the same kind would call back twice per event.
    Remove(ASlot);
    if (ACallback == nullptr) {
        return FALSE;
    }
    ASlot.FCallback = ACallback;
    ASlot.FContext = AContext;
    ASlot.FHook = SetWindowsHookExW(AKind, AProcedure, Instance, 0);
    if (ASlot.FHook == nullptr) {
        ASlot = {};
        return FALSE;
    }
    return TRUE;
}

} // namespace

extern "C" {

BOOL WINAPI EnableKeyboardHook(TCallback ACallback, void* AContext, DWORD /*AReserved*/) {
    return Install(Keyboard, WH_KEYBOARD_LL, KeyboardProc, ACallback, AContext);
}

BOOL WINAPI DisableKeyboardHook() {
    return Remove(Keyboard);
}

BOOL WINAPI EnableMouseHook(TCallback ACallback, void* AContext, DWORD /*AReserved*/) {
    return Install(Mouse, WH_MOUSE_LL, MouseProc, ACallback, AContext);
}

BOOL WINAPI DisableMouseHook() {
    return Remove(Mouse);
}

BOOL WINAPI DllMain(HINSTANCE AInstance, DWORD AReason, LPVOID AReserved) {
    if (AReason == DLL_PROCESS_ATTACH) {
        Instance = AInstance;
        DisableThreadLibraryCalls(AInstance);
    } else if (AReason == DLL_PROCESS_DETACH && AReserved == nullptr) {
        // Freed with a hook still set: the system would otherwise call into unmapped code. At
        // process exit (AReserved set) the hooks go with the process.
        Remove(Keyboard);
        Remove(Mouse);
    }
    return TRUE;
}

} // extern "C"

// The monitor binds the entry points by name only; nothing else would notice a changed type.
static_assert(std::is_same_v<decltype(&EnableKeyboardHook), vanto::uihook::TEnableHook>);
static_assert(std::is_same_v<decltype(&DisableKeyboardHook), vanto::uihook::TDisableHook>);
static_assert(std::is_same_v<decltype(&EnableMouseHook), vanto::uihook::TEnableHook>);
static_assert(std::is_same_v<decltype(&DisableMouseHook), vanto::uihook::TDisableHook>);
