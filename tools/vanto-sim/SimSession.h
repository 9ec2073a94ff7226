#pragma once

#include "ConfigAppStandIn.h"
#include "MouseReports.h"
#include "Scenario.h"
#include "Trace.h"
#include "TracingPlatform.h"
#include "UserInput.h"

#include "app/VantoMonExMain.h"
#include "platform/sim/SimMouse.h"
#include "platform/sim/SimPlatform.h"
#include "profile/DM.h"

#include <filesystem>
#include <memory>
#include <ostream>
#include <stdexcept>

namespace vanto::simrun {

// A command that cannot be carried out in the state the run is in.
class ERunError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Real time spent on the way to a running monitor, in milliseconds.
struct TStartupTimes {
    double FMachineMs = 0;
    double FProfilesMs = 0;
    double FMainFormMs = 0;
};

// One simulated machine with the monitor running on it, the mouse, and the stand-in for the
// configuration application. The monitor sees the machine through the tracing services; the
// scenario acts on the machine directly, as a user or another program would.
class TSimSession {
public:
    TSimSession(const std::filesystem::path& ARoot, std::ostream& ATraceOut);
    ~TSimSession();
    TSimSession(const TSimSession&) = delete;
    TSimSession& operator=(const TSimSession&) = delete;

    // Plugs the mouse, starts the configuration application, loads the profiles and creates the
    // main form: the order of a start of the monitor at log-on.
    TStartupTimes StartMonitor();
    void Execute(const TCommand& ACommand);
    bool MonitorRunning() const { return FMain != nullptr; }
    // Ends the monitor as the end of its process does, without Exit.
    void CloseMonitor();

    TTrace& Trace() { return FTrace; }
    // Where the files that commands name are looked up: the scenario's own folder.
    void SetFileFolder(std::filesystem::path AFolder) { FFileFolder = std::move(AFolder); }

private:
    void ExecuteDeviceCommand(const TCommand& ACommand);
    void ExecuteConfigAppCommand(const TCommand& ACommand);
    void ExecuteUserCommand(const TCommand& ACommand);
    void AfterCommand();
    void TraceRecordedMacro();
    void WireSlots();
    void Press(unsigned AKey);
    void SwitchProfile(unsigned AProfile);
    void Unplug();
    void Plug();
    void HidArrival();
    void CfgSend(const TCommand& ACommand);
    void SetLanguage(std::uint8_t ALanguage);
    void ChooseMenu(TMenuChoice AChoice);
    void AboutOk();
    void AssignButton(const TCommand& ACommand);
    void EndSession();
    void Dump(TDumpKind AKind);
    void Import(const TCommand& ACommand);
    void RequireMonitor() const;

    sim::TSimPlatform FSim;
    TTrace FTrace;
    TTracingRegistry FRegistry{FSim.FRegistry, FTrace};
    TTracingFileSystem FFiles{FSim.FFiles, FTrace};
    TTracingDebugOutput FDebug{FSim.FDebug, FTrace};
    TTracingHid FHid{FSim.FHid, FTrace};
    TTracingTrayIcon FTray{FSim.FTray, FTrace};
    TTracingSceneWindows FScenes{FSim.FScenes, FTrace};
    TTracingShell FShell{FSim.FShell, FTrace};
    TTracingInputSynthesis FInput{FSim.FInput, FTrace};
    platform::TPlatform FPlatform;
    sim::TSimMouse FMouse;
    TMouseReportWatcher FMouseReports{FMouse, FTrace};
    TConfigAppStandIn FConfigApp{FSim.FWindows, FSim.FRegistry, FSim.FFiles, FTrace};
    std::unique_ptr<TDM> FDM;
    std::unique_ptr<TVantoMonExMain> FMain;
    std::unique_ptr<TUserInput> FUserInput;
    int FArrivals = 0;
    // What ended the monitor, for the error of a command that follows.
    std::string FEndedBy = "menu Exit";
    std::filesystem::path FFileFolder;
};

} // namespace vanto::simrun
