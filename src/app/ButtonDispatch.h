#pragma once

#include "macro/MonitorFlags.h"
#include "platform/DebugOutput.h"
#include "platform/Registry.h"
#include "platform/WindowSystem.h"
#include "shared/pubunit_quorvin.h"

#include <cstdint>
#include <string>

namespace vanto {

// Writes the profile the mouse selected as "ProfileID". The key is opened, never created: a
// missing key means the configuration application never ran, and it owns the key's creation.
bool SetProfileID(platform::IRegistry& ARegistry, int AValue);

enum class EButtonAction : std::uint8_t {
    None,
    MicrophoneMute,
    PlayCurrentMacro,
    // FKeyIndex names the button that receives the recording when it stops.
    ToggleMacroRecording,
};

struct TButtonAction {
    EButtonAction FKind = EButtonAction::None;
    std::uint8_t FKeyIndex = 0;
    friend bool operator==(const TButtonAction&, const TButtonAction&) = default;
};

// Turns the mouse's input reports into what the monitor is to do, in the main thread: a report
// becomes a posted WM_BUTTON_EVENT, and the message becomes a profile switch, carried out
// here, or the action of the pressed button in the current profile, which the caller carries
// out. Deciding apart from doing keeps this free of the components that act.
class TButtonDispatcher {
public:
    TButtonDispatcher(platform::IWindowSystem& AWindows, platform::IRegistry& ARegistry,
                      platform::IDebugOutput& ADebug, const TMonitorFlags& AFlags);

    // The window that receives WM_BUTTON_EVENT: the main form's.
    void SetMainWindow(platform::TWindowHandle AWindow) { FMainWindow = AWindow; }

    // The OnData handler of the HID component. AData is the payload after the report ID.
    void uiHIDData1Data(const std::u16string& ADeviceID, const std::u16string& ADevicePath,
                        std::uint8_t ReportID, const std::uint8_t* Data, std::uint16_t Size);
    // The profile is read at each message, so a reloaded profile takes effect at the next press.
    [[nodiscard]] TButtonAction WMButtonEvent(platform::TWParam AWParam, platform::TLParam ALParam,
                                              const TMouseProfileInfo& ACurrentProfile);
    [[nodiscard]] TButtonAction DispatchButtonAction(std::uint8_t AKeyIndex,
                                                     std::uint16_t AFunctionType);

private:
    void SwitchProfile(int AProfile);

    platform::IWindowSystem& FWindows;
    platform::IRegistry& FRegistry;
    platform::IDebugOutput& FDebug;
    const TMonitorFlags& FFlags;
    platform::TWindowHandle FMainWindow = 0;
};

} // namespace vanto
