#pragma once

#include "Scenario.h"
#include "Trace.h"

#include "app/MonitorFlags.h"

namespace vanto::simrun {

// The user's own mouse, beside the gaming mouse's vendor reports: clicks and wheel notches that
// an on-the-fly recording takes as its steps. The recording reaches them through the input hook
// library; this is where the runner will hand them to the hook once the monitor has one. Until
// then the trace says whether a recording would have been listening.
class TUserInput {
public:
    TUserInput(TTrace& ATrace, const TMonitorFlags& AFlags) : FTrace(ATrace), FFlags(AFlags) {}

    void Click(TMouseButton AButton);
    void Wheel(int ANotches);

private:
    void Deliver(const std::string& AWhat);

    TTrace& FTrace;
    const TMonitorFlags& FFlags;
};

} // namespace vanto::simrun
