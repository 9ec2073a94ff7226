#include "DeviceChanges.h"

#include <windows.h>

namespace vanto::vmouse {

TDeviceChanges::TDeviceChanges() {
    const platform::TWindowHandle Window = FWindows.CreateHiddenWindow(
        u"VantoDeviceChangeWatcher", u"",
        [this](platform::TMessageId AMsg, platform::TWParam AWParam, platform::TLParam) {
            if (AMsg == platform::WM_DEVICECHANGE_MESSAGE) {
                if (AWParam == platform::DBT_DEVICEARRIVAL_EVENT) {
                    ++FArrivals;
                    FLastArrival = GetTickCount64();
                } else if (AWParam == platform::DBT_DEVICEREMOVECOMPLETE_EVENT) {
                    ++FRemovals;
                }
            }
            return platform::TMessageResult{0};
        });
    FRegistered = Window != 0 && FNotifications.RegisterForHidInterfaces(Window);
}

} // namespace vanto::vmouse
