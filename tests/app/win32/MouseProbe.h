#pragma once

#include "MonitorProcess.h"
#include "VirtualMouse.h"

#include <windows.h>

#include <optional>
#include <string>

namespace vanto::monitortest {

// A copy of VantoMon.exe and uiHook.dll in a folder of its own, whose config.ini lists the
// virtual mouse's vendor interface; removed with the object.
class TMonitorFolder {
public:
    explicit TMonitorFolder(const std::wstring& AName);
    ~TMonitorFolder();
    TMonitorFolder(const TMonitorFolder&) = delete;
    TMonitorFolder& operator=(const TMonitorFolder&) = delete;

    const std::wstring& Executable() const { return FExecutable; }

private:
    std::wstring FFolder;
    std::wstring FExecutable;
};

// Report 8 (AProfile) every 50 ms until the configuration application hears of the switch: the
// tick when it did. A report sent while the monitor has the mouse closed is lost, as with a real
// mouse, so the first answer tells when the monitor began to read.
std::optional<ULONGLONG> ProbeUntilRead(TConfigAppStandIn& AConfigApp,
                                        vmouse::TVirtualMouse& AMouse, unsigned AProfile,
                                        DWORD AWaitMs);

// Pulls the mouse out and plugs it in again on another thread while this one handles its
// messages, so that its windows hear of the arrivals when they happen.
bool UnplugAndPlug(DWORD AWaitMs);

} // namespace vanto::monitortest
