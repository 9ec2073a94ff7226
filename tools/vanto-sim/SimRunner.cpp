#include "SimRunner.h"

#include "Scenario.h"
#include "SimSession.h"

#include <cstdio>
#include <random>

namespace vanto::simrun {

namespace {

using TSteadyClock = std::chrono::steady_clock;

double MsBetween(TSteadyClock::time_point AFrom, TSteadyClock::time_point ATo) {
    return std::chrono::duration<double, std::milli>(ATo - AFrom).count();
}

std::filesystem::path FreshTemporaryFolder() {
    std::random_device Random;
    for (;;) {
        char Name[32];
        std::snprintf(Name, sizeof Name, "vanto-sim-%08x%08x", Random(), Random());
        std::filesystem::path Folder = std::filesystem::temp_directory_path() / Name;
        if (std::filesystem::create_directory(Folder)) {
            return Folder;
        }
    }
}

void ReportStartup(std::ostream& AErr, TSteadyClock::time_point AFrom,
                   TSteadyClock::time_point AReady, double AMachineMs,
                   const TStartupTimes& ATimes) {
    char Text[200];
    std::snprintf(Text, sizeof Text,
                  "vanto-sim: main form ready %.2f ms after process start (machine %.2f ms, "
                  "profiles %.2f ms, main form %.2f ms)\n",
                  MsBetween(AFrom, AReady), AMachineMs, ATimes.FProfilesMs, ATimes.FMainFormMs);
    AErr << Text;
}

// Every command in turn; the first that cannot run ends the scenario.
int RunCommands(TSimSession& ASession, const TScenario& AScenario, std::ostream& AErr,
                const TSimOptions& AOptions) {
    for (const TCommand& Command : AScenario.FCommands) {
        try {
            ASession.Execute(Command);
        } catch (const ERunError& Error) {
            AErr << FormatError(AOptions.FScenarioName, {Command.FLine, Error.what()}) << '\n';
            return EXIT_SCENARIO_ERROR;
        }
    }
    return 0;
}

int RunOnMachine(const std::filesystem::path& ARoot, const TScenario& AScenario,
                 std::ostream& ATrace, std::ostream& AErr, const TSimOptions& AOptions) {
    const TSteadyClock::time_point From = AOptions.FProcessStart.value_or(TSteadyClock::now());
    const TSteadyClock::time_point MachineStart = TSteadyClock::now();
    TSimSession Session(ARoot, ATrace);
    Session.SetFileFolder(std::filesystem::path(AOptions.FScenarioName).parent_path());
    const double MachineMs = MsBetween(MachineStart, TSteadyClock::now());
    const TStartupTimes Times = Session.StartMonitor();
    if (AOptions.FTimeStartup) {
        ReportStartup(AErr, From, TSteadyClock::now(), MachineMs, Times);
    }
    return RunCommands(Session, AScenario, AErr, AOptions);
}

} // namespace

int RunScenario(std::istream& AScenario, std::ostream& ATrace, std::ostream& AErr,
                const TSimOptions& AOptions) {
    const TScenario Scenario = ParseScenario(AScenario);
    for (const TScenarioError& Error : Scenario.FErrors) {
        AErr << FormatError(AOptions.FScenarioName, Error) << '\n';
    }
    if (!Scenario.FErrors.empty()) {
        return EXIT_SCENARIO_ERROR;
    }
    std::filesystem::path Root;
    int Status = EXIT_RUN_FAILED;
    try {
        Root = AOptions.FKeepFolder ? *AOptions.FKeepFolder : FreshTemporaryFolder();
        std::filesystem::create_directories(Root);
        Status = RunOnMachine(Root, Scenario, ATrace, AErr, AOptions);
    } catch (const std::exception& Error) {
        AErr << "vanto-sim: " << Error.what() << '\n';
    }
    if (AOptions.FKeepFolder) {
        AErr << "vanto-sim: the machine is kept in " << Root.string() << '\n';
    } else if (!Root.empty()) {
        std::error_code Ignored;
        std::filesystem::remove_all(Root, Ignored);
    }
    return Status;
}

} // namespace vanto::simrun
