#include "SimSession.h"

#include "Dumps.h"
#include "app/AboutScene.h"
#include "i18n/Translate.h"
#include "platform/Utf16.h"
#include "shared/ConfigAppInterface.h"

#include "ProfileTransfer.h"

#include <chrono>
#include <fstream>
#include <sstream>

namespace vanto::simrun {

namespace {

constexpr unsigned READER_WAIT_MS = 2000;

double MsSince(std::chrono::steady_clock::time_point AStart) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - AStart)
        .count();
}

} // namespace

TSimSession::TSimSession(const std::filesystem::path& ARoot, std::ostream& ATraceOut)
    : FSim(ARoot),
      FTrace(ATraceOut, FSim.FClock), FPlatform{FRegistry,  FFiles,       FSim.FWindows,
                                                FDebug,     FSim.FClock,  FShell,
                                                FSim.FIni,  FSim.FLocale, FHid,
                                                FSim.FHid,  FTray,        FScenes,
                                                FInput,     FSim.FAudio,  FSim.FMessageBox,
                                                FSim.FHooks} {}

TSimSession::~TSimSession() {
    CloseMonitor();
}

TStartupTimes TSimSession::StartMonitor() {
    TStartupTimes Times;
    FMouse.PlugInto(FSim.FHid);
    FHid.SetAfterFeature([this] { FMouseReports.Poll(); });
    FTrace.Line("mouse plugged");
    FConfigApp.Start();
    auto Start = std::chrono::steady_clock::now();
    FDM = std::make_unique<TDM>(FRegistry, FFiles, FShell, FSim.FIni, FSim.FLocale, FSim.FClock);
    FDM->DataModuleCreate();
    Times.FProfilesMs = MsSince(Start);
    Start = std::chrono::steady_clock::now();
    FMain = std::make_unique<TVantoMonExMain>(FPlatform, *FDM);
    WireSlots();
    FMain->FormCreate();
    Times.FMainFormMs = MsSince(Start);
    FUserInput = std::make_unique<TUserInput>(FTrace, FMain->FFlags, FSim);
    FTrace.Line("monitor running: game profile " + std::to_string(FDM->ProfileIndex()) +
                " of group " + std::to_string(FDM->ProfileGroupIndex()));
    AfterCommand();
    return Times;
}

// The trace shows what the dispatcher asked of the actions and, for the ones that exist, what
// they did, so a scenario tells that the right button leads to the right action.
void TSimSession::WireSlots() {
    FMain->OnButtonAction = [this](const TButtonAction& AAction) {
        switch (AAction.FKind) {
        case EButtonAction::MicrophoneMute:
            FMain->CarryOutButtonAction(AAction);
            FTrace.Line(std::string("action: microphone mute, the microphone is now ") +
                        (FSim.FAudio.MicrophoneMuted() ? "muted" : "on"));
            break;
        // The events it plays show up as the playback sends them.
        case EButtonAction::PlayCurrentMacro:
            FTrace.Line("action: play macro");
            FMain->CarryOutButtonAction(AAction);
            break;
        case EButtonAction::ToggleMacroRecording:
            FTrace.Line("action: toggle macro recording for button " +
                        std::to_string(AAction.FKeyIndex) +
                        (FMain->FFlags.MacroRecording ? ", stop" : ", start"));
            FMain->CarryOutButtonAction(AAction);
            TraceRecordedMacro();
            break;
        case EButtonAction::None:
            break;
        }
    };
    FMain->uiLanguage1.OnLanguageChanged = [this](TuiLanguage&, const std::u16string& AShortID,
                                                  const std::u16string&) {
        FTrace.Line("language: selected " + Quoted(AShortID) +
                    (HasActiveLanguageTable() ? "" : ", no table active"));
    };
}

// After a stop: what the recording holds, as it was stored.
void TSimSession::TraceRecordedMacro() {
    if (FMain->FFlags.MacroRecording) {
        return;
    }
    const TMACROKEYINFO& Macro = FMain->FMacroInfo;
    FTrace.Line(Macro.MacroListCount == 0
                    ? std::string("recording: nothing recorded, nothing stored")
                    : "recording: " + std::to_string(Macro.MacroListCount) + " steps stored as \"" +
                          Utf8(ReadRecordText(Macro.szMacroName)) + "\"");
}

