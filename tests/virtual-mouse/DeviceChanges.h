#pragma once

#include "platform/win32/Win32DeviceNotifications.h"
#include "platform/win32/Win32WindowSystem.h"

#include <cstdint>

namespace vanto::vmouse {

// The HID interface notifications that a hidden window of the calling thread gets, registered
// the way the monitor's watcher registers; they come while the thread handles its messages.
class TDeviceChanges {
public:
    TDeviceChanges();

    bool Registered() const { return FRegistered; }
    int Arrivals() const { return FArrivals; }
    int Removals() const { return FRemovals; }
    // When the last arrival was handled (GetTickCount64), 0 before the first.
    std::uint64_t LastArrival() const { return FLastArrival; }

private:
    win32::TWin32WindowSystem FWindows;
    win32::TWin32DeviceNotifications FNotifications;
    bool FRegistered = false;
    int FArrivals = 0;
    int FRemovals = 0;
    std::uint64_t FLastArrival = 0;
};

} // namespace vanto::vmouse
