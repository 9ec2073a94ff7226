#pragma once

#include "platform/InputSynthesis.h"
#include "platform/sim/SimClock.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

namespace vanto::sim {

// One synthesised event, stamped with the simulated time at which it was sent.
struct TSimInputEvent {
    enum class TKind { Key, Mouse };
    TKind Kind = TKind::Key;
    std::uint64_t AtMs = 0;
    bool InPlayback = false; // sent while a playback was open
    // Key events.
    std::uint8_t VirtualKey = 0;
    std::uint8_t ScanCode = 0;
    bool Extended = false;
    bool Up = false;
    // Mouse events.
    std::uint32_t Flags = 0;
    platform::TCursorPos Pos;
    std::int32_t Data = 0;
};

// How a precise wait passes simulated time.
enum class TSimWaitMode {
    // At once: the waiting thread moves the clock on by the wait itself.
    Instant,
    // With the clock: the waiting thread blocks until the main thread has moved the clock to the
    // end of the wait (TSimPlatform::AdvanceTime), or the wait is cancelled.
    FollowClock,
};

// Records every event instead of sending it. Safe to use from a playback thread while the main
// thread looks on.
class TSimInputSynthesis : public platform::IInputSynthesis {
public:
    explicit TSimInputSynthesis(TSimClock& AClock) : FClock(AClock) {}

    platform::TCursorPos CursorPos() override;
    void SendKey(std::uint8_t AVirtualKey, std::uint8_t AScanCode, bool AExtended,
                 bool AUp) override;
    void SendMouse(std::uint32_t AFlags, platform::TCursorPos APos, std::int32_t AData) override;
    bool WaitPrecise(std::uint32_t AMs) override;
    void CancelWaits() noexcept override;
    void ArmWaits() noexcept override;
    void BeginPlayback() noexcept override;
    void EndPlayback() noexcept override;

    void SetWaitMode(TSimWaitMode AMode);
    void SetCursorPos(platform::TCursorPos APos);
    // The send that would become event AIndex throws once instead, as a failing system would.
    void FailAtEvent(std::size_t AIndex);

    // Copies: a playback thread may add to them meanwhile.
    std::vector<TSimInputEvent> Events() const;
    std::optional<TSimInputEvent> LastEvent() const;
    std::vector<std::uint32_t> Waits() const;
    int OpenPlaybacks() const;
    // Whether a wait ever ran with no playback open.
    bool WaitedOutsidePlayback() const;

    // For the main thread. Quiet: no playback runs, or it blocks in a clock-following wait that
    // the clock has not reached yet. In that case WaitDeadline is the wait's end.
    bool Quiet() const;
    std::optional<std::uint64_t> WaitDeadline() const;
    // Lets a playback whose wait the clock has reached go on, and returns once it is quiet
    // again; false when that took more than AMaxWaitMs of real time.
    bool WaitUntilQuiet(unsigned AMaxWaitMs);

private:
    void Record(TSimInputEvent AEvent);
    bool QuietLocked() const;
    bool FollowClockLocked(std::uint32_t AMs, std::unique_lock<std::mutex>& ALock);

    TSimClock& FClock;
    mutable std::mutex FLock;
    std::condition_variable FChanged;
    TSimWaitMode FMode = TSimWaitMode::Instant;
    platform::TCursorPos FCursor;
    std::vector<TSimInputEvent> FEvents;
    std::vector<std::uint32_t> FWaits;
    std::optional<std::size_t> FFailAt;
    int FOpenPlaybacks = 0;
    bool FWaitedOutside = false;
    bool FCancelled = false;
    // A playback was started (ArmWaits) and has not yet opened (BeginPlayback).
    bool FStarting = false;
    // Following the clock, a playback keeps a time of its own: where its last wait ended. Its
    // events carry that time, whenever its thread gets to send them.
    std::uint64_t FPlaybackMs = 0;
    // The end of the clock-following wait the playback blocks in.
    std::optional<std::uint64_t> FBlockedUntil;
};

} // namespace vanto::sim
