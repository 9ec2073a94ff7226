#include "platform/sim/SimWindowSystem.h"

#include <algorithm>
#include <chrono>

namespace vanto::sim {

using platform::TLParam;
using platform::TMessageId;
using platform::TMessageResult;
using platform::TWindowHandle;
using platform::TWParam;

TSimWindowSystem::TSimWindowSystem(TSimClock& AClock)
    : FClock(AClock), FMainThread(std::this_thread::get_id()) {}

TWindowHandle TSimWindowSystem::CreateHiddenWindow(const std::u16string& AClassName,
                                                   const std::u16string& ATitle,
                                                   platform::TWindowProc AProc) {
    std::lock_guard Guard(FLock);
    TWindowHandle Handle = FNextHandle;
    FNextHandle += 4;
    FWindows[Handle] = {AClassName, ATitle,
                        std::make_shared<platform::TWindowProc>(std::move(AProc))};
    return Handle;
}

void TSimWindowSystem::DestroyHiddenWindow(TWindowHandle AWindow) {
    std::lock_guard Guard(FLock);
    DestroyLocked(AWindow);
}

void TSimWindowSystem::DestroyLocked(TWindowHandle AWindow) {
    FWindows.erase(AWindow);
    std::erase_if(FTimers, [AWindow](const auto& Entry) { return Entry.first.first == AWindow; });
    std::erase_if(FPosted, [AWindow](const TMessage& M) { return M.FWindow == AWindow; });
}

TWindowHandle TSimWindowSystem::FindTopWindow(const std::u16string& AClassName) {
    std::lock_guard Guard(FLock);
    for (const auto& [Handle, Window] : FWindows) {
        if (Window.FClassName == AClassName) {
            return Handle;
        }
    }
    return 0;
}

bool TSimWindowSystem::BringToForeground(TWindowHandle AWindow) {
    std::lock_guard Guard(FLock);
    if (!FWindows.contains(AWindow)) {
        return false;
    }
    FForeground = AWindow;
    return true;
}

TWindowHandle TSimWindowSystem::Foreground() {
    std::lock_guard Guard(FLock);
    return FWindows.contains(FForeground) ? FForeground : 0;
}

std::u16string TSimWindowSystem::ForegroundWindowTitle() {
    std::lock_guard Guard(FLock);
    const auto Window = FWindows.find(FForeground);
    return Window != FWindows.end() ? Window->second.FTitle.substr(0, 255) : std::u16string();
}

void TSimWindowSystem::HideWindow(TWindowHandle AWindow) {
    std::lock_guard Guard(FLock);
    if (const auto Window = FWindows.find(AWindow); Window != FWindows.end()) {
        Window->second.FHidden = true;
    }
}

bool TSimWindowSystem::WasHidden(TWindowHandle AWindow) {
    std::lock_guard Guard(FLock);
    const auto Window = FWindows.find(AWindow);
    return Window != FWindows.end() && Window->second.FHidden;
}

bool TSimWindowSystem::IsWindow(TWindowHandle AWindow) {
    std::lock_guard Guard(FLock);
    return FWindows.contains(AWindow);
}

bool TSimWindowSystem::Post(TWindowHandle AWindow, TMessageId AMsg, TWParam AWParam,
                            TLParam ALParam) {
    {
        std::lock_guard Guard(FLock);
        if (!FWindows.contains(AWindow)) {
            return false;
        }
        FPosted.push_back({AWindow, AMsg, AWParam, ALParam});
        FMaxPending = std::max(FMaxPending, FPosted.size() + FSent.size());
    }
    FWake.notify_all();
    return true;
}

TMessageResult TSimWindowSystem::Deliver(const TMessage& AMessage) {
    std::shared_ptr<platform::TWindowProc> Proc;
    {
        std::lock_guard Guard(FLock);
        auto Window = FWindows.find(AMessage.FWindow);
        if (Window == FWindows.end()) {
            return 0;
        }
        Proc = Window->second.FProc;
    }
    // Outside the lock: a handler may post, send, or destroy its own window.
    return (*Proc)(AMessage.FMsg, AMessage.FWParam, AMessage.FLParam);
}

TMessageResult TSimWindowSystem::Send(TWindowHandle AWindow, TMessageId AMsg, TWParam AWParam,
                                      TLParam ALParam) {
    std::uint32_t Delay = 0;
    {
        std::lock_guard Guard(FLock);
        if (const auto Vanishing = std::find(FVanishing.begin(), FVanishing.end(), AWindow);
            Vanishing != FVanishing.end()) {
            FVanishing.erase(Vanishing);
            DestroyLocked(AWindow);
            return 0;
        }
        if (const auto Found = FAnswerDelays.find(AWindow); Found != FAnswerDelays.end()) {
            Delay = Found->second;
        }
    }
    FClock.AdvanceBy(Delay);
    if (OnMainThread()) {
        return Deliver({AWindow, AMsg, AWParam, ALParam});
    }
    auto Item = std::make_shared<TCrossThreadSend>();
    Item->FMessage = {AWindow, AMsg, AWParam, ALParam};
    std::unique_lock Guard(FLock);
    if (!FWindows.contains(AWindow)) {
        return 0;
    }
    FSent.push_back(Item);
    FMaxPending = std::max(FMaxPending, FPosted.size() + FSent.size());
    FWake.notify_all();
    FWake.wait(Guard, [&Item] { return Item->FDone; });
    return Item->FResult;
}

bool TSimWindowSystem::StartTimer(TWindowHandle AWindow, std::uintptr_t ATimerId,
                                  std::uint32_t AIntervalMs) {
    std::lock_guard Guard(FLock);
    if (!FWindows.contains(AWindow)) {
        return false;
    }
    // Starting a running timer again restarts its interval, as SetTimer does.
    std::uint32_t Interval = std::max<std::uint32_t>(AIntervalMs, 1);
    FTimers[{AWindow, ATimerId}] = {Interval, FClock.NowMs() + Interval};
    return true;
}

void TSimWindowSystem::StopTimer(TWindowHandle AWindow, std::uintptr_t ATimerId) {
    std::lock_guard Guard(FLock);
    FTimers.erase({AWindow, ATimerId});
}

TMessageResult TSimWindowSystem::DeliverFromLoop(const TMessage& AMessage) {
    FMaxLoopDepth = std::max(FMaxLoopDepth, ++FLoopDepth);
    struct TLeave {
        int& FDepth;
        ~TLeave() { --FDepth; }
    } Leave{FLoopDepth};
    return Deliver(AMessage);
}

bool TSimWindowSystem::HandleOne() {
    std::shared_ptr<TCrossThreadSend> Sent;
    std::optional<TMessage> Posted;
    {
        std::lock_guard Guard(FLock);
        if (!FSent.empty()) {
            // Sent messages go before posted ones, as on Windows.
            Sent = FSent.front();
            FSent.pop_front();
        } else if (!FPosted.empty()) {
            Posted = FPosted.front();
            FPosted.pop_front();
        } else {
            return false;
        }
    }
    if (Sent) {
        TMessageResult Result = DeliverFromLoop(Sent->FMessage);
        {
            std::lock_guard Guard(FLock);
            Sent->FResult = Result;
            Sent->FDone = true;
        }
        FWake.notify_all();
    } else {
        DeliverFromLoop(*Posted);
    }
    return true;
}

bool TSimWindowSystem::FireDueTimer(std::uint64_t AUpTo) {
    TMessage Message{};
    {
        std::lock_guard Guard(FLock);
        auto Due =
            std::min_element(FTimers.begin(), FTimers.end(), [](const auto& A, const auto& B) {
                return A.second.FDueMs < B.second.FDueMs;
            });
        if (Due == FTimers.end() || Due->second.FDueMs > AUpTo) {
            return false;
        }
        FClock.AdvanceTo(Due->second.FDueMs);
        // A timer that fell behind fires once, not once per missed interval.
        Due->second.FDueMs =
            std::max(Due->second.FDueMs + Due->second.FIntervalMs, FClock.NowMs() + 1);
        Message = {Due->first.first, platform::WM_TIMER_MESSAGE, Due->first.second, 0};
    }
    DeliverFromLoop(Message);
    return true;
}

void TSimWindowSystem::DrainQueue() {
    while (HandleOne()) {
    }
}

bool TSimWindowSystem::ProcessPendingMessages() {
    DrainQueue();
    while (FireDueTimer(FClock.NowMs())) {
        DrainQueue();
    }
    std::lock_guard Guard(FLock);
    return !FQuitRequested;
}

void TSimWindowSystem::AdvanceTime(std::uint64_t AMs) {
    std::uint64_t Target = FClock.NowMs() + AMs;
    DrainQueue();
    while (FireDueTimer(Target)) {
        DrainQueue();
    }
    FClock.AdvanceTo(Target);
}

std::optional<std::uint64_t> TSimWindowSystem::NextTimerDue() {
    std::lock_guard Guard(FLock);
    std::optional<std::uint64_t> Result;
    for (const auto& [Key, Timer] : FTimers) {
        if (!Result || Timer.FDueMs < *Result) {
            Result = Timer.FDueMs;
        }
    }
    return Result;
}

int TSimWindowSystem::RunMessageLoop() {
    for (;;) {
        DrainQueue();
        {
            std::unique_lock Guard(FLock);
            if (FQuitRequested) {
                FQuitRequested = false; // the quit is consumed, as WM_QUIT is
                return FExitCode;
            }
            if (!FSent.empty() || !FPosted.empty()) {
                continue;
            }
            if (FTimers.empty()) {
                FWake.wait(Guard,
                           [this] { return FQuitRequested || !FSent.empty() || !FPosted.empty(); });
                continue;
            }
        }
        FireDueTimer(UINT64_MAX);
    }
}

void TSimWindowSystem::Quit(int AExitCode) {
    {
        std::lock_guard Guard(FLock);
        FQuitRequested = true;
        FExitCode = AExitCode;
    }
    FWake.notify_all();
}

std::size_t TSimWindowSystem::PendingCount() {
    std::lock_guard Guard(FLock);
    return FPosted.size() + FSent.size();
}

std::size_t TSimWindowSystem::MaxPendingCount() {
    std::lock_guard Guard(FLock);
    return FMaxPending;
}

bool TSimWindowSystem::WaitForPending(std::size_t AAtLeast, unsigned AMaxWaitMs) {
    std::unique_lock Guard(FLock);
    return FWake.wait_for(Guard, std::chrono::milliseconds(AMaxWaitMs),
                          [&] { return FPosted.size() + FSent.size() >= AAtLeast; });
}

void TSimWindowSystem::SetAnswerDelay(TWindowHandle AWindow, std::uint32_t AMs) {
    std::lock_guard Guard(FLock);
    FAnswerDelays[AWindow] = AMs;
}

void TSimWindowSystem::VanishOnNextSend(TWindowHandle AWindow) {
    std::lock_guard Guard(FLock);
    FVanishing.push_back(AWindow);
}

} // namespace vanto::sim
