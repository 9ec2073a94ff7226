#include "app/VantoMonExMain.h"

#include "app/MonitorOptions.h"
#include "i18n/CarriedLanguageTable.h"
#include "i18n/MonitorLanguageTable.h"
#include "i18n/Translate.h"
#include "platform/Utf16.h"
#include "shared/ButtonReports.h"
#include "shared/ConfigAppInterface.h"

namespace vanto {

using platform::TLParam;
using platform::TMessageId;
using platform::TMessageResult;
using platform::TWParam;

namespace {

constexpr char16_t TRAY_HINT[] = u"Gaming Mouse Driver";
constexpr char16_t APPLICATION_TITLE[] = u"Gaming Mouse Monitor";
constexpr const char16_t* MENU_CAPTIONS[] = {u"Config", u"About", u"Exit"};
constexpr TWParam MENU_COMMANDS[] = {CONFIG_COMMAND, ABOUT_COMMAND, EXIT_COMMAND};

} // namespace

TVantoMonExMain::TVantoMonExMain(const platform::TPlatform& APlatform, TDM& ADM)
    : uiHIDData1(APlatform.FHid, APlatform.FWindows, APlatform.FIni, APlatform.FShell,
                 APlatform.FDebug),
      uiHIDEvent1(APlatform.FWindows, APlatform.FDeviceNotifications, APlatform.FDebug),
      FDispatcher(APlatform.FWindows, APlatform.FRegistry, APlatform.FDebug, FFlags),
      FPlayer(APlatform.FInput, APlatform.FDebug, FFlags, ADM.CurrentProfileInfo()),
      FAudioControl(APlatform.FAudio, APlatform.FMessageBox), FUploadTarget(uiHIDData1),
      FUploader(FUploadTarget, APlatform.FWindows),
      FOnScreenMessage(APlatform.FScenes, APlatform.FWindows, ON_SCREEN_MESSAGE_TIMER_ID),
      FRecordedMacroStore(ADM, FUploader, APlatform.FWindows, APlatform.FDebug),
      FHookMessageBox(APlatform.FMessageBox), uiHook1(APlatform.FHooks, FHookMessageBox),
      FLanguageForm(LanguageForm()),
      uiLanguage1({APlatform.FLocale, APlatform.FShell, APlatform.FFiles}, &FLanguageForm,
                  CarriedLanguageTable(), MonitorLanguageTable()),
      FRecording(APlatform, FFlags, RECORD_GUARD_TIMER_ID), FPlatform(APlatform), FDM(ADM) {
    FHandle = FPlatform.FWindows.CreateHiddenWindow(
        MONITOR_WINDOW_CLASS, MONITOR_WINDOW_TITLE,
        [this](TMessageId AMsg, TWParam AWParam, TLParam ALParam) {
            return WindowProc(AMsg, AWParam, ALParam);
        });
    FDispatcher.SetMainWindow(FHandle);
    const TMonitorOptions Options = ReadMonitorOptions(FPlatform.FIni, FPlatform.FShell);
    FMicrophoneTray = std::make_unique<TMicrophoneTray>(FPlatform, FAudioControl, FHandle,
                                                        FTrayHint, Options.FTrayMicrophoneState);
    FOnScreenMessage.SetEnabled(Options.FOnScreenMessages);
    FRecording.SetOwnerWindow(FHandle);
    FOnScreenMessage.SetOwnerWindow(FHandle);
    uiHIDData1.OnData = [this](const std::u16string& ADeviceID, const std::u16string& ADevicePath,
                               std::uint8_t ReportID, const std::uint8_t* Data,
                               std::uint16_t Size) {
        FDispatcher.uiHIDData1Data(ADeviceID, ADevicePath, ReportID, Data, Size);
    };
    uiHIDEvent1.OnDeviceArrival = [this](TuiHIDEvent&) { uiHIDEvent1DeviceArrival(); };
    FUploader.OnIdle = [this] { ReleaseHeldButtonEvents(); };
    FRecording.OnRecordingFull = [this] {
        FOnScreenMessage.Show(TranslatedMessage(RECORD_FULL_TEXT, 0));
    };
    FRecordedMacroStore.OnStored = [this](int ASteps, bool AUploaded) {
        TellRecordedMacro(ASteps, AUploaded);
    };
    uiHook1.OnRecordEvent = [this](const TRecordEvent& AEvent) { FRecording.Take(AEvent); };
    FAboutWindow =
        std::make_unique<TAboutWindow>(FPlatform.FScenes, FHandle, platform::WM_COMMAND_MESSAGE);
}

// The tray icon's hint and the menu items' captions; the form's own caption is left out, since
// it is the title by which the configuration application finds the monitor.
TLanguageForm TVantoMonExMain::LanguageForm() {
    TLanguageForm Form{u"VantoMonExMain", {}};
    Form.FComponents.push_back(
        {u"TTrayIcon", u"TrayIcon1",
         [this](std::u16string_view AProperty) -> std::optional<std::u16string> {
             return AProperty == u"Hint" ? std::optional(FTrayHint) : std::nullopt;
         },
         [this](std::u16string_view, const std::u16string& AValue) {
             // As a property setter does: the same hint again changes nothing on screen.
             if (AValue != FTrayHint) {
                 FTrayHint = AValue;
                 FPlatform.FTray.SetHint(TrayHintWithState());
             }
         }});
    constexpr const char16_t* ITEM_NAMES[] = {u"Config1", u"About1", u"Exit1"};
    for (std::size_t I = 0; I < FMenuCaptions.size(); ++I) {
        Form.FComponents.push_back(
            {u"TMenuItem", ITEM_NAMES[I],
             [this, I](std::u16string_view AProperty) -> std::optional<std::u16string> {
                 return AProperty == u"Caption" ? std::optional(FMenuCaptions[I]) : std::nullopt;
             },
             [this, I](std::u16string_view, const std::u16string& AValue) {
                 FMenuCaptions[I] = AValue;
             }});
    }
    return Form;
}

void TVantoMonExMain::FormCreate() {
    InitMonitor();
    AddTrayIcon();
    // Now every slot is wired: a box's own message loop cannot run a timer into nothing.
    FHookMessageBox.Release();
}

TVantoMonExMain::~TVantoMonExMain() {
    // Nothing the macro pressed may stay down once the monitor is gone.
    FPlayer.StopPlayback();
    // Quitting while a recording runs leaves nothing behind: no hook, no overlay.
    if (FRecording.RecordOverlay() != nullptr) {
        CloseRecordOverlay();
        uiHook1.StopRecordMouseMacro();
    }
    StopDevice();
    FPlatform.FTray.Remove();
    FAboutWindow.reset();
    FOnScreenMessage.SetEnabled(false);
    for (std::uintptr_t Timer : {DEVICE_ARRIVAL_TIMER_ID, ABOUT_FRONT_TIMER_ID}) {
        FPlatform.FWindows.StopTimer(FHandle, Timer);
    }
    FPlatform.FWindows.DestroyHiddenWindow(FHandle);
}

void TVantoMonExMain::InitMonitor() {
    FFlags.MacroPlaying = false;
    ApplyLanguage();
    FFlags.MacroRecording = false;
    FMicrophoneTray->ProfileLoaded(FDM.CurrentProfileInfo());
}

void TVantoMonExMain::AddTrayIcon() {
    FPlatform.FTray.Add(FHandle, WM_TRAY_ICON, TrayHintWithState());
}

// The language component may set the hint before the microphone's state exists.
std::u16string TVantoMonExMain::TrayHintWithState() const {
    return FMicrophoneTray ? FMicrophoneTray->Hint() : FTrayHint;
}

TMessageResult TVantoMonExMain::WindowProc(TMessageId AMsg, TWParam AWParam, TLParam ALParam) {
    switch (AMsg) {
    case WM_BUTTON_EVENT:
        WMButtonEvent(AWParam, ALParam);
        return 0;
    case WM_CFG_PROFILE_CHANGED:
        WMCfgProfileChanged(ALParam);
        return 0;
    case WM_CFG_SETTINGS_CHANGED:
        WMCfgSettingsChanged();
        return 0;
    case WM_TRAY_ICON:
        HandleTrayIcon(ALParam);
        return 0;
    case WM_MICROPHONE_CHANGED:
        FMicrophoneTray->MicrophoneChanged();
        return 0;
    case platform::WM_COMMAND_MESSAGE:
        return HandleCommand(AWParam) ? 0 : 1;
    case platform::WM_TIMER_MESSAGE:
        HandleTimer(AWParam);
        return 0;
    case platform::WM_QUERYENDSESSION_MESSAGE:
        // The process may be ended without another word once the session ends: the playback
        // goes now, with what it holds released, and the monitor agrees.
        FPlayer.StopPlayback();
        return 1;
    case platform::WM_ENDSESSION_MESSAGE:
        if (AWParam != 0) {
            FPlayer.StopPlayback();
        }
        return 0;
    case platform::WM_POWERBROADCAST_MESSAGE:
        // After sleep the mouse's handles are stale: open it again as after an arrival.
        if (AWParam == platform::PBT_APMRESUMEAUTOMATIC_EVENT) {
            uiHIDEvent1DeviceArrival();
        }
        return 1;
    default:
        // Explorer restarted: its new taskbar has forgotten the icon.
        if (AMsg != 0 && AMsg == FPlatform.FTray.TaskbarCreatedMessage()) {
            AddTrayIcon();
        }
        return 0;
    }
}

bool TVantoMonExMain::HandleCommand(TWParam ACommand) {
    switch (ACommand) {
    case CONFIG_COMMAND:
        Config1Click();
        return true;
    case ABOUT_COMMAND:
        About1Click();
        return true;
    case EXIT_COMMAND:
        Exit1Click();
        return true;
    case ABOUT_OK_COMMAND:
        BtnOKClick();
        return true;
    default:
        return false;
    }
}

void TVantoMonExMain::HandleTimer(std::uintptr_t ATimerId) {
    switch (ATimerId) {
    case DEVICE_ARRIVAL_TIMER_ID:
        if (FArrivalTimerArmed) {
            TimerDeviceArrialTimer();
        }
        break;
    case ABOUT_FRONT_TIMER_ID:
        if (FAboutFrontTimerArmed) {
            BringAboutToFront();
        }
        break;
    case RECORD_GUARD_TIMER_ID:
        FRecording.GuardTimer();
        break;
    case ON_SCREEN_MESSAGE_TIMER_ID:
        FOnScreenMessage.Timer();
        break;
    default:
        break;
    }
}

// While an upload runs, a press waits for its final mode command: a record press must not
// reset the recording being stored, and a play press must not find the mouse in upload mode.
void TVantoMonExMain::WMButtonEvent(TWParam AWParam, TLParam ALParam) {
    if (FUploader.IsUploading()) {
        if (FHeldButtonEvents.size() < HELD_BUTTON_EVENT_LIMIT) {
            FHeldButtonEvents.emplace_back(AWParam, ALParam);
        }
        return;
    }
    const TButtonAction Action =
        FDispatcher.WMButtonEvent(AWParam, ALParam, FDM.CurrentProfileInfo());
    TellProfileSwitch(AWParam);
    if (Action.FKind == EButtonAction::None) {
        return;
    }
    if (OnButtonAction) {
        OnButtonAction(Action);
    } else {
        CarryOutButtonAction(Action);
    }
}

void TVantoMonExMain::CarryOutButtonAction(const TButtonAction& AAction) {
    switch (AAction.FKind) {
    case EButtonAction::MicrophoneMute:
        MicrophoneMuteAndTell();
        break;
    case EButtonAction::PlayCurrentMacro:
        PlayCurrentMacroAndWarn();
        break;
    case EButtonAction::ToggleMacroRecording:
        // A recording's low-level mouse hook runs on this thread. A playback would send into it,
        // and while this thread waited for that playback to end, every mouse event on the desktop
        // would stall. So the two never run together: a recording that starts ends the playback.
        if (!FFlags.MacroRecording) {
            FPlayer.StopPlayback();
        }
        ToggleMacroRecording(AAction.FKeyIndex);
        break;
    case EButtonAction::None:
        break;
    }
}

void TVantoMonExMain::TellProfileSwitch(TWParam AButtonEvent) {
    if (AButtonEvent == PROFILE_0_SELECTED || AButtonEvent == PROFILE_1_SELECTED) {
        FOnScreenMessage.Show(
            TranslatedMessage(MESSAGE_PROFILES[AButtonEvent == PROFILE_0_SELECTED ? 0 : 1], 0));
    }
}

void TVantoMonExMain::MicrophoneMuteAndTell() {
    FOnScreenMessage.Show(
        TranslatedMessage(MicrophoneStateText(FMicrophoneTray->MutePressed()), 0));
}

// Windows drops input synthesised for a window of higher integrity without a word; the user
// hears why the macro did nothing, and the playback runs all the same, since the user may
// switch windows while it does.
void TVantoMonExMain::PlayCurrentMacroAndWarn() {
    if (FPlatform.FWindows.ForegroundIsElevated()) {
        FOnScreenMessage.Show(TranslatedMessage(MESSAGE_ELEVATED_FOREGROUND, 0));
    }
    FPlayer.PlayCurrentMacro();
}

void TVantoMonExMain::TellRecordedMacro(int ASteps, bool AUploaded) {
    FOnScreenMessage.Show(AUploaded ? TranslatedMessage(MESSAGE_MACRO_RECORDED, ASteps)
                                    : TranslatedMessage(MESSAGE_MACRO_NOT_UPLOADED, 0));
}

// Posted again in their order rather than run here, so that each runs as a handler of its own.
void TVantoMonExMain::ReleaseHeldButtonEvents() {
    std::vector<std::pair<TWParam, TLParam>> Held = std::move(FHeldButtonEvents);
    FHeldButtonEvents.clear();
    for (const auto& [WParam, LParam] : Held) {
        FPlatform.FWindows.Post(FHandle, WM_BUTTON_EVENT, WParam, LParam);
    }
}

void TVantoMonExMain::HandleTrayIcon(TLParam AMouseMessage) {
    if (AMouseMessage == platform::TRAY_LEFT_BUTTON_UP) {
        TrayIconDblClick();
    } else if (AMouseMessage == platform::TRAY_RIGHT_BUTTON_UP) {
        std::vector<platform::TMenuItem> Items;
        for (std::size_t I = 0; I < FMenuCaptions.size(); ++I) {
            Items.push_back({MENU_COMMANDS[I], FMenuCaptions[I]});
        }
        FPlatform.FTray.ShowMenu(Items);
    }
}

void TVantoMonExMain::TrayIconDblClick() {
    ShowConfigApp();
}

void TVantoMonExMain::Config1Click() {
    ShowConfigApp();
}

// The window is brought forward a moment after it is shown, from a timer rather than a wait
// that would run other handlers inside this one.
void TVantoMonExMain::About1Click() {
    FAboutWindow->Show();
    FAboutFrontTimerArmed = true;
    FPlatform.FWindows.StartTimer(FHandle, ABOUT_FRONT_TIMER_ID, ABOUT_FRONT_DELAY_MS);
}

void TVantoMonExMain::BringAboutToFront() {
    FAboutFrontTimerArmed = false;
    FPlatform.FWindows.StopTimer(FHandle, ABOUT_FRONT_TIMER_ID);
    if (FAboutWindow->IsVisible()) {
        FAboutWindow->BringToFront();
    }
}

void TVantoMonExMain::BtnOKClick() {
    FAboutWindow->Hide();
}

bool TVantoMonExMain::AboutVisible() const {
    return FAboutWindow->IsVisible();
}

void TVantoMonExMain::Exit1Click() {
    FPlayer.StopPlayback();
    platform::TWindowHandle ConfigApp = FPlatform.FWindows.FindTopWindow(CONFIG_APP_WINDOW_CLASS);
    if (ConfigApp != 0) {
        FPlatform.FWindows.Post(ConfigApp, WM_MONITOR_EXIT, 0, 0);
    }
    FPlatform.FWindows.Quit(0);
}

void TVantoMonExMain::uiHIDEvent1DeviceArrival() {
    // Restarting the timer makes a burst of arrivals lead to one reopen after the last.
    FPlatform.FWindows.StopTimer(FHandle, DEVICE_ARRIVAL_TIMER_ID);
    FArrivalTimerArmed =
        FPlatform.FWindows.StartTimer(FHandle, DEVICE_ARRIVAL_TIMER_ID, DEVICE_ARRIVAL_DELAY_MS);
}

void TVantoMonExMain::TimerDeviceArrialTimer() {
    FArrivalTimerArmed = false;
    FPlatform.FWindows.StopTimer(FHandle, DEVICE_ARRIVAL_TIMER_ID);
    ReopenDevice();
}

// The readers end, and the mouse gets 50 ms before it is opened again. No messages are handled
// in that pause: a handler run inside it could ask for another reopen and nest this one.
void TVantoMonExMain::ReopenDevice() {
    uiHIDData1.HidStopRead();
    FPlatform.FClock.SleepMs(DEVICE_REOPEN_DELAY_MS);
    uiHIDData1.HidFindAndReadDevice(FDM.HidSelector().AsInteger(), u"*");
    // A bank whose upload the mouse did not take whole (it was pulled, a report failed) goes
    // again now that the mouse is back.
    if (FUploader.HasFailedBanks()) {
        FUploader.UploadFailedBanksAgain();
    }
}

void TVantoMonExMain::StopDevice() {
    uiHIDData1.HidStopRead();
}

void TVantoMonExMain::ShowConfigApp() {
    platform::TWindowHandle ConfigApp = FPlatform.FWindows.FindTopWindow(CONFIG_APP_WINDOW_CLASS);
    if (ConfigApp != 0) {
        FConfigAppStartedAt.reset();
        FPlatform.FWindows.BringToForeground(ConfigApp);
        return;
    }
    // A double click starts it once: the second click comes before its window does.
    const std::uint64_t Now = FPlatform.FClock.NowMs();
    if (FConfigAppStartedAt && Now - *FConfigAppStartedAt < CONFIG_APP_START_MS) {
        return;
    }
    FConfigAppStartedAt = Now;
    // By its full path in the monitor's own folder: a bare name would be looked up along the
    // search path, where anyone could have put a program of that name.
    const std::u16string Folder = FPlatform.FShell.ExecutableFolder();
    FPlatform.FShell.OpenProgram(Folder + u"\\" + CONFIG_APP_FILE_NAME, Folder);
}

// The stored choice is a position in the component's language list. Before the first
// selection Lang is empty and has no position, so start-up always selects.
void TVantoMonExMain::ApplyLanguage() {
    const int Stored = FDM.AllProfileSettingInfo().CurrentLanguage;
    if (uiLanguage1.GetLanguageIndexByShortID(uiLanguage1.Lang()) != Stored) {
        uiLanguage1.SetLang(uiLanguage1.GetLanguageShortIDByIndex(Stored));
    }
    FTrayHint = Translate(TRAY_HINT);
    FApplicationTitle = Translate(APPLICATION_TITLE);
    for (std::size_t I = 0; I < FMenuCaptions.size(); ++I) {
        FMenuCaptions[I] = Translate(MENU_CAPTIONS[I]);
    }
    FPlatform.FTray.SetHint(TrayHintWithState());
}

void TVantoMonExMain::WMCfgProfileChanged(TLParam ALParam) {
    try {
        // The group decides which profile is current, so it is loaded first.
        FDM.LoadProfileGroupSettingInfoFromRegistry();
        FDM.LoadAllProfileInfoFromRegistry();
        FDM.LoadCurrentProfileInfoFromRegistry();
    } catch (const EProfileError& Error) {
        ReportStorageError(Error);
    }
    FMicrophoneTray->ProfileLoaded(FDM.CurrentProfileInfo());
    // Any program can send this message; only a profile the mouse has is stored.
    if (ALParam < 0 || ALParam > 1) {
        FPlatform.FDebug.Write(u"ProfileID not written: profile " +
                               DecimalToUtf16(static_cast<long long>(ALParam)) + u" out of range");
        return;
    }
    SetProfileID(FPlatform.FRegistry, static_cast<int>(ALParam));
}

void TVantoMonExMain::WMCfgSettingsChanged() {
    try {
        FDM.LoadAllProfileInfoFromRegistry();
    } catch (const EProfileError& Error) {
        ReportStorageError(Error);
    }
    FMicrophoneTray->ProfileLoaded(FDM.CurrentProfileInfo());
    ApplyLanguage();
}

void TVantoMonExMain::ToggleMacroRecording(std::uint8_t AKeyIndex) {
    if (!FFlags.MacroRecording) {
        StartMacroRecording();
    } else {
        StopMacroRecording(AKeyIndex);
    }
}

void TVantoMonExMain::StartMacroRecording() {
    uiHook1.RecordMouseMacro();
    FPlatform.FDebug.Write(u"show record window");
    FRecording.Start();
    HideApplicationWindow(false);
}

void TVantoMonExMain::StopMacroRecording(std::uint8_t AKeyIndex) {
    FPlatform.FDebug.Write(u"CLOSE record window");
    CloseRecordOverlay();
    uiHook1.StopRecordMouseMacro();
    // The stop hands over its own copy: nothing that runs meanwhile can change what is stored.
    if (const std::optional<TMACROKEYINFO> Recorded = FRecording.Stop()) {
        FRecordedMacroStore.StoreRecordedMacro(AKeyIndex, *Recorded);
    }
}

void TVantoMonExMain::uiHook1RecordMouseMacroKey(std::int32_t MacroType, TMouseButtons AButton,
                                                 std::int32_t AState,
                                                 const std::u16string& MacroKeyString) {
    FRecording.Take(RecordEventOf(MacroType, AButton, AState, MacroKeyString));
}

void TVantoMonExMain::ShowRecordOverlay() {
    FRecording.ShowRecordOverlay();
    HideApplicationWindow(false);
}

void TVantoMonExMain::CloseRecordOverlay() {
    FRecording.CloseRecordOverlay();
}

void TVantoMonExMain::AddRecordOverlayLine(std::uint8_t AType, std::uint8_t AValue,
                                           std::uint8_t AIndex) {
    FRecording.AddRecordOverlayLine(AType, AValue, AIndex);
}

void TVantoMonExMain::HideApplicationWindow(bool AFlag) {
    // The monitor never shows its main form, so there is nothing to stop first; its hidden
    // window stays hidden, and the overlay, a tool window, adds no task-bar button.
    (void)AFlag;
    FPlatform.FWindows.HideWindow(FHandle);
}

// The other program may have stored something the monitor cannot read (a value of the wrong
// type, a refused write): the monitor keeps what it had and goes on running.
void TVantoMonExMain::ReportStorageError(const EProfileError& AError) {
    FPlatform.FDebug.Write(AsciiToUtf16(AError.what()));
}

} // namespace vanto
