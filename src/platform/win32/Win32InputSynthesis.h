#pragma once

#include "platform/InputSynthesis.h"

#include <cstdint>

namespace vanto::win32 {

// How precise waits are timed on this system.
enum class TWaitTimerKind {
    HighResolution, // a high-resolution waitable timer; the timer period is left alone
    RaisedPeriod,   // a normal waitable timer, the timer period held at 1 ms during playbacks
    Sleep,          // no waitable timer could be made: Sleep, likewise with the 1 ms period
};

const char* WaitTimerKindName(TWaitTimerKind AKind);

// keybd_event and mouse_event, every event marked with SYNTHESISED_INPUT_MARK. A precise wait
// sleeps on a timer to just before its end and spins the rest against the performance counter.
class TWin32InputSynthesis final : public platform::IInputSynthesis {
public:
    // AAllowHighResolution false takes the fallback a system without that timer gets.
    explicit TWin32InputSynthesis(bool AAllowHighResolution = true);
    ~TWin32InputSynthesis() override;
    TWin32InputSynthesis(const TWin32InputSynthesis&) = delete;
    TWin32InputSynthesis& operator=(const TWin32InputSynthesis&) = delete;

    platform::TCursorPos CursorPos() override;
    void SendKey(std::uint8_t AVirtualKey, std::uint8_t AScanCode, bool AExtended,
                 bool AUp) override;
    void SendMouse(std::uint32_t AFlags, platform::TCursorPos APos, std::int32_t AData) override;
    void WaitPrecise(std::uint32_t AMs) override;
    void BeginPlayback() override;
    void EndPlayback() override;

    TWaitTimerKind TimerKind() const { return FKind; }

private:
    void SleepOnTimer(std::int64_t ATicks);

    void* FTimer = nullptr; // HANDLE, kept out of this header
    TWaitTimerKind FKind = TWaitTimerKind::Sleep;
    std::int64_t FTicksPerSecond = 1;
    int FOpenPlaybacks = 0;
};

} // namespace vanto::win32
