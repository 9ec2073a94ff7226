#include "platform/win32/Win32InputSynthesis.h"

#include <windows.h>

#include <mmsystem.h>

// Windows 10 1803 and later; older headers lack the name, older systems refuse the flag.
#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace vanto::win32 {

namespace {

std::int64_t PerformanceCounter() {
    LARGE_INTEGER Now;
    QueryPerformanceCounter(&Now);
    return Now.QuadPart;
}

// How early the timer is asked to wake before the end of a wait; the performance counter covers
// the rest exactly. Under Wine the high-resolution timer was seen waking up to half a
// millisecond late, and a normal timer may be late by its 1 ms period besides; Sleep is coarser.
std::int64_t SpinMargin(TWaitTimerKind AKind, std::int64_t ATicksPerSecond) {
    if (AKind == TWaitTimerKind::Sleep) {
        return ATicksPerSecond * 3 / 1000;
    }
    return ATicksPerSecond * 2 / 1000;
}

} // namespace

const char* WaitTimerKindName(TWaitTimerKind AKind) {
    switch (AKind) {
    case TWaitTimerKind::HighResolution:
        return "high-resolution waitable timer";
    case TWaitTimerKind::RaisedPeriod:
        return "waitable timer with 1 ms timer period";
    case TWaitTimerKind::Sleep:
        break;
    }
    return "Sleep with 1 ms timer period";
}

TWin32InputSynthesis::TWin32InputSynthesis(bool AAllowHighResolution) {
    LARGE_INTEGER Frequency;
    if (QueryPerformanceFrequency(&Frequency) && Frequency.QuadPart > 0) {
        FTicksPerSecond = Frequency.QuadPart;
    }
    HANDLE Timer = nullptr;
    if (AAllowHighResolution) {
        Timer = CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION,
                                       TIMER_ALL_ACCESS);
    }
    FKind = TWaitTimerKind::HighResolution;
    if (!Timer) {
        Timer = CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS);
        FKind = Timer ? TWaitTimerKind::RaisedPeriod : TWaitTimerKind::Sleep;
    }
    FTimer = Timer;
}

TWin32InputSynthesis::~TWin32InputSynthesis() {
    // A playback left open must not keep the whole system at a 1 ms period.
    while (FOpenPlaybacks > 0) {
        EndPlayback();
    }
    if (FTimer) {
        CloseHandle(static_cast<HANDLE>(FTimer));
    }
}

platform::TCursorPos TWin32InputSynthesis::CursorPos() {
    POINT Pos{};
    if (!GetCursorPos(&Pos)) {
        return {};
    }
    return {Pos.x, Pos.y};
}

void TWin32InputSynthesis::SendKey(std::uint8_t AVirtualKey, std::uint8_t AScanCode, bool AExtended,
                                   bool AUp) {
    const DWORD Flags = (AExtended ? KEYEVENTF_EXTENDEDKEY : 0) | (AUp ? KEYEVENTF_KEYUP : 0);
    keybd_event(AVirtualKey, AScanCode, Flags, platform::SYNTHESISED_INPUT_MARK);
}

void TWin32InputSynthesis::SendMouse(std::uint32_t AFlags, platform::TCursorPos APos,
                                     std::int32_t AData) {
    // Without the move flag the coordinates change nothing; they are passed as read.
    mouse_event(AFlags, static_cast<DWORD>(APos.X), static_cast<DWORD>(APos.Y),
                static_cast<DWORD>(AData), platform::SYNTHESISED_INPUT_MARK);
}

void TWin32InputSynthesis::WaitPrecise(std::uint32_t AMs) {
    if (AMs == 0) {
        return;
    }
    std::int64_t Now = PerformanceCounter();
    const std::int64_t Deadline = Now + static_cast<std::int64_t>(AMs) * FTicksPerSecond / 1000;
    const std::int64_t Margin = SpinMargin(FKind, FTicksPerSecond);
    // A timer may also wake early by a fraction of its period; then it is asked again.
    while (Deadline - Now > Margin) {
        SleepOnTimer(Deadline - Now - Margin);
        Now = PerformanceCounter();
    }
    while (Now < Deadline) {
        YieldProcessor();
        Now = PerformanceCounter();
    }
}

void TWin32InputSynthesis::SleepOnTimer(std::int64_t ATicks) {
    if (FTimer) {
        // Relative due times are negative, in 100 ns units.
        LARGE_INTEGER Due;
        Due.QuadPart = -(ATicks * 10'000'000 / FTicksPerSecond);
        if (Due.QuadPart == 0) {
            Due.QuadPart = -1;
        }
        HANDLE Timer = static_cast<HANDLE>(FTimer);
        if (SetWaitableTimer(Timer, &Due, 0, nullptr, nullptr, FALSE)) {
            WaitForSingleObject(Timer, INFINITE);
            return;
        }
    }
    Sleep(static_cast<DWORD>(ATicks * 1000 / FTicksPerSecond));
}

void TWin32InputSynthesis::BeginPlayback() {
    if (FOpenPlaybacks++ == 0 && FKind != TWaitTimerKind::HighResolution) {
        timeBeginPeriod(1);
    }
}

void TWin32InputSynthesis::EndPlayback() {
    if (FOpenPlaybacks > 0 && --FOpenPlaybacks == 0 && FKind != TWaitTimerKind::HighResolution) {
        timeEndPeriod(1);
    }
}

} // namespace vanto::win32
