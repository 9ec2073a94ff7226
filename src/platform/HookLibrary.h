#pragma once

#include <cstdint>

namespace vanto::platform {

// The low-level records of the system's mouse and keyboard hooks, laid out as the system lays
// them out, so that the hook library hands its own record straight through.
struct TMSLLHOOKSTRUCT {
    std::int32_t X = 0;
    std::int32_t Y = 0;
    // High word: the signed wheel movement for the wheel, the X-button number for X buttons.
    std::uint32_t mouseData = 0;
    // Bit 0: made up by software.
    std::uint32_t flags = 0;
    std::uint32_t time = 0;
    std::uintptr_t dwExtraInfo = 0;
};

struct TKBDLLHOOKSTRUCT {
    std::uint32_t vkCode = 0;
    std::uint32_t scanCode = 0;
    // Bit 0: extended key; bit 4: made up by software; bit 7: released.
    std::uint32_t flags = 0;
    std::uint32_t time = 0;
    std::uintptr_t dwExtraInfo = 0;
};

inline constexpr std::uint32_t LLMHF_INJECTED_FLAG = 0x01;
inline constexpr std::uint32_t LLKHF_EXTENDED_FLAG = 0x01;
inline constexpr std::uint32_t LLKHF_UP_FLAG = 0x80;

// Mouse messages as a mouse hook reports them.
inline constexpr std::uint32_t WM_MOUSEMOVE_MSG = 0x0200;
inline constexpr std::uint32_t WM_LBUTTONDOWN_MSG = 0x0201;
inline constexpr std::uint32_t WM_LBUTTONUP_MSG = 0x0202;
inline constexpr std::uint32_t WM_RBUTTONDOWN_MSG = 0x0204;
inline constexpr std::uint32_t WM_RBUTTONUP_MSG = 0x0205;
inline constexpr std::uint32_t WM_MBUTTONDOWN_MSG = 0x0207;
inline constexpr std::uint32_t WM_MBUTTONUP_MSG = 0x0208;
inline constexpr std::uint32_t WM_MOUSEWHEEL_MSG = 0x020A;
inline constexpr std::uint32_t WM_XBUTTONDOWN_MSG = 0x020B;
inline constexpr std::uint32_t WM_XBUTTONUP_MSG = 0x020C;
inline constexpr std::uint32_t WM_MOUSEHWHEEL_MSG = 0x020E;

// Called by the hook library once per system-wide input event, synchronously, on the thread
// that enabled the hook: the context given at enabling, the hook code, the message, the
// low-level record (valid during the call only) and a one-byte flag that, set to 1, withholds
// the event from the rest of the system.
using THookCallback = void (*)(void* AContext, std::int32_t ACode, std::uintptr_t AMessage,
                               const void* ARecord, std::uint8_t* ABlock);

enum class THookLoadResult {
    Loaded,
    NotFound,
    // The library is there but lacks one of its four entry points; it was unloaded again.
    Incomplete,
};

// The hook library uiHook.dll: four entry points over the system's low-level hooks. It holds
// at most one keyboard and one mouse callback; enabling replaces nothing, so callers disable
// before they enable.
class IHookLibrary {
public:
    virtual ~IHookLibrary() = default;
    // Loads the library once; a later call while it is loaded reports Loaded at once.
    virtual THookLoadResult Load() = 0;
    virtual void Unload() = 0;
    virtual void EnableKeyboardHook(THookCallback ACallback, void* AContext) = 0;
    virtual void DisableKeyboardHook() = 0;
    virtual void EnableMouseHook(THookCallback ACallback, void* AContext) = 0;
    virtual void DisableMouseHook() = 0;
    // Whether the key is down at this moment, as the system knows it, by virtual-key code
    // (VK_LCONTROL and VK_RCONTROL tell the sides apart). A key pressed before any hook was
    // set counts, and one whose release went to another desktop does not. Inside a keyboard
    // callback the event being delivered has not reached this state yet.
    virtual bool KeyDown(std::uint32_t AVirtualKey) = 0;
};

} // namespace vanto::platform
