#pragma once

#include "platform/Types.h"

#include <cstdint>

namespace vanto::platform {

// WM_DEVICECHANGE and the broadcast header its lParam points to, in the platform's layout.
inline constexpr TMessageId WM_DEVICECHANGE_MESSAGE = 0x0219;
inline constexpr TWParam DBT_DEVNODES_CHANGED_EVENT = 0x0007;
inline constexpr TWParam DBT_DEVICEARRIVAL_EVENT = 0x8000;
inline constexpr TWParam DBT_DEVICEREMOVECOMPLETE_EVENT = 0x8004;
inline constexpr std::uint32_t DBT_DEVTYP_DEVICEINTERFACE_TYPE = 5;

struct TDeviceBroadcastHeader {
    std::uint32_t dbch_size;
    std::uint32_t dbch_devicetype;
    std::uint32_t dbch_reserved;
};

// Registers a window for arrivals and removals of the HID device interface class. The platform
// then sends WM_DEVICECHANGE_MESSAGE to it, lParam pointing at a TDeviceBroadcastHeader that is
// valid during the call.
class IDeviceNotifications {
public:
    virtual ~IDeviceNotifications() = default;
    virtual bool RegisterForHidInterfaces(TWindowHandle AWindow) = 0;
};

} // namespace vanto::platform
