#pragma once

#include "platform/WindowSystem.h"
#include "platform/sim/SimClock.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace vanto::sim {

// An in-process window system for one main thread, on simulated time.
//
// Every window belongs to the thread that created this object. Posted messages queue in order.
// A send from the main thread runs the receiver at once, so a receiver that sends back is
// handled inside the first send, as Windows does for a thread that waits in SendMessageW. A
// send from another thread waits until the main thread handles it from its loop. Timers fire
// as simulated time passes: a timer that is due posts one WM_TIMER_MESSAGE when the queue is
// empty, as Windows makes WM_TIMER the least urgent message.
class TSimWindowSystem : public platform::IWindowSystem {
public:
    explicit TSimWindowSystem(TSimClock& AClock);

    platform::TWindowHandle CreateHiddenWindow(const std::u16string& AClassName,
                                               const std::u16string& ATitle,
                                               platform::TWindowProc AProc) override;
    void DestroyHiddenWindow(platform::TWindowHandle AWindow) override;
    platform::TWindowHandle FindTopWindow(const std::u16string& AClassName) override;
    bool BringToForeground(platform::TWindowHandle AWindow) override;
    platform::TWindowHandle Foreground();
    std::u16string ForegroundWindowTitle() override;
    bool ForegroundIsElevated() override { return FForegroundElevated; }
    // As if the user switched to (or away from) a window of an elevated process.
    void SetForegroundElevated(bool AElevated) { FForegroundElevated = AElevated; }
    void HideWindow(platform::TWindowHandle AWindow) override;
    // Whether HideWindow was asked for this window.
    bool WasHidden(platform::TWindowHandle AWindow);
    bool Post(platform::TWindowHandle AWindow, platform::TMessageId AMsg, platform::TWParam AWParam,
              platform::TLParam ALParam) override;
    platform::TMessageResult Send(platform::TWindowHandle AWindow, platform::TMessageId AMsg,
                                  platform::TWParam AWParam, platform::TLParam ALParam) override;
    bool StartTimer(platform::TWindowHandle AWindow, std::uintptr_t ATimerId,
                    std::uint32_t AIntervalMs) override;
    void StopTimer(platform::TWindowHandle AWindow, std::uintptr_t ATimerId) override;
    // Handles messages; when nothing is queued it moves simulated time on to the next timer,
    // and with no timer left it waits for other threads.
    int RunMessageLoop() override;
    bool ProcessPendingMessages() override;
    void Quit(int AExitCode) override;

    // Moves simulated time on by AMs, handling every message and timer due on the way.
    void AdvanceTime(std::uint64_t AMs);
    bool IsWindow(platform::TWindowHandle AWindow);
    std::size_t PendingCount();
    // The most messages ever queued at once: what the queue held at its fullest.
    std::size_t MaxPendingCount();
    // Waits, at most AMaxWaitMs of real time, until other threads have queued at least
    // AAtLeast messages; false when they did not in time.
    bool WaitForPending(std::size_t AAtLeast, unsigned AMaxWaitMs);
    std::optional<std::uint64_t> NextTimerDue();
    // The deepest the message loop ever ran inside a handler it had called: 1 when no handler
    // ran a loop of its own. A send on the main thread runs its receiver directly and does not
    // count, as on Windows.
    int MaxLoopDepth() const { return FMaxLoopDepth; }

    // Failure switches for the windows of other programs.
    // A send to AWindow takes AMs of simulated time before its handler runs, as a busy
    // receiver keeps its sender waiting; timers due meanwhile fire after the send returns.
    void SetAnswerDelay(platform::TWindowHandle AWindow, std::uint32_t AMs);
    // The window goes away just before the next send reaches it (its program ended between
    // being found and being sent to): that send finds no window and returns 0.
    void VanishOnNextSend(platform::TWindowHandle AWindow);

private:
    struct TWindow {
        std::u16string FClassName;
        std::u16string FTitle;
        std::shared_ptr<platform::TWindowProc> FProc;
        bool FHidden = false;
    };
    struct TMessage {
        platform::TWindowHandle FWindow;
        platform::TMessageId FMsg;
        platform::TWParam FWParam;
        platform::TLParam FLParam;
    };
    struct TCrossThreadSend {
        TMessage FMessage;
        platform::TMessageResult FResult = 0;
        bool FDone = false;
    };
    struct TTimer {
        std::uint32_t FIntervalMs;
        std::uint64_t FDueMs;
    };
    using TTimerKey = std::pair<platform::TWindowHandle, std::uintptr_t>;

    platform::TMessageResult Deliver(const TMessage& AMessage);
    platform::TMessageResult DeliverFromLoop(const TMessage& AMessage);
    // Runs one queued item; false when nothing was queued.
    bool HandleOne();
    bool FireDueTimer(std::uint64_t AUpTo);
    void DrainQueue();
    // The window, its timers and its queued messages go. Caller holds FLock.
    void DestroyLocked(platform::TWindowHandle AWindow);
    bool OnMainThread() const { return std::this_thread::get_id() == FMainThread; }

    TSimClock& FClock;
    std::thread::id FMainThread;
    std::mutex FLock;
    std::condition_variable FWake;
    std::map<platform::TWindowHandle, TWindow> FWindows;
    std::deque<TMessage> FPosted;
    std::deque<std::shared_ptr<TCrossThreadSend>> FSent;
    std::map<TTimerKey, TTimer> FTimers;
    std::map<platform::TWindowHandle, std::uint32_t> FAnswerDelays;
    std::vector<platform::TWindowHandle> FVanishing;
    std::size_t FMaxPending = 0;
    platform::TWindowHandle FNextHandle = 0x1000;
    platform::TWindowHandle FForeground = 0;
    std::atomic<bool> FForegroundElevated{false};
    bool FQuitRequested = false;
    int FLoopDepth = 0; // main thread only
    int FMaxLoopDepth = 0;
    int FExitCode = 0;
};

} // namespace vanto::sim