void TSimSession::CloseMonitor() {
    if (!FMain) {
        return;
    }
    FUserInput.reset();
    FMain.reset();
    FDM.reset();
    FTrace.Line("monitor ended");
}

void TSimSession::RequireMonitor() const {
    if (!FMain) {
        throw ERunError("the monitor has exited; no command can follow '" + FEndedBy + "'");
    }
}

void TSimSession::Execute(const TCommand& ACommand) {
    RequireMonitor();
    FTrace.Line("> " + ACommand.FText);
    switch (ACommand.FKind) {
    case TCommandKind::Press:
    case TCommandKind::Profile:
    case TCommandKind::Unplug:
    case TCommandKind::Plug:
    case TCommandKind::HidArrival:
    case TCommandKind::MouseReadError:
    case TCommandKind::MouseReadOk:
        ExecuteDeviceCommand(ACommand);
        break;
    case TCommandKind::CfgSend:
    case TCommandKind::CfgButton:
    case TCommandKind::CfgStart:
    case TCommandKind::CfgStop:
    case TCommandKind::SetLanguage:
        ExecuteConfigAppCommand(ACommand);
        break;
    case TCommandKind::Import:
        Import(ACommand);
        break;
    default:
        ExecuteUserCommand(ACommand);
        break;
    }
    AfterCommand();
}

void TSimSession::ExecuteDeviceCommand(const TCommand& ACommand) {
    switch (ACommand.FKind) {
    case TCommandKind::Press:
        Press(static_cast<unsigned>(ACommand.FArg0));
        break;
    case TCommandKind::Profile:
        SwitchProfile(static_cast<unsigned>(ACommand.FArg0));
        break;
    case TCommandKind::Unplug:
        Unplug();
        break;
    case TCommandKind::Plug:
        Plug();
        break;
    // A reader of a failing mouse gives up on its own thread; the settling after every command
    // waits for that, so the command's trace is whole.
    case TCommandKind::MouseReadError:
        FMouse.FailReads(static_cast<std::uint32_t>(ACommand.FArg0));
        break;
    case TCommandKind::MouseReadOk:
        FMouse.FailReads(std::nullopt);
        break;
    default:
        HidArrival();
        break;
    }
}

void TSimSession::ExecuteConfigAppCommand(const TCommand& ACommand) {
    switch (ACommand.FKind) {
    case TCommandKind::CfgStart:
        FConfigApp.Start();
        break;
    case TCommandKind::CfgStop:
        FConfigApp.Stop();
        break;
    case TCommandKind::SetLanguage:
        SetLanguage(static_cast<std::uint8_t>(ACommand.FArg0));
        break;
    case TCommandKind::CfgButton:
        AssignButton(ACommand);
        break;
    default:
        CfgSend(ACommand);
        break;
    }
}

void TSimSession::ExecuteUserCommand(const TCommand& ACommand) {
    switch (ACommand.FKind) {
    case TCommandKind::Wait:
        FSim.AdvanceTime(static_cast<std::uint64_t>(ACommand.FArg0));
        break;
    case TCommandKind::PlaybackWaits:
        FSim.FInput.SetWaitMode(static_cast<TPlaybackWaits>(ACommand.FArg0) == TPlaybackWaits::Clock
                                    ? sim::TSimWaitMode::FollowClock
                                    : sim::TSimWaitMode::Instant);
        break;
    case TCommandKind::ElevatedForeground:
        FSim.FWindows.SetForegroundElevated(ACommand.FArg0 != 0);
        break;
    case TCommandKind::SessionEnd:
        EndSession();
        break;
    case TCommandKind::Menu:
        ChooseMenu(static_cast<TMenuChoice>(ACommand.FArg0));
        break;
    case TCommandKind::TrayClick:
        FSim.FTray.Click(platform::TRAY_LEFT_BUTTON_UP);
        break;
    case TCommandKind::AboutOk:
        AboutOk();
        break;
    case TCommandKind::Click:
        FUserInput->Click(static_cast<TMouseButton>(ACommand.FArg0));
        break;
    case TCommandKind::ButtonDown:
        FUserInput->Press(static_cast<TMouseButton>(ACommand.FArg0));
        break;
    case TCommandKind::ButtonUp:
        FUserInput->Release(static_cast<TMouseButton>(ACommand.FArg0));
        break;
    case TCommandKind::Wheel:
        FUserInput->Wheel(static_cast<int>(ACommand.FArg0));
        break;
    // Another program or the user at the machine: the audio service tells whoever listens.
    case TCommandKind::MicMute:
        FSim.FAudio.SetMicrophoneMuted(static_cast<TOnOff>(ACommand.FArg0) == TOnOff::On);
        break;
    case TCommandKind::MicUnplug:
    case TCommandKind::MicPlug:
        FSim.FAudio.SetMicrophonePresent(ACommand.FKind == TCommandKind::MicPlug);
        break;
    default:
        Dump(static_cast<TDumpKind>(ACommand.FArg0));
        break;
    }
}

