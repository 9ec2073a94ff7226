// vanto-sim [--keep DIR] [--time-startup] [SCENARIO]: runs the monitor on a simulated machine
// and prints what it does. The scenario comes from the file, or from standard input.

#include "SimRunner.h"

#include <fstream>
#include <iostream>
#include <string_view>

namespace {

// Taken before main runs, as near to the start of the process as the program can see.
const auto GProcessStart = std::chrono::steady_clock::now();

int Usage(std::string_view AProblem) {
    std::cerr << "vanto-sim: " << AProblem << '\n'
              << "usage: vanto-sim [--keep DIR] [--time-startup] [SCENARIO]\n";
    return vanto::simrun::EXIT_SCENARIO_ERROR;
}

} // namespace

int main(int argc, char** argv) {
    vanto::simrun::TSimOptions Options;
    Options.FProcessStart = GProcessStart;
    std::optional<std::string> ScenarioFile;
    for (int I = 1; I < argc; ++I) {
        const std::string_view Argument = argv[I];
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
