#pragma once

#include "app/MonitorFlags.h"
#include "platform/DebugOutput.h"
#include "platform/InputSynthesis.h"
#include "profile/pubunit_quorvin.h"

#include <cstdint>
#include <vector>

namespace vanto {

// Replays the current profile's first macro on the host, synchronously in the main thread.
class TMacroPlayer {
public:
    // ACurrentProfile is the profile manager's working copy; it is read when a playback starts.
    TMacroPlayer(platform::IInputSynthesis& AInput, platform::IDebugOutput& ADebug,
                 TMonitorFlags& AFlags, const TMouseProfileInfo& ACurrentProfile);

    // Plays macro slot 0 once, holding MacroPlaying meanwhile. Whatever the macro pressed and
    // did not release is released before it returns, also when a send fails.
    void PlayCurrentMacro();

private:
    // Something a step pressed: a key, or a mouse button known by its release flag.
    struct THeld {
        bool IsKey = false;
        std::uint8_t VirtualKey = 0;
        bool Extended = false;
        std::uint32_t ReleaseFlag = 0;
    };

    void PlayStep(const TMACROKEY& AStep);
    void PlayMouseButton(const TMACROKEY& AStep);
    void Key(std::uint8_t AVirtualKey, bool AExtended, bool AUp);
    void MouseButton(std::uint32_t APressFlag, std::uint32_t AReleaseFlag, bool AUp);
    void ReleaseHeld();

    platform::IInputSynthesis& FInput;
    platform::IDebugOutput& FDebug;
    TMonitorFlags& FFlags;
    const TMouseProfileInfo& FCurrentProfile;
    platform::TCursorPos FCursor;
    std::vector<THeld> FHeld; // in the order of pressing
};

} // namespace vanto
