#pragma once

// The four entry points of uiHook.dll, shared by the library and by the monitor that binds them
// by name at run time.

#include <windows.h>

#include <cstdint>

namespace vanto::uihook {

// Called once per input event on the thread that enabled the hook: the context given at
// enabling, the hook code, the message, the system's own low-level record and a one-byte flag
// (0 on entry) that the callback sets to withhold the event from the rest of the system.
using TCallback = void (*)(void* AContext, std::int32_t ACode, std::uintptr_t AMessage,
                           const void* ARecord, std::uint8_t* ABlock);

// The reserved value is passed as 0. Callers ignore the results.
using TEnableHook = BOOL(WINAPI*)(TCallback ACallback, void* AContext, DWORD AReserved);
using TDisableHook = BOOL(WINAPI*)();

inline constexpr char ENABLE_KEYBOARD_HOOK[] = "EnableKeyboardHook";
inline constexpr char DISABLE_KEYBOARD_HOOK[] = "DisableKeyboardHook";
inline constexpr char ENABLE_MOUSE_HOOK[] = "EnableMouseHook";
inline constexpr char DISABLE_MOUSE_HOOK[] = "DisableMouseHook";

} // namespace vanto::uihook