// The readers hand reports over from their own threads; the trace of a command is complete
// only once they have nothing left. The loop ends here too: Exit asked it to.
void TSimSession::AfterCommand() {
    FSim.Settle();
    FMouseReports.Poll();
    if (FMain && !FSim.FWindows.ProcessPendingMessages()) {
        const int ExitCode = FSim.FWindows.RunMessageLoop();
        FTrace.Line("message loop ended, exit code " + std::to_string(ExitCode));
        CloseMonitor();
    }
}

void TSimSession::Press(unsigned AKey) {
    if (FMouse.PressButton(AKey) == 0) {
        FTrace.Line("mouse: nobody reads the mouse, the press is lost");
    }
}

void TSimSession::SwitchProfile(unsigned AProfile) {
    if (FMouse.SwitchProfile(AProfile) == 0) {
        FTrace.Line("mouse: nobody reads the mouse, the profile report is lost");
    }
}

void TSimSession::Unplug() {
    if (!FMouse.IsPlugged()) {
        FTrace.Line("mouse: not plugged");
        return;
    }
    const std::size_t Readers = FSim.FHid.OpenReadHandles(FMouse.VendorPath());
    const std::size_t Before = FDebug.LineCount();
    FMouse.Unplug();
    // Each reader tells of the lost device from its own thread; wait for that so the trace of
    // this command is whole before the next one starts.
    if (Readers != 0 && !FDebug.WaitForLineCount(Before + Readers, READER_WAIT_MS)) {
        FTrace.Line("runner: the readers did not report the unplug in time");
    }
}

void TSimSession::Plug() {
    if (FMouse.IsPlugged()) {
        FTrace.Line("mouse: already plugged");
        return;
    }
    FMouse.PlugInto(FSim.FHid);
}

void TSimSession::HidArrival() {
    ++FArrivals;
    sim::TSimMouse Other(sim::TSimMouseIdentity{{u"HID\\VID_1234&PID_0001"},
                                                u"other" + Utf16(std::to_string(FArrivals))});
    Other.PlugInto(FSim.FHid);
    Other.Unplug();
}

void TSimSession::CfgSend(const TCommand& ACommand) {
    if (!FConfigApp.Running()) {
        throw ERunError("cfg-send: the configuration application is not running (cfg-start)");
    }
    FConfigApp.SendToMonitor(static_cast<platform::TMessageId>(ACommand.FArg0),
                             static_cast<platform::TWParam>(ACommand.FArg1),
                             static_cast<platform::TLParam>(ACommand.FArg2));
}

void TSimSession::SetLanguage(std::uint8_t ALanguage) {
    if (!FConfigApp.Running()) {
        throw ERunError("set-language: the configuration application is not running (cfg-start)");
    }
    if (!FConfigApp.StoreLanguage(ALanguage)) {
        throw ERunError("set-language: no shared settings record is stored");
    }
}

// As a user does it: a right click opens the menu, the item is chosen by its place, whatever
// language its caption is in, and the choice arrives once the menu has closed.
void TSimSession::ChooseMenu(TMenuChoice AChoice) {
    FSim.FTray.Click(platform::TRAY_RIGHT_BUTTON_UP);
    const auto Item = static_cast<std::size_t>(AChoice);
    if (!FSim.FTray.Visible() || FTray.LastMenu().size() <= Item) {
        throw ERunError("menu: the tray menu has no such item");
    }
    FSim.FWindows.Post(FMain->Handle(), platform::WM_COMMAND_MESSAGE,
                       FTray.LastMenu()[Item].FCommandId, 0);
}

