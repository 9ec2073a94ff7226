#pragma once

#include "platform/Types.h"

#include <cstdint>
#include <functional>
#include <string>

namespace vanto::platform {

// Handles every message that reaches one window; the result is what a send returns.
using TWindowProc = std::function<TMessageResult(TMessageId, TWParam, TLParam)>;

// Windows, window messages and timers of the main thread.
//
// The semantics are those the monitor relies on: posted messages queue and run from the
// message loop in order; a send runs the receiver's handler before it returns, and a thread
// that waits in a send still handles messages sent to its own windows; a timer posts
// WM_TIMER_MESSAGE with its id as wParam to its window each time its interval passes.
class IWindowSystem {
public:
    virtual ~IWindowSystem() = default;

    // A hidden top-level window that FindTopWindow finds by its class.
    virtual TWindowHandle CreateHiddenWindow(const std::u16string& AClassName,
                                             const std::u16string& ATitle, TWindowProc AProc) = 0;
    virtual void DestroyHiddenWindow(TWindowHandle AWindow) = 0;
    // Brings a top-level window to the foreground; false when the platform refused.
    virtual bool BringToForeground(TWindowHandle AWindow) = 0;
    // The title of the window the user works in now, at most 255 characters; empty when none.
    virtual std::u16string ForegroundWindowTitle() = 0;
    // Whether the window the user works in belongs to a process of higher integrity than this
    // one, which the system keeps synthesised input from; a process that cannot be asked counts
    // as higher. False without such a window or on a system without integrity levels.
    virtual bool ForegroundIsElevated() = 0;
    virtual void HideWindow(TWindowHandle AWindow) = 0;
    // The top-level window of that class, any title; 0 when there is none.
    virtual TWindowHandle FindTopWindow(const std::u16string& AClassName) = 0;

    virtual bool Post(TWindowHandle AWindow, TMessageId AMsg, TWParam AWParam, TLParam ALParam) = 0;
    // 0 when the window does not exist.
    virtual TMessageResult Send(TWindowHandle AWindow, TMessageId AMsg, TWParam AWParam,
                                TLParam ALParam) = 0;

    virtual bool StartTimer(TWindowHandle AWindow, std::uintptr_t ATimerId,
                            std::uint32_t AIntervalMs) = 0;
    virtual void StopTimer(TWindowHandle AWindow, std::uintptr_t ATimerId) = 0;

    // Runs the main thread's message loop until Quit.
    virtual int RunMessageLoop() = 0;
    // Handles what is queued now and returns; false once Quit was asked for.
    virtual bool ProcessPendingMessages() = 0;
    virtual void Quit(int AExitCode) = 0;
};

} // namespace vanto::platform
