#include "platform/win32/Win32DeviceNotifications.h"

#include "platform/win32/Win32HidLibrary.h"

#include <dbt.h>
#include <windows.h>

#include <cstddef>

namespace vanto::win32 {

using platform::TDeviceBroadcastHeader;

// The core reads the header of each notification through its own declaration.
static_assert(sizeof(TDeviceBroadcastHeader) == sizeof(DEV_BROADCAST_HDR));
static_assert(offsetof(TDeviceBroadcastHeader, dbch_size) ==
              offsetof(DEV_BROADCAST_HDR, dbch_size));
static_assert(offsetof(TDeviceBroadcastHeader, dbch_devicetype) ==
              offsetof(DEV_BROADCAST_HDR, dbch_devicetype));
static_assert(offsetof(TDeviceBroadcastHeader, dbch_reserved) ==
              offsetof(DEV_BROADCAST_HDR, dbch_reserved));
static_assert(platform::WM_DEVICECHANGE_MESSAGE == WM_DEVICECHANGE);
static_assert(platform::DBT_DEVNODES_CHANGED_EVENT == DBT_DEVNODES_CHANGED);
static_assert(platform::DBT_DEVICEARRIVAL_EVENT == DBT_DEVICEARRIVAL);
static_assert(platform::DBT_DEVICEREMOVECOMPLETE_EVENT == DBT_DEVICEREMOVECOMPLETE);
static_assert(platform::DBT_DEVTYP_DEVICEINTERFACE_TYPE == DBT_DEVTYP_DEVICEINTERFACE);
// The filter's size field must carry the size Windows defines for the record, padding included.
static_assert(sizeof(DEV_BROADCAST_DEVICEINTERFACE_W) == 32);

TWin32DeviceNotifications::~TWin32DeviceNotifications() {
    for (void* Registration : FRegistrations) {
        UnregisterDeviceNotification(Registration);
    }
}

bool TWin32DeviceNotifications::RegisterForHidInterfaces(platform::TWindowHandle AWindow) {
    DEV_BROADCAST_DEVICEINTERFACE_W Filter{};
    Filter.dbcc_size = sizeof(Filter);
    Filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    Filter.dbcc_classguid = THidLibrary::Load()->HidClassGuid();
    void* Registration = RegisterDeviceNotificationW(reinterpret_cast<HANDLE>(AWindow), &Filter,
                                                     DEVICE_NOTIFY_WINDOW_HANDLE);
    if (Registration == nullptr) {
        return false;
    }
    FRegistrations.push_back(Registration);
    return true;
}

} // namespace vanto::win32
