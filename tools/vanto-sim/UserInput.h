#pragma once

#include "Scenario.h"
#include "Trace.h"

#include "macro/MonitorFlags.h"
#include "platform/sim/SimPlatform.h"

namespace vanto::simrun {

// The user's own mouse, beside the gaming mouse's vendor reports: clicks and wheel notches go
// to the system's input hooks, where an on-the-fly recording takes them as its steps.
class TUserInput {
public:
    TUserInput(TTrace& ATrace, const TMonitorFlags& AFlags, sim::TSimPlatform& ASim)
        : FTrace(ATrace), FFlags(AFlags), FSim(ASim) {}

    // A press, the button held for CLICK_HOLD_MS, and its release.
    void Click(TMouseButton AButton);
    // The press and the release of a button the user holds as long as the scenario says.
    void Press(TMouseButton AButton);
    void Release(TMouseButton AButton);
    // One notch after another, NOTCH_GAP_MS apart.
    void Wheel(int ANotches);

    static constexpr std::uint64_t CLICK_HOLD_MS = 60;
    static constexpr std::uint64_t NOTCH_GAP_MS = 30;

private:
    void Deliver(const std::string& AWhat, std::uint32_t AMessage, std::int16_t AData);

    TTrace& FTrace;
    const TMonitorFlags& FFlags;
    sim::TSimPlatform& FSim;
};

} // namespace vanto::simrun
