// Runs vantoctl in the test process and keeps what it printed.
#pragma once

#include "VantoCtl.h"

#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace vanto::ctl::test {

struct TRun {
    int FExit;
    std::string FOut;
    std::string FErr;
};

inline TRun RunCtl(std::vector<std::string_view> AArgs) {
    std::ostringstream Out, Err;
    const int Exit = RunVantoCtl(AArgs, Out, Err);
    return {Exit, Out.str(), Err.str()};
}

} // namespace vanto::ctl::test
