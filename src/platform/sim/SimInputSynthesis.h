#pragma once

#include "platform/InputSynthesis.h"
#include "platform/sim/SimClock.h"

#include <cstddef>
#include <cstdint>
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

// Records every event instead of sending it; a precise wait passes simulated time at once.
class TSimInputSynthesis : public platform::IInputSynthesis {
public:
    explicit TSimInputSynthesis(TSimClock& AClock) : FClock(AClock) {}

    platform::TCursorPos CursorPos() override { return FCursor; }
    void SendKey(std::uint8_t AVirtualKey, std::uint8_t AScanCode, bool AExtended,
                 bool AUp) override;
    void SendMouse(std::uint32_t AFlags, platform::TCursorPos APos, std::int32_t AData) override;
    void WaitPrecise(std::uint32_t AMs) override;
    void BeginPlayback() override { ++FOpenPlaybacks; }
    void EndPlayback() override { --FOpenPlaybacks; }

    void SetCursorPos(platform::TCursorPos APos) { FCursor = APos; }
    // The send that would become event AIndex throws once instead, as a failing system would.
    void FailAtEvent(std::size_t AIndex) { FFailAt = AIndex; }

    const std::vector<TSimInputEvent>& Events() const { return FEvents; }
    const std::vector<std::uint32_t>& Waits() const { return FWaits; }
    int OpenPlaybacks() const { return FOpenPlaybacks; }
    // Whether a wait ever ran with no playback open.
    bool WaitedOutsidePlayback() const { return FWaitedOutside; }

private:
    void Record(TSimInputEvent AEvent);

    TSimClock& FClock;
    platform::TCursorPos FCursor;
    std::vector<TSimInputEvent> FEvents;
    std::vector<std::uint32_t> FWaits;
    std::optional<std::size_t> FFailAt;
    int FOpenPlaybacks = 0;
    bool FWaitedOutside = false;
};

} // namespace vanto::sim
