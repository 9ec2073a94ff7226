#include "platform/sim/SimClock.h"

namespace vanto::sim {

void TSimClock::AdvanceTo(std::uint64_t AMs) {
    std::uint64_t Current = FNowMs.load();
    // Time never goes back, whichever thread moved it last.
    while (Current < AMs && !FNowMs.compare_exchange_weak(Current, AMs)) {
    }
}

double TSimClock::LocalDateTime() {
    return FDaysAtZero + static_cast<double>(FNowMs.load()) / 86400000.0;
}

} // namespace vanto::sim
