#pragma once

#include <cstdint>

namespace vanto::platform {

// A window as the window system names it; 0 is "no window".
using TWindowHandle = std::uintptr_t;

using TMessageId = std::uint32_t;
using TWParam = std::uintptr_t;
using TLParam = std::intptr_t;
using TMessageResult = std::intptr_t;

// Message numbers the core shares with the window system.
inline constexpr TMessageId WM_TIMER_MESSAGE = 0x0113;
// The session is about to end (log-off, shut-down): a program may still refuse, most agree. Then
// it ends, wParam nonzero, and the process may be ended any moment after the answer.
inline constexpr TMessageId WM_QUERYENDSESSION_MESSAGE = 0x0011;
inline constexpr TMessageId WM_ENDSESSION_MESSAGE = 0x0016;
inline constexpr TMessageId WM_USER_FIRST = 0x0400;

} // namespace vanto::platform
