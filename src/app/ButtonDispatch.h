#pragma once

#include "macro/MonitorFlags.h"
#include "platform/DebugOutput.h"
#include "platform/Registry.h"
#include "platform/WindowSystem.h"
#include "shared/pubunit_quorvin.h"

#include <cstdint>
#include <functional>
#include <string>

namespace vanto {

// Writes the profile the mouse selected as "ProfileID". The key is opened, never created: a
// missing key means the configuration application never ran, and it owns the key's creation.
bool SetProfileID(platform::IRegistry& ARegistry, int AValue);

// Turns the mouse's input reports into the monitor's actions, in the main thread: a report
// becomes a posted WM_BUTTON_EVENT, and the message becomes a profile switch or the action of
// the pressed button in the current profile.
class TButtonDispatcher {
public:
    TButtonDispatcher(platform::IWindowSystem& AWindows, platform::IRegistry& ARegistry,
                      platform::IDebugOutput& ADebug, const TMouseProfileInfo& ACurrentProfile,
                      TMonitorFlags& AFlags);

    // The window that receives WM_BUTTON_EVENT: the main form's.
    void SetMainWindow(platform::TWindowHandle AWindow) { FMainWindow = AWindow; }

    // The OnData handler of the HID component. AData is the payload after the report ID.
    void uiHIDData1Data(const std::u16string& ADeviceID, const std::u16string& ADevicePath,
                        std::uint8_t ReportID, const std::uint8_t* Data, std::uint16_t Size);
    void WMButtonEvent(platform::TWParam AWParam, platform::TLParam ALParam);
    void DispatchButtonAction(std::uint8_t AKeyIndex, std::uint16_t AFunctionType);

    // The actions; an unassigned slot is skipped.
    std::function<void()> OnMicrophoneMute;
    std::function<void()> OnPlayCurrentMacro;
    std::function<void(std::uint8_t AKeyIndex)> OnToggleMacroRecording;

private:
    void SwitchProfile(int AProfile);

    platform::IWindowSystem& FWindows;
    platform::IRegistry& FRegistry;
    platform::IDebugOutput& FDebug;
    const TMouseProfileInfo& FCurrentProfile;
    TMonitorFlags& FFlags;
    platform::TWindowHandle FMainWindow = 0;
};

} // namespace vanto
