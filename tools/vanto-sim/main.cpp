// vanto-sim [--keep DIR] [--time-startup] [SCENARIO] | -h | --help | --version: runs the monitor on
// a simulated machine and prints what it does. The scenario comes from the file, or from standard
// input.

#include "SimRunner.h"
#include "Usage.h"

#include <fstream>
#include <iostream>
#include <string_view>

namespace {

// Taken before main runs, as near to the start of the process as the program can see.
const auto GProcessStart = std::chrono::steady_clock::now();

constexpr std::string_view USAGE = "usage: vanto-sim [--keep DIR] [--time-startup] [SCENARIO]\n";

constexpr std::string_view HELP =
    "\nRuns the monitor on a simulated machine through the scenario (a file, or standard input\n"
    "when it is absent or '-') and prints what it does, one line a thing, on standard output.\n"
    "\n"
    "  --keep DIR       keep the machine in DIR (registry/ and files/ below it); a DIR that\n"
    "                   holds a machine already is started from as it is\n"
    "  --time-startup   print the real time to the running main form on standard error\n"
    "  -h, --help       print this and exit\n"
    "  --version        print the version and exit\n"
    "\n"
    "Scenario commands are listed in README.md (\"vanto-sim\"), examples in\n"
    "tools/vanto-sim/scenarios/. Exit status: 0 done, 1 the machine failed, 2 a mistake in the\n"
    "scenario or the command line.\n"
    "\n"
    "Example:\n"
    "  vanto-sim tools/vanto-sim/scenarios/first-run.vsim\n";

int Usage(std::string_view AProblem) {
    std::cerr << "vanto-sim: " << AProblem << '\n' << USAGE;
    return vanto::simrun::EXIT_SCENARIO_ERROR;
}

} // namespace

int main(int argc, char** argv) {
    vanto::simrun::TSimOptions Options;
    Options.FProcessStart = GProcessStart;
    std::optional<std::string> ScenarioFile;
    for (int I = 1; I < argc; ++I) {
        const std::string_view Argument = argv[I];
        if (Argument == "-h" || Argument == "--help") {
            std::cout << USAGE << HELP;
            return 0;
        }
        if (Argument == "--version") {
            std::cout << "vanto-sim " << vanto::ctl::VersionText() << '\n';
            return 0;
        }
        if (Argument == "--keep") {
            if (++I == argc) {
                return Usage("--keep needs a folder");
            }
            Options.FKeepFolder = argv[I];
        } else if (Argument == "--time-startup") {
            Options.FTimeStartup = true;
        } else if (Argument.starts_with("-") && Argument != "-") {
            return Usage("unknown option '" + std::string(Argument) + "'");
        } else if (ScenarioFile) {
            return Usage("only one scenario can be run");
        } else {
            ScenarioFile = std::string(Argument);
        }
    }
    if (!ScenarioFile || *ScenarioFile == "-") {
        return vanto::simrun::RunScenario(std::cin, std::cout, std::cerr, Options);
    }
    std::ifstream In(*ScenarioFile);
    if (!In) {
        return Usage("cannot read '" + *ScenarioFile + "'");
    }
    Options.FScenarioName = *ScenarioFile;
    return vanto::simrun::RunScenario(In, std::cout, std::cerr, Options);
}
