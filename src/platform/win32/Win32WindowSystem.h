#pragma once

#include "platform/WindowSystem.h"

#include <set>
#include <string>

namespace vanto::win32 {

// Hidden windows, messages and timers of the calling thread through user32.
//
// Each window keeps its TWindowProc. The proc sees every message that reaches the window; for
// WM_TIMER and the application range (WM_USER and above) its result is the window's answer,
// while every other message is handed on to DefWindowProcW afterwards so that the window still
// behaves as Windows expects (its title, WM_CLOSE, session end).
//
// A proc that throws does not unwind through user32: the exception is kept and raised again
// from the call that dispatched the message (RunMessageLoop, ProcessPendingMessages or Send).
//
// Use from one thread only; the windows it still owns are destroyed with it.
class TWin32WindowSystem final : public platform::IWindowSystem {
public:
    TWin32WindowSystem() = default;
    TWin32WindowSystem(const TWin32WindowSystem&) = delete;
    TWin32WindowSystem& operator=(const TWin32WindowSystem&) = delete;
    ~TWin32WindowSystem() override;

    platform::TWindowHandle CreateHiddenWindow(const std::u16string& AClassName,
                                               const std::u16string& ATitle,
                                               platform::TWindowProc AProc) override;
    void DestroyHiddenWindow(platform::TWindowHandle AWindow) override;
    platform::TWindowHandle FindTopWindow(const std::u16string& AClassName) override;
    bool BringToForeground(platform::TWindowHandle AWindow) override;
    std::u16string ForegroundWindowTitle() override;
    bool ForegroundIsElevated() override;
    void HideWindow(platform::TWindowHandle AWindow) override;

    bool Post(platform::TWindowHandle AWindow, platform::TMessageId AMsg, platform::TWParam AWParam,
              platform::TLParam ALParam) override;
    platform::TMessageResult Send(platform::TWindowHandle AWindow, platform::TMessageId AMsg,
                                  platform::TWParam AWParam, platform::TLParam ALParam) override;

    bool StartTimer(platform::TWindowHandle AWindow, std::uintptr_t ATimerId,
                    std::uint32_t AIntervalMs) override;
    void StopTimer(platform::TWindowHandle AWindow, std::uintptr_t ATimerId) override;

    int RunMessageLoop() override;
    bool ProcessPendingMessages() override;
    void Quit(int AExitCode) override;

private:
    bool EnsureClassRegistered(const std::u16string& AClassName);

    std::set<std::u16string> FRegisteredClasses;
    std::set<platform::TWindowHandle> FWindows;
};

} // namespace vanto::win32
