#pragma once

#include "app/AboutScene.h"
#include "app/ButtonDispatch.h"
#include "app/DeferredMessageBox.h"
#include "app/MicrophoneTray.h"
#include "app/OnScreenMessage.h"
#include "app/RecordedMacroStore.h"
#include "audio/MicrophoneMute.h"
#include "device/FeatureReportTarget.h"
#include "device/ProfileUpload.h"
#include "device/uiHIDData.h"
#include "device/uiHIDEvent.h"
#include "i18n/LanguageForm.h"
#include "i18n/uiLanguage.h"
#include "macro/FrmRecord.h"
#include "macro/MacroPlayback.h"
#include "macro/MonitorFlags.h"
#include "macro/RecordingSession.h"
#include "macro/uiHook.h"
#include "platform/Platform.h"
#include "profile/DM.h"
#include "profile/ProfileErrors.h"

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vanto {

// Command identifiers of the tray menu. A WM_COMMAND with one of them, sent to the monitor's
// window, does what choosing the item does.
inline constexpr platform::TWParam CONFIG_COMMAND = 1001;
inline constexpr platform::TWParam ABOUT_COMMAND = 1002;
inline constexpr platform::TWParam EXIT_COMMAND = 1003;
// The tray icon reports clicks to the monitor's window with this message.
inline constexpr platform::TMessageId WM_TRAY_ICON = platform::WM_USER_FIRST + 1;
// The timer that opens the mouse once HID arrivals have settled.
inline constexpr std::uintptr_t DEVICE_ARRIVAL_TIMER_ID = 1;
inline constexpr std::uint32_t DEVICE_ARRIVAL_DELAY_MS = 1500;
// The recording overlay's guard timer.
inline constexpr std::uintptr_t RECORD_GUARD_TIMER_ID = 2;
// The About window comes to the front once it has had a moment to draw.
inline constexpr std::uintptr_t ABOUT_FRONT_TIMER_ID = 3;
inline constexpr std::uint32_t ABOUT_FRONT_DELAY_MS = 50;
// The pause between closing the mouse's handles and opening them again.
inline constexpr std::uint32_t DEVICE_REOPEN_DELAY_MS = 50;
// How long a start of the configuration application may take before a click starts it again.
inline constexpr std::uint64_t CONFIG_APP_START_MS = 5000;
// The on-screen message's display and fade timer.
inline constexpr std::uintptr_t ON_SCREEN_MESSAGE_TIMER_ID = 8;
// Button events held while an upload runs; a burst beyond this is dropped, as the driver would.
inline constexpr std::size_t HELD_BUTTON_EVENT_LIMIT = 64;

// The monitor's main form: a hidden window that the configuration application finds by its
// class and title, the tray icon with its menu, the About window, and the owner of the device
// link and of the button dispatch.
//
// Threads. Every handler here runs on the main thread, from the message loop, one after the
// other: no handler runs a message loop of its own, so none runs inside another. Reading the
// mouse happens on one reader thread per open collection, which hands each report over to the
// main thread; a macro plays on a thread of its own. An upload to the mouse stays on the main
// thread as a sequence of messages, and button events that arrive meanwhile wait until it has
// sent its final mode command. The one exception is Windows' own: while a send to the
// configuration application (7038, 7040) is in flight, the messages it sends back (7035) are
// handled inside that send, so such a send is always the last step of its handler.
class TVantoMonExMain {
public:
    // The window and the components. The owner then assigns the slots and calls FormCreate.
    TVantoMonExMain(const platform::TPlatform& APlatform, TDM& ADM);
    // InitMonitor and the tray icon: the form is ready for the message loop afterwards.
    void FormCreate();
    // FormDestroy: StopDevice, then the tray icon and the window go.
    ~TVantoMonExMain();
    TVantoMonExMain(const TVantoMonExMain&) = delete;
    TVantoMonExMain& operator=(const TVantoMonExMain&) = delete;

    platform::TWindowHandle Handle() const { return FHandle; }

    void TrayIconDblClick();
    void Config1Click();
    void About1Click();
    void BtnOKClick();
    void Exit1Click();
    void uiHIDEvent1DeviceArrival();
    void TimerDeviceArrialTimer();

    void ApplyLanguage();
    void ShowConfigApp();
    void ReopenDevice();
    void StopDevice();

    // What a button press asks for. The handler of WM_BUTTON_EVENT carries it out, or, while
    // OnButtonAction is assigned, hands it over instead: a tool that traces or counts the
    // actions then calls CarryOutButtonAction itself, or does not.
    void CarryOutButtonAction(const TButtonAction& AAction);
    std::function<void(const TButtonAction& AAction)> OnButtonAction;

    // On-the-fly recording: a press of a record button starts it, the next press stops it and
    // stores what was recorded into the current profile and the mouse.
    void ToggleMacroRecording(std::uint8_t AKeyIndex);
    void uiHook1RecordMouseMacroKey(std::int32_t MacroType, TMouseButtons AButton,
                                    std::int32_t AState, const std::u16string& MacroKeyString);
    void ShowRecordOverlay();
    void CloseRecordOverlay();
    void AddRecordOverlayLine(std::uint8_t AType, std::uint8_t AValue, std::uint8_t AIndex);
    void HideApplicationWindow(bool AFlag);
    // The overlay while a recording runs, else null.
    const TFrmRecord* RecordOverlay() const { return FRecording.RecordOverlay(); }

    TMonitorFlags FFlags;
    TuiHIDData uiHIDData1;
    TuiHIDEvent uiHIDEvent1;
    TButtonDispatcher FDispatcher;
    TMacroPlayer FPlayer;
    TAudioControl FAudioControl;
    TuiHIDDataTarget FUploadTarget;
    TProfileUploader FUploader;
    TOnScreenMessage FOnScreenMessage;

private:
    TRecordedMacroStore FRecordedMacroStore;
    // Declared before the hook component, whose constructor may ask for a box.
    TDeferredMessageBox FHookMessageBox;

public:
    TuiHook uiHook1;

private:
    // The main form as its language component walks it; declared before the component, which
    // registers it when it is created.
    TLanguageForm FLanguageForm;

public:
    // Holds the carried table (and the languages of a "ui.local"); ApplyLanguage selects.
    TuiLanguage uiLanguage1;
    TRecordingSession FRecording;
    // The recording buffer is the session's.
    TMACROKEYINFO& FMacroInfo = FRecording.FMacroInfo;

    // What ApplyLanguage set, in the current language.
    const std::u16string& TrayHint() const { return FTrayHint; }
    const std::u16string& ApplicationTitle() const { return FApplicationTitle; }
    const std::array<std::u16string, 3>& MenuCaptions() const { return FMenuCaptions; }
    bool AboutVisible() const;

private:
    platform::TMessageResult WindowProc(platform::TMessageId AMsg, platform::TWParam AWParam,
                                        platform::TLParam ALParam);
    bool HandleCommand(platform::TWParam ACommand);
    void HandleTimer(std::uintptr_t ATimerId);
    void WMButtonEvent(platform::TWParam AWParam, platform::TLParam ALParam);
    void ReleaseHeldButtonEvents();
    void BringAboutToFront();
    void HandleTrayIcon(platform::TLParam AMouseMessage);
    void WMCfgProfileChanged(platform::TLParam ALParam);
    void WMCfgSettingsChanged();
    void ReportStorageError(const EProfileError& AError);
    void InitMonitor();
    void AddTrayIcon();
    std::u16string TrayHintWithState() const;
    void StartMacroRecording();
    void StopMacroRecording(std::uint8_t AKeyIndex);
    void MicrophoneMuteAndTell();
    void PlayCurrentMacroAndWarn();
    void TellProfileSwitch(platform::TWParam AButtonEvent);
    void TellRecordedMacro(int ASteps, bool AUploaded);
    TLanguageForm LanguageForm();

    const platform::TPlatform& FPlatform;
    TDM& FDM;
    platform::TWindowHandle FHandle = 0;
    std::unique_ptr<TAboutWindow> FAboutWindow;
    std::u16string FTrayHint;
    // Created once the window exists, which its notifications are posted to.
    std::unique_ptr<TMicrophoneTray> FMicrophoneTray;
    std::u16string FApplicationTitle;
    std::array<std::u16string, 3> FMenuCaptions;
    // Set while the timer of that id runs: a WM_TIMER that anyone can post does nothing else.
    bool FArrivalTimerArmed = false;
    bool FAboutFrontTimerArmed = false;
    std::optional<std::uint64_t> FConfigAppStartedAt;
    std::vector<std::pair<platform::TWParam, platform::TLParam>> FHeldButtonEvents;
};

} // namespace vanto
