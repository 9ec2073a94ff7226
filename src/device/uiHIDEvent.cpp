#include "device/uiHIDEvent.h"

#include "platform/Utf16.h"

#include <exception>

namespace vanto {

namespace {

constexpr char16_t WINDOW_CLASS[] = u"TuiHIDEvent";
constexpr std::uintptr_t START_TIMER_ID = 1;
constexpr std::uint32_t START_DELAY_MS = 1500;

bool IsInterfaceHeader(platform::TLParam ALParam) {
    const auto* Header = reinterpret_cast<const platform::TDeviceBroadcastHeader*>(ALParam);
    // Any window may be sent this message; a record that says it is shorter than the header
    // ends before the device type, so that field is not read.
    return Header != nullptr && Header->dbch_size >= sizeof(platform::TDeviceBroadcastHeader) &&
           Header->dbch_devicetype == platform::DBT_DEVTYP_DEVICEINTERFACE_TYPE;
}

} // namespace

TuiHIDEvent::TuiHIDEvent(platform::IWindowSystem& AWindows,
                         platform::IDeviceNotifications& ANotifications,
                         platform::IDebugOutput& ADebug)
    : FWindows(AWindows), FDebug(ADebug) {
    FWindowHandle = FWindows.CreateHiddenWindow(
        WINDOW_CLASS, u"",
        [this](platform::TMessageId AMsg, platform::TWParam AWParam, platform::TLParam ALParam) {
            return WindowProc(AMsg, AWParam, ALParam);
        });
    // A failed registration leaves only the start timer's arrival; nothing to tell the user.
    ANotifications.RegisterForHidInterfaces(FWindowHandle);
    FWindows.Post(FWindowHandle, platform::WM_DEVICECHANGE_MESSAGE,
                  platform::DBT_DEVNODES_CHANGED_EVENT, -1);
    FStartTimerRunning = FWindows.StartTimer(FWindowHandle, START_TIMER_ID, START_DELAY_MS);
}

TuiHIDEvent::~TuiHIDEvent() {
    // The registration and the timer end with the window.
    FWindows.DestroyHiddenWindow(FWindowHandle);
}

platform::TMessageResult TuiHIDEvent::WindowProc(platform::TMessageId AMsg,
                                                 platform::TWParam AWParam,
                                                 platform::TLParam ALParam) {
    // A handler's exception must not unwind through the window system.
    try {
        if (AMsg == platform::WM_DEVICECHANGE_MESSAGE) {
            DeviceChange(AWParam, ALParam);
        } else if (AMsg == platform::WM_TIMER_MESSAGE && AWParam == START_TIMER_ID) {
            StartTimerFired();
        }
    } catch (const std::exception& E) {
        FDebug.Write(u"TuiHIDEvent: device event handler failed: " + AsciiToUtf16(E.what()));
    } catch (...) {
        FDebug.Write(u"TuiHIDEvent: device event handler failed");
    }
    return 0;
}

void TuiHIDEvent::DeviceChange(platform::TWParam AWParam, platform::TLParam ALParam) {
    switch (AWParam) {
    case platform::DBT_DEVNODES_CHANGED_EVENT:
        Fire(OnDeviceChange);
        break;
    case platform::DBT_DEVICEARRIVAL_EVENT:
        if (IsInterfaceHeader(ALParam)) {
            Fire(OnDeviceArrival);
        }
        break;
    case platform::DBT_DEVICEREMOVECOMPLETE_EVENT:
        if (IsInterfaceHeader(ALParam)) {
            Fire(OnDeviceRemove);
        }
        break;
    default:
        break;
    }
}

void TuiHIDEvent::StartTimerFired() {
    if (!FStartTimerRunning) {
        return; // a tick that was queued before the stop
    }
    FStartTimerRunning = false;
    FWindows.StopTimer(FWindowHandle, START_TIMER_ID);
    Fire(OnDeviceArrival);
}

void TuiHIDEvent::Fire(const TuiHIDNotifyEvent& AEvent) {
    if (AEvent) {
        AEvent(*this);
    }
}

} // namespace vanto
