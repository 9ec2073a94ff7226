#pragma once

#include "macro/MonitorFlags.h"
#include "platform/DebugOutput.h"
#include "platform/InputSynthesis.h"
#include "shared/pubunit_quorvin.h"

#include <atomic>
#include <cstdint>
#include <thread>
#include <vector>

namespace vanto {

// Replays the current profile's first macro on the host, on a thread of its own, so that the
// main thread goes on handling messages through the longest macro. Every public method is for
// the main thread.
class TMacroPlayer {
public:
    // ACurrentProfile is the profile manager's working copy; it is read when a playback starts.
    TMacroPlayer(platform::IInputSynthesis& AInput, platform::IDebugOutput& ADebug,
                 TMonitorFlags& AFlags, const TMouseProfileInfo& ACurrentProfile);
    // Ends a running playback as StopPlayback does.
    ~TMacroPlayer();
    TMacroPlayer(const TMacroPlayer&) = delete;
    TMacroPlayer& operator=(const TMacroPlayer&) = delete;

    // Starts playing macro slot 0 once and returns at once. MacroPlaying is held from here until
    // the playback has released whatever the macro pressed and did not release, also when a
    // send fails. Refused while a recording runs; nothing while a playback runs.
    void PlayCurrentMacro();
    // Ends a running playback at once, in the middle of a wait too, and returns when everything
    // it held is released and its thread has gone. Nothing when no playback runs.
    void StopPlayback();
    // Returns once a running playback has ended by itself: for tests and tools, the monitor
    // never waits for one.
    void WaitForEnd();

private:
    // Something a step pressed: a key, or a mouse button known by its release flag.
    struct THeld {
        bool IsKey = false;
        std::uint8_t VirtualKey = 0;
        bool Extended = false;
        std::uint32_t ReleaseFlag = 0;
    };

    // The playback thread's work.
    void Run() noexcept;
    // False when the playback was stopped before its last step.
    bool PlayAndRelease();
    // False when the step's wait was cut short.
    bool PlayStep(const TMACROKEY& AStep);
    void PlayMouseButton(const TMACROKEY& AStep);
    void Key(std::uint8_t AVirtualKey, bool AExtended, bool AUp);
    void MouseButton(std::uint32_t APressFlag, std::uint32_t AReleaseFlag, bool AUp);
    void ReleaseHeld();

    platform::IInputSynthesis& FInput;
    platform::IDebugOutput& FDebug;
    TMonitorFlags& FFlags;
    const TMouseProfileInfo& FCurrentProfile;
    // Written by the main thread before the playback thread starts, read by that thread only.
    TMACROKEYINFO FMacro{};
    platform::TCursorPos FCursor;
    std::vector<THeld> FHeld; // in the order of pressing; the playback thread's
    std::atomic<bool> FStopRequested = false;
    std::thread FThread;
};

} // namespace vanto
