#pragma once

#include "platform/DeviceNotifications.h"

#include <vector>

namespace vanto::win32 {

// Arrivals and removals of HID interfaces as WM_DEVICECHANGE for a window. Every registration is
// undone with this object, which must therefore not outlive the windows it registered.
class TWin32DeviceNotifications final : public platform::IDeviceNotifications {
public:
    TWin32DeviceNotifications() = default;
    TWin32DeviceNotifications(const TWin32DeviceNotifications&) = delete;
    TWin32DeviceNotifications& operator=(const TWin32DeviceNotifications&) = delete;
    ~TWin32DeviceNotifications() override;

    bool RegisterForHidInterfaces(platform::TWindowHandle AWindow) override;

private:
    std::vector<void*> FRegistrations;
};

} // namespace vanto::win32
