#include "platform/sim/SimInputSynthesis.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>

namespace vanto::sim {

platform::TCursorPos TSimInputSynthesis::CursorPos() {
    std::lock_guard Guard(FLock);
    return FCursor;
}

void TSimInputSynthesis::SendKey(std::uint8_t AVirtualKey, std::uint8_t AScanCode, bool AExtended,
                                 bool AUp) {
    TSimInputEvent Event;
    Event.Kind = TSimInputEvent::TKind::Key;
    Event.VirtualKey = AVirtualKey;
    Event.ScanCode = AScanCode;
    Event.Extended = AExtended;
    Event.Up = AUp;
    Record(Event);
}

void TSimInputSynthesis::SendMouse(std::uint32_t AFlags, platform::TCursorPos APos,
                                   std::int32_t AData) {
    TSimInputEvent Event;
    Event.Kind = TSimInputEvent::TKind::Mouse;
    Event.Flags = AFlags;
    Event.Pos = APos;
    Event.Data = AData;
    Record(Event);
}

bool TSimInputSynthesis::WaitPrecise(std::uint32_t AMs) {
    std::unique_lock Guard(FLock);
    FWaits.push_back(AMs);
    FWaitedOutside = FWaitedOutside || FOpenPlaybacks <= 0;
    if (FCancelled) {
        FPlaybackMs = std::max(FPlaybackMs, FClock.NowMs());
        return false;
    }
    if (FMode == TSimWaitMode::Instant) {
        FClock.AdvanceBy(AMs);
        return true;
    }
    return FollowClockLocked(AMs, Guard);
}

bool TSimInputSynthesis::FollowClockLocked(std::uint32_t AMs, std::unique_lock<std::mutex>& ALock) {
    if (FOpenPlaybacks <= 0) {
        FPlaybackMs = FClock.NowMs();
    }
    const std::uint64_t Deadline = FPlaybackMs + AMs;
    FBlockedUntil = Deadline;
    // The main thread may be waiting for this thread to settle into its wait.
    FChanged.notify_all();
    // The clock itself tells no one when it moves; whoever moves it wakes this wait through
    // WaitUntilQuiet. The look now and then only keeps a forgotten wake-up from hanging the
    // playback: its events carry the playback's own time either way.
    const auto Reached = [&] { return FCancelled || FClock.NowMs() >= Deadline; };
    while (!FChanged.wait_for(ALock, std::chrono::milliseconds(10), Reached)) {
    }
    FBlockedUntil.reset();
    if (FCancelled) {
        // Cut short now, in the main thread's time.
        FPlaybackMs = std::max(FPlaybackMs, FClock.NowMs());
        return false;
    }
    FPlaybackMs = Deadline;
    return true;
}

void TSimInputSynthesis::CancelWaits() noexcept {
    std::lock_guard Guard(FLock);
    FCancelled = true;
    FChanged.notify_all();
}

void TSimInputSynthesis::ArmWaits() noexcept {
    std::lock_guard Guard(FLock);
    FCancelled = false;
    FStarting = true;
    FPlaybackMs = FClock.NowMs();
}

void TSimInputSynthesis::BeginPlayback() noexcept {
    std::lock_guard Guard(FLock);
    if (FOpenPlaybacks++ == 0) {
        if (!FStarting) {
            FPlaybackMs = FClock.NowMs();
        }
        FStarting = false;
    }
}

void TSimInputSynthesis::EndPlayback() noexcept {
    std::lock_guard Guard(FLock);
    --FOpenPlaybacks;
    FChanged.notify_all();
}

void TSimInputSynthesis::SetWaitMode(TSimWaitMode AMode) {
    std::lock_guard Guard(FLock);
    FMode = AMode;
}

void TSimInputSynthesis::SetCursorPos(platform::TCursorPos APos) {
    std::lock_guard Guard(FLock);
    FCursor = APos;
}

void TSimInputSynthesis::FailAtEvent(std::size_t AIndex) {
    std::lock_guard Guard(FLock);
    FFailAt = AIndex;
}

std::vector<TSimInputEvent> TSimInputSynthesis::Events() const {
    std::lock_guard Guard(FLock);
    return FEvents;
}

std::optional<TSimInputEvent> TSimInputSynthesis::LastEvent() const {
    std::lock_guard Guard(FLock);
    if (FEvents.empty()) {
        return std::nullopt;
    }
    return FEvents.back();
}

std::vector<std::uint32_t> TSimInputSynthesis::Waits() const {
    std::lock_guard Guard(FLock);
    return FWaits;
}

int TSimInputSynthesis::OpenPlaybacks() const {
    std::lock_guard Guard(FLock);
    return FOpenPlaybacks;
}

bool TSimInputSynthesis::WaitedOutsidePlayback() const {
    std::lock_guard Guard(FLock);
    return FWaitedOutside;
}

bool TSimInputSynthesis::QuietLocked() const {
    if (!FStarting && FOpenPlaybacks <= 0) {
        return true;
    }
    return FBlockedUntil && !FCancelled && FClock.NowMs() < *FBlockedUntil;
}

bool TSimInputSynthesis::Quiet() const {
    std::lock_guard Guard(FLock);
    return QuietLocked();
}

std::optional<std::uint64_t> TSimInputSynthesis::WaitDeadline() const {
    std::lock_guard Guard(FLock);
    return QuietLocked() ? FBlockedUntil : std::nullopt;
}

bool TSimInputSynthesis::WaitUntilQuiet(unsigned AMaxWaitMs) {
    std::unique_lock Guard(FLock);
    // The clock may have moved without this object knowing: a waiting playback looks again.
    FChanged.notify_all();
    return FChanged.wait_for(Guard, std::chrono::milliseconds(AMaxWaitMs),
                             [this] { return QuietLocked(); });
}

void TSimInputSynthesis::Record(TSimInputEvent AEvent) {
    std::lock_guard Guard(FLock);
    if (FFailAt && *FFailAt == FEvents.size()) {
        FFailAt.reset();
        throw std::runtime_error("simulated input synthesis failure");
    }
    const bool OwnTime = FMode == TSimWaitMode::FollowClock && FOpenPlaybacks > 0;
    AEvent.AtMs = OwnTime ? FPlaybackMs : FClock.NowMs();
    AEvent.InPlayback = FOpenPlaybacks > 0;
    FEvents.push_back(AEvent);
}

} // namespace vanto::sim