void TSimSession::AssignButton(const TCommand& ACommand) {
    if (!FConfigApp.Running()) {
        throw ERunError("cfg-button: the configuration application is not running (cfg-start)");
    }
    constexpr std::pair<const char*, std::uint16_t> FUNCTIONS[] = {
        {"mute", FUNCTION_TYPE_MICROPHONE_MUTE},
        {"play", FUNCTION_TYPE_PLAY_MACRO},
        {"record", FUNCTION_TYPE_RECORD_MACRO}};
    const auto& [Name, Type] = FUNCTIONS[static_cast<std::size_t>(ACommand.FArg1)];
    if (!FConfigApp.AssignButton(static_cast<std::size_t>(ACommand.FArg0), Type, Name)) {
        throw ERunError("cfg-button: no game profile is stored to change");
    }
}

// As Windows ends a session: it asks, then tells, and the process is gone soon after; nothing
// reaches the monitor's message loop in between.
void TSimSession::EndSession() {
    const platform::TWindowHandle Monitor = FMain->Handle();
    FTrace.Line("session: may it end?");
    const platform::TMessageResult Agreed =
        FSim.FWindows.Send(Monitor, platform::WM_QUERYENDSESSION_MESSAGE, 0, 0);
    FTrace.Line(std::string("session: the monitor ") + (Agreed != 0 ? "agrees" : "refuses"));
    FSim.FWindows.Send(Monitor, platform::WM_ENDSESSION_MESSAGE, 1, 0);
    FTrace.Line("session: ended, the monitor's process goes");
    FEndedBy = "session-end";
    CloseMonitor();
}

void TSimSession::AboutOk() {
    for (sim::TSimSceneWindow* Window : FSim.FScenes.Windows()) {
        if (Window->IsVisible()) {
            Window->ClickAt(ABOUT_OK_BUTTON.X + ABOUT_OK_BUTTON.Width / 2,
                            ABOUT_OK_BUTTON.Y + ABOUT_OK_BUTTON.Height / 2);
            return;
        }
    }
    throw ERunError("about-ok: the About window is not shown");
}

void TSimSession::Dump(TDumpKind AKind) {
    switch (AKind) {
    case TDumpKind::Profile:
        DumpProfile(FTrace, *FDM);
        break;
    case TDumpKind::Registry:
        DumpRegistry(FTrace, FSim.FRegistry);
        break;
    case TDumpKind::Mouse:
        DumpMouse(FTrace, FMouse, FSim.FHid);
        break;
    }
}

} // namespace vanto::simrun

namespace vanto::simrun {

// The import runs as vantoctl runs it on Windows, as another program on the same machine: it
// reads and writes the registry and the disk directly (untraced, so its writes are not taken
// for the monitor's), and what the monitor does on its message shows up before the result.
void TSimSession::Import(const TCommand& ACommand) {
    const std::filesystem::path File = FFileFolder / ACommand.FFile;
    std::ifstream In(File, std::ios::binary);
    std::ostringstream Json;
    if (!(Json << In.rdbuf())) {
        throw ERunError("import: cannot read '" + File.string() + "'");
    }
    const ctl::TProfileServices Services{FSim.FRegistry, FSim.FFiles, FSim.FShell,  FSim.FIni,
                                         FSim.FLocale,   FSim.FClock, FSim.FWindows};
    std::optional<int> Profile;
    if (ACommand.FArg0 != 0) {
        Profile = static_cast<int>(ACommand.FArg0);
    }
    try {
        const std::string Text = Json.str();
        const ctl::TImportResult Result =
            ctl::ImportProfile(Services, {Text, Profile, ACommand.FArg1 != 0});
        FTrace.Line("vantoctl: stored game profile " + std::to_string(Result.FProfileNumber) +
                    " in the registry" +
                    (Result.FFile.empty() ? std::string() : " and in " + Utf8(Result.FFile)) +
                    (Result.FMonitorTold ? "; told the monitor: 7035 WM_CFG_PROFILE_CHANGED l=" +
                                               std::to_string(Result.FProfileGroup)
                                         : "; no monitor to tell"));
    } catch (const std::exception& Error) {
        FTrace.Line(std::string("vantoctl: import refused: ") + Error.what());
    }
}

} // namespace vanto::simrun
