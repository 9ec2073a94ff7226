#pragma once

#include "platform/IniFile.h"
#include "platform/Shell.h"

namespace vanto {

// The [Monitor] section of config.ini: what the monitor shows of itself. An update keeps the
// user's older config.ini, so a missing key or section means on.
struct TMonitorOptions {
    bool FOnScreenMessages = true;
    bool FTrayMicrophoneState = true;
};

TMonitorOptions ReadMonitorOptions(platform::IIniFile& AIni, platform::IShell& AShell);

} // namespace vanto
