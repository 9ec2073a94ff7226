#include "app/MonitorOptions.h"

namespace vanto {

TMonitorOptions ReadMonitorOptions(platform::IIniFile& AIni, platform::IShell& AShell) {
    const std::u16string Ini = AShell.ExecutableFolder() + u"\\config.ini";
    TMonitorOptions Options;
    Options.FOnScreenMessages = AIni.ReadInteger(Ini, u"Monitor", u"OnScreenMessages", 1) != 0;
    Options.FTrayMicrophoneState =
        AIni.ReadInteger(Ini, u"Monitor", u"TrayMicrophoneState", 1) != 0;
    return Options;
}

} // namespace vanto
