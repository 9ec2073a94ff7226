#pragma once

// A simulated machine for one whole monitor, with its registry in memory; only the disk is a
// folder, the fuzz target's own.

#include "FuzzSupport.h"
#include "platform/Platform.h"
#include "platform/sim/SimPlatform.h"

namespace vanto::fuzz {

struct TMachine {
    explicit TMachine(TFuzzRoot& ARoot) : Files(ARoot.Files()), Ini(Files) {}

    sim::TSimClock Clock;
    sim::TSimWindowSystem Windows{Clock};
    sim::TSimRegistry Registry;
    sim::TSimFileSystem& Files;
    sim::TSimIniFile Ini;
    sim::TSimShell Shell{sim::TSimPlatform::DOCUMENTS, sim::TSimPlatform::PROGRAM_FOLDER};
    sim::TSimLocale Locale;
    sim::TSimDebugOutput Debug;
    sim::TSimHid Hid{Windows};
    sim::TSimTrayIcon Tray{Windows};
    sim::TSimSceneWindows Scenes{Windows};
    sim::TSimInputSynthesis Input{Clock};
    sim::TSimAudio Audio;
    sim::TSimMessageBox MessageBox;
    sim::TSimHookLibrary Hooks{Clock};
    platform::TPlatform Platform{Registry, Files, Windows, Debug,  Clock, Shell, Ini,        Locale,
                                 Hid,      Hid,   Tray,    Scenes, Input, Audio, MessageBox, Hooks};
};

} // namespace vanto::fuzz
