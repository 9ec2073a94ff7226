#pragma once

#include "platform/DebugOutput.h"
#include "platform/DeviceNotifications.h"
#include "platform/WindowSystem.h"

#include <functional>

namespace vanto {

class TuiHIDEvent;
using TuiHIDNotifyEvent = std::function<void(TuiHIDEvent& Sender)>;

// Tells its owner when a HID device interface arrives or leaves. It also reports one arrival
// 1500 ms after it was created, whether a device came or not: that is how the monitor opens the
// mouse for the first time. Everything runs on the main thread, from a hidden window. Which
// interface class is watched is the notification service's business: it is the HID class.
class TuiHIDEvent {
public:
    TuiHIDEvent(platform::IWindowSystem& AWindows, platform::IDeviceNotifications& ANotifications,
                platform::IDebugOutput& ADebug);
    ~TuiHIDEvent();
    TuiHIDEvent(const TuiHIDEvent&) = delete;
    TuiHIDEvent& operator=(const TuiHIDEvent&) = delete;

    platform::TWindowHandle WindowHandle() const { return FWindowHandle; }

    TuiHIDNotifyEvent OnDeviceArrival;
    TuiHIDNotifyEvent OnDeviceRemove;
    TuiHIDNotifyEvent OnDeviceChange;

private:
    platform::TMessageResult WindowProc(platform::TMessageId AMsg, platform::TWParam AWParam,
                                        platform::TLParam ALParam);
    void DeviceChange(platform::TWParam AWParam, platform::TLParam ALParam);
    void StartTimerFired();
    void Fire(const TuiHIDNotifyEvent& AEvent);

    platform::IWindowSystem& FWindows;
    platform::IDebugOutput& FDebug;
    platform::TWindowHandle FWindowHandle = 0;
    bool FStartTimerRunning = false;
};

} // namespace vanto
