#pragma once

#include "platform/Platform.h"
#include "platform/sim/SimAudio.h"
#include "platform/sim/SimClock.h"
#include "platform/sim/SimDebugOutput.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimHid.h"
#include "platform/sim/SimHookLibrary.h"
#include "platform/sim/SimIniFile.h"
#include "platform/sim/SimInputSynthesis.h"
#include "platform/sim/SimLocale.h"
#include "platform/sim/SimRegistry.h"
#include "platform/sim/SimSceneWindows.h"
#include "platform/sim/SimShell.h"
#include "platform/sim/SimTrayIcon.h"
#include "platform/sim/SimWindowSystem.h"

#include <filesystem>

namespace vanto::sim {

// A whole simulated machine for one monitor: the registry and the disk kept below one host
// folder (registry/ and files/), a user "Ann" with her Documents folder, the monitor installed
// in C:\Program Files\Vanto, a HID hub, a notification area and a clock that moves only when
// the simulation moves it. The main thread is the thread that creates it.
class TSimPlatform {
public:
    explicit TSimPlatform(const std::filesystem::path& ARoot);

    const platform::TPlatform& Platform() const { return FPlatform; }

    // Handles what is queued, then waits (at most AMaxWaitMs of real time) until the readers
    // have taken every report, the main thread has handled what they handed over, and a
    // playback has ended or blocks in a wait that follows the clock.
    void Settle(unsigned AMaxWaitMs = 2000);
    // Moves simulated time on by AMs as the window system does, stopping at the end of each
    // clock-following wait of a playback until the playback has gone on to its next wait: its
    // events go out at the simulated times the macro asks for, in order with the timers.
    void AdvanceTime(std::uint64_t AMs);

    TSimClock FClock;
    TSimWindowSystem FWindows{FClock};
    TSimRegistry FRegistry;
    TSimFileSystem FFiles;
    TSimIniFile FIni{FFiles};
    TSimShell FShell;
    TSimLocale FLocale;
    TSimDebugOutput FDebug;
    TSimHid FHid{FWindows};
    TSimTrayIcon FTray{FWindows};
    TSimSceneWindows FScenes{FWindows};
    TSimInputSynthesis FInput{FClock};
    TSimAudio FAudio;
    TSimMessageBox FMessageBox;
    TSimHookLibrary FHooks{FClock};

    static constexpr char16_t DOCUMENTS[] = u"C:\\Users\\Ann\\Documents";
    static constexpr char16_t PROGRAM_FOLDER[] = u"C:\\Program Files\\Vanto";

private:
    platform::TPlatform FPlatform;
};

} // namespace vanto::sim
