#pragma once

#include <chrono>
#include <filesystem>
#include <istream>
#include <optional>
#include <ostream>
#include <string>

namespace vanto::simrun {

struct TSimOptions {
    // Shown in front of the line number of every error.
    std::string FScenarioName = "scenario";
    // Keep the machine in this folder instead of a temporary one that goes at the end. A folder
    // that holds a machine already is used as it is: the run starts from what it left.
    std::optional<std::filesystem::path> FKeepFolder;
    // Report the real time from FProcessStart (or from the call) to the running main form.
    bool FTimeStartup = false;
    std::optional<std::chrono::steady_clock::time_point> FProcessStart;
};

inline constexpr int EXIT_SCENARIO_ERROR = 2;
inline constexpr int EXIT_RUN_FAILED = 1;

// Runs the scenario against a fresh simulated machine with the monitor on it. The trace goes to
// ATrace, errors and the start-up time to AErr. 0 when every command ran, 2 for a mistake in the
// scenario (nothing runs when a line cannot be read), 1 when the machine itself failed.
int RunScenario(std::istream& AScenario, std::ostream& ATrace, std::ostream& AErr,
                const TSimOptions& AOptions);

} // namespace vanto::simrun
