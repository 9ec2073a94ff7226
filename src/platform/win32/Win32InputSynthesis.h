#pragma once

#include "platform/InputSynthesis.h"

#include <atomic>
#include <cstdint>

namespace vanto::win32 {

// How precise waits are timed on this system.
enum class TWaitTimerKind {
    HighResolution, // a high-resolution waitable timer; the timer period is left alone
    RaisedPeriod,   // a normal waitable timer, the timer period held at 1 ms during playbacks
    Sleep,          // no waitable timer could be made: an event wait, likewise with 1 ms
};

const char* WaitTimerKindName(TWaitTimerKind AKind);

// How the playing thread is lifted above ordinary work during a playback.
enum class TThreadBoostKind {
    None,         // no playback open yet, or the system allowed nothing
    ProAudio,     // the multimedia class scheduler's "Pro Audio" task
    Games,        // its "Games" task
    TimeCritical, // no multimedia class scheduler: THREAD_PRIORITY_TIME_CRITICAL
};

const char* ThreadBoostKindName(TThreadBoostKind AKind);

// keybd_event and mouse_event, every event marked with SYNTHESISED_INPUT_MARK. A precise wait
// sleeps on a timer to just before its end and spins the rest against the performance counter;
// both parts end early once another thread cancels. A wait right after a send ends its time
// after the start of that send: a send passes through the system's input queue and every
// low-level hook, and that time would otherwise add to each delay of a macro.
class TWin32InputSynthesis final : public platform::IInputSynthesis {
public:
    // false takes the fallback a system without that timer, or without the multimedia class
    // scheduler, gets.
    explicit TWin32InputSynthesis(bool AAllowHighResolution = true,
                                  bool AAllowMultimediaScheduler = true);
    ~TWin32InputSynthesis() override;
    TWin32InputSynthesis(const TWin32InputSynthesis&) = delete;
    TWin32InputSynthesis& operator=(const TWin32InputSynthesis&) = delete;

    platform::TCursorPos CursorPos() override;
    void SendKey(std::uint8_t AVirtualKey, std::uint8_t AScanCode, bool AExtended,
                 bool AUp) override;
    void SendMouse(std::uint32_t AFlags, platform::TCursorPos APos, std::int32_t AData) override;
    bool WaitPrecise(std::uint32_t AMs) override;
    void CancelWaits() noexcept override;
    void ArmWaits() noexcept override;
    void BeginPlayback() noexcept override;
    void EndPlayback() noexcept override;

    TWaitTimerKind TimerKind() const { return FKind; }
    // What the latest BeginPlayback got for its thread.
    TThreadBoostKind ThreadBoost() const { return FBoost.load(); }

private:
    void NoteSend();
    // False when cancelled.
    bool SleepOnTimer(std::int64_t ATicks);
    void RaiseThread();
    void RestoreThread();
    void LoadScheduler();

    // HANDLEs and HMODULE, kept out of this header.
    void* FTimer = nullptr;
    void* FCancelEvent = nullptr;
    void* FSchedulerLibrary = nullptr;
    // Until the first playback loads the scheduler, or when the caller declines it.
    bool FSchedulerWanted = false;
    void* FTask = nullptr;
    // The scheduler's entry points as GetProcAddress hands them out; null without the scheduler.
    void (*FSetTaskEntry)() = nullptr;
    void (*FRevertTaskEntry)() = nullptr;

    TWaitTimerKind FKind = TWaitTimerKind::Sleep;
    std::int64_t FTicksPerSecond = 1;
    std::atomic<bool> FCancelled = false;
    std::atomic<TThreadBoostKind> FBoost = TThreadBoostKind::None;
    // The playing thread's own; the destructor runs after that thread has gone.
    // A wait right after a send counts from the start of that send.
    std::int64_t FLastSendStart = 0;
    bool FSentSinceWait = false;
    int FOpenPlaybacks = 0;
    int FSavedPriority = 0;
    bool FPriorityRaised = false;
};

} // namespace vanto::win32
