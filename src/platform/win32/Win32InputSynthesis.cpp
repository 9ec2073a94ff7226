#include "platform/win32/Win32InputSynthesis.h"

#include <windows.h>

#include <mmsystem.h>

#include <utility>

// Windows 10 1803 and later; older headers lack the name, older systems refuse the flag.
#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace vanto::win32 {

namespace {

using TSetTask = HANDLE(WINAPI*)(LPCWSTR ATaskName, LPDWORD ATaskIndex);
using TRevertTask = BOOL(WINAPI*)(HANDLE ATask);

std::int64_t PerformanceCounter() {
    LARGE_INTEGER Now;
    QueryPerformanceCounter(&Now);
    return Now.QuadPart;
}

// How early the timer is asked to wake before the end of a wait; the performance counter covers
// the rest exactly. Under Wine the high-resolution timer was seen waking up to half a
// millisecond late, and a normal timer may be late by its 1 ms period besides; Sleep is coarser.
// The margin is no longer than that: on busy cores a thread that spins long is the one the
// scheduler takes the core from, and it gets it back only a scheduler tick later. Under Wine,
// which cannot raise a thread's priority, on a Linux host with a 4 ms tick and both cores busy,
// a 2 ms spin put the 99th percentile of the waits at 4 ms in every run, a 1 ms spin between
// 1.7 and 3.9 ms.
std::int64_t SpinMargin(TWaitTimerKind AKind, std::int64_t ATicksPerSecond) {
    switch (AKind) {
    case TWaitTimerKind::HighResolution:
        return ATicksPerSecond / 1000;
    case TWaitTimerKind::RaisedPeriod:
        return ATicksPerSecond * 2 / 1000;
    case TWaitTimerKind::Sleep:
        break;
    }
    return ATicksPerSecond * 3 / 1000;
}

// GetProcAddress hands out one generic pointer type; going through void (*)() keeps GCC from
// warning about the cast between unrelated function types.
void (*Entry(HMODULE AModule, const char* AName))() {
    return reinterpret_cast<void (*)()>(GetProcAddress(AModule, AName));
}

// The timer period lives in winmm, which is loaded only for a playback that needs it: an idle
// monitor keeps no audio library in its process.
void SetTimerPeriod(const char* AName) {
    static const HMODULE Winmm =
        LoadLibraryExW(L"winmm.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    using TTimePeriod = UINT(WINAPI*)(UINT);
    if (const auto Period = Winmm ? reinterpret_cast<TTimePeriod>(Entry(Winmm, AName)) : nullptr) {
        Period(1);
    }
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
    return "event wait with 1 ms timer period";
}

const char* ThreadBoostKindName(TThreadBoostKind AKind) {
    switch (AKind) {
    case TThreadBoostKind::ProAudio:
        return "multimedia class scheduler, Pro Audio";
    case TThreadBoostKind::Games:
        return "multimedia class scheduler, Games";
    case TThreadBoostKind::TimeCritical:
        return "time-critical thread priority";
    case TThreadBoostKind::None:
        break;
    }
    return "normal thread priority";
}

TWin32InputSynthesis::TWin32InputSynthesis(bool AAllowHighResolution,
                                           bool AAllowMultimediaScheduler) {
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
    // Manual reset: once cancelled, every wait ends at once until the next ArmWaits.
    FCancelEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    FSchedulerWanted = AAllowMultimediaScheduler;
}

// From the system folder only, and at the first playback: a monitor that plays no macro keeps
// the library out of its process. A system without it gets the time-critical priority instead.
void TWin32InputSynthesis::LoadScheduler() {
    FSchedulerWanted = false;
    HMODULE Library = LoadLibraryExW(L"avrt.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (Library) {
        FSetTaskEntry = Entry(Library, "AvSetMmThreadCharacteristicsW");
        FRevertTaskEntry = Entry(Library, "AvRevertMmThreadCharacteristics");
        FSchedulerLibrary = Library;
    }
    if (!FSetTaskEntry || !FRevertTaskEntry) {
        FSetTaskEntry = nullptr;
        FRevertTaskEntry = nullptr;
    }
}

TWin32InputSynthesis::~TWin32InputSynthesis() {
    // A playback left open must not keep the whole system at a 1 ms period.
    while (FOpenPlaybacks > 0) {
        EndPlayback();
    }
    if (FTimer) {
        CloseHandle(static_cast<HANDLE>(FTimer));
    }
    if (FCancelEvent) {
        CloseHandle(static_cast<HANDLE>(FCancelEvent));
    }
    if (FSchedulerLibrary) {
        FreeLibrary(static_cast<HMODULE>(FSchedulerLibrary));
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
    NoteSend();
    keybd_event(AVirtualKey, AScanCode, Flags, platform::SYNTHESISED_INPUT_MARK);
}

void TWin32InputSynthesis::SendMouse(std::uint32_t AFlags, platform::TCursorPos APos,
                                     std::int32_t AData) {
    // Without the move flag the coordinates change nothing; they are passed as read.
    NoteSend();
    mouse_event(AFlags, static_cast<DWORD>(APos.X), static_cast<DWORD>(APos.Y),
                static_cast<DWORD>(AData), platform::SYNTHESISED_INPUT_MARK);
}

bool TWin32InputSynthesis::WaitPrecise(std::uint32_t AMs) {
    if (FCancelled) {
        return false;
    }
    std::int64_t Now = PerformanceCounter();
    const std::int64_t Start = FSentSinceWait ? FLastSendStart : Now;
    FSentSinceWait = false;
    const std::int64_t Deadline = Start + static_cast<std::int64_t>(AMs) * FTicksPerSecond / 1000;
    const std::int64_t Margin = SpinMargin(FKind, FTicksPerSecond);
    // A timer may also wake early by a fraction of its period; then it is asked again.
    while (Deadline - Now > Margin) {
        if (!SleepOnTimer(Deadline - Now - Margin)) {
            return false;
        }
        Now = PerformanceCounter();
    }
    while (Now < Deadline) {
        if (FCancelled.load(std::memory_order_relaxed)) {
            return false;
        }
        YieldProcessor();
        Now = PerformanceCounter();
    }
    return true;
}

void TWin32InputSynthesis::NoteSend() {
    FLastSendStart = PerformanceCounter();
    FSentSinceWait = true;
}

bool TWin32InputSynthesis::SleepOnTimer(std::int64_t ATicks) {
    HANDLE Cancel = static_cast<HANDLE>(FCancelEvent);
    if (FTimer) {
        // Relative due times are negative, in 100 ns units.
        LARGE_INTEGER Due;
        Due.QuadPart = -(ATicks * 10'000'000 / FTicksPerSecond);
        if (Due.QuadPart == 0) {
            Due.QuadPart = -1;
        }
        HANDLE Timer = static_cast<HANDLE>(FTimer);
        if (SetWaitableTimer(Timer, &Due, 0, nullptr, nullptr, FALSE)) {
            if (!Cancel) {
                WaitForSingleObject(Timer, INFINITE);
                return !FCancelled;
            }
            // The cancel first: when both are signalled, the cancel wins.
            const HANDLE Both[] = {Cancel, Timer};
            if (WaitForMultipleObjects(2, Both, FALSE, INFINITE) == WAIT_OBJECT_0) {
                CancelWaitableTimer(Timer);
                return false;
            }
            return true;
        }
    }
    const auto Ms = static_cast<DWORD>(ATicks * 1000 / FTicksPerSecond);
    if (Cancel) {
        return WaitForSingleObject(Cancel, Ms) != WAIT_OBJECT_0;
    }
    Sleep(Ms);
    return !FCancelled;
}

void TWin32InputSynthesis::CancelWaits() noexcept {
    FCancelled = true;
    if (FCancelEvent) {
        SetEvent(static_cast<HANDLE>(FCancelEvent));
    }
}

void TWin32InputSynthesis::ArmWaits() noexcept {
    FCancelled = false;
    if (FCancelEvent) {
        ResetEvent(static_cast<HANDLE>(FCancelEvent));
    }
}

void TWin32InputSynthesis::BeginPlayback() noexcept {
    if (FOpenPlaybacks++ != 0) {
        return;
    }
    if (FKind != TWaitTimerKind::HighResolution) {
        SetTimerPeriod("timeBeginPeriod");
    }
    RaiseThread();
}

void TWin32InputSynthesis::EndPlayback() noexcept {
    if (FOpenPlaybacks <= 0 || --FOpenPlaybacks != 0) {
        return;
    }
    RestoreThread();
    if (FKind != TWaitTimerKind::HighResolution) {
        SetTimerPeriod("timeEndPeriod");
    }
}

// A busy machine would otherwise let the wake-up of a wait queue behind ordinary work, and the
// step come late by a whole scheduling quantum.
void TWin32InputSynthesis::RaiseThread() {
    if (FSchedulerWanted) {
        LoadScheduler();
    }
    if (FSetTaskEntry) {
        const auto SetTask = reinterpret_cast<TSetTask>(FSetTaskEntry);
        const std::pair<const wchar_t*, TThreadBoostKind> Tasks[] = {
            {L"Pro Audio", TThreadBoostKind::ProAudio}, {L"Games", TThreadBoostKind::Games}};
        for (const auto& [Name, Kind] : Tasks) {
            DWORD TaskIndex = 0;
            if (HANDLE Task = SetTask(Name, &TaskIndex)) {
                FTask = Task;
                FBoost = Kind;
                return;
            }
        }
    }
    FSavedPriority = GetThreadPriority(GetCurrentThread());
    FPriorityRaised = SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL) != 0;
    FBoost = FPriorityRaised ? TThreadBoostKind::TimeCritical : TThreadBoostKind::None;
}

void TWin32InputSynthesis::RestoreThread() {
    if (FTask) {
        reinterpret_cast<TRevertTask>(FRevertTaskEntry)(static_cast<HANDLE>(FTask));
        FTask = nullptr;
    } else if (FPriorityRaised) {
        SetThreadPriority(GetCurrentThread(), FSavedPriority);
        FPriorityRaised = false;
    }
}

} // namespace vanto::win32
