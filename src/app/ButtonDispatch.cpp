#include "app/ButtonDispatch.h"

#include "platform/Utf16.h"
#include "shared/ButtonReports.h"
#include "shared/ConfigAppInterface.h"
#include "shared/pubunit_quorvin.h"

namespace vanto {

bool SetProfileID(platform::IRegistry& ARegistry, int AValue) {
    // The write itself refuses a missing key: it opens the key, never creates it.
    return ARegistry.WriteDWordValue(VANTO_REGISTRY_KEY, PROFILE_ID_VALUE_NAME,
                                     static_cast<std::uint32_t>(AValue));
}

TButtonDispatcher::TButtonDispatcher(platform::IWindowSystem& AWindows,
                                     platform::IRegistry& ARegistry, platform::IDebugOutput& ADebug,
                                     const TMonitorFlags& AFlags)
    : FWindows(AWindows), FRegistry(ARegistry), FDebug(ADebug), FFlags(AFlags) {}

void TButtonDispatcher::uiHIDData1Data(const std::u16string& /*ADeviceID*/,
                                       const std::u16string& /*ADevicePath*/, std::uint8_t ReportID,
                                       const std::uint8_t* Data, std::uint16_t Size) {
    auto Event = DecodeInputReport(ReportID, Data, Size);
    if (!Event) {
        return;
    }
    if (ReportID == BUTTON_REPORT_ID) {
        FDebug.Write(u"KeyIndex = " + DecimalToUtf16(static_cast<long long>(Event->FWParam)) +
                     u" postmessage record!");
    }
    // Posted, not handled here: an action may block for seconds and the reader must not wait.
    FWindows.Post(FMainWindow, WM_BUTTON_EVENT, Event->FWParam, Event->FLParam);
}

void TButtonDispatcher::SwitchProfile(int AProfile) {
    platform::TWindowHandle ConfigApp = FWindows.FindTopWindow(CONFIG_APP_WINDOW_CLASS);
    SetProfileID(FRegistry, AProfile);
    // The configuration application carries out the switch and answers with
    // WM_CFG_PROFILE_CHANGED; it is told even when "ProfileID" could not be written.
    if (ConfigApp != 0) {
        FWindows.Send(ConfigApp, WM_PROFILE_SWITCH, static_cast<platform::TWParam>(AProfile), 0);
    }
}

TButtonAction TButtonDispatcher::WMButtonEvent(platform::TWParam AWParam,
                                               platform::TLParam /*ALParam*/,
                                               const TMouseProfileInfo& ACurrentProfile) {
    if (AWParam == PROFILE_0_SELECTED) {
        SwitchProfile(0);
        return {};
    }
    if (AWParam == PROFILE_1_SELECTED) {
        SwitchProfile(1);
        return {};
    }
    // Key indices 15 to 20 and 23 have no button record; any process can post this message,
    // so anything outside the buttons is ignored.
    if (AWParam >= BUTTON_COUNT) {
        return {};
    }
    const TBUTTONFUNCINFO& Button = ACurrentProfile.ConfigInfo.ButtonFuncInfo[AWParam];
    return DispatchButtonAction(static_cast<std::uint8_t>(AWParam), Button.nFunctionType);
}

TButtonAction TButtonDispatcher::DispatchButtonAction(std::uint8_t AKeyIndex,
                                                      std::uint16_t AFunctionType) {
    switch (AFunctionType) {
    case FUNCTION_TYPE_MICROPHONE_MUTE:
        return {EButtonAction::MicrophoneMute, AKeyIndex};
    case FUNCTION_TYPE_PLAY_MACRO:
        // One playback at a time: a press while one runs is dropped, not kept for later.
        if (FFlags.MacroPlaying) {
            FDebug.Write(u"play macro ignored: a playback is running");
            return {};
        }
        return {EButtonAction::PlayCurrentMacro, AKeyIndex};
    case FUNCTION_TYPE_RECORD_MACRO:
        // Recording does not wait for a playback: the press is never lost.
        return {EButtonAction::ToggleMacroRecording, AKeyIndex};
    default:
        return {}; // the mouse carries out every other function by itself
    }
}

} // namespace vanto
