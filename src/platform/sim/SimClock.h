#pragma once

#include "platform/Clock.h"

#include <atomic>
#include <cstdint>

namespace vanto::sim {

// Simulated time: it moves only when the simulation moves it, so tests never wait.
class TSimClock : public platform::IClock {
public:
    std::uint64_t NowMs() override { return FNowMs.load(); }
    // A sleep passes simulated time at once.
    void SleepMs(std::uint32_t AMs) override { FNowMs += AMs; }

    // The simulated wall clock starts at 2026-01-01 00:00 local time and moves with NowMs.
    double LocalDateTime() override;
    void SetLocalDateTimeAtZero(double ADays) { FDaysAtZero = ADays; }

    void AdvanceTo(std::uint64_t AMs);
    void AdvanceBy(std::uint64_t AMs) { FNowMs += AMs; }

private:
    std::atomic<std::uint64_t> FNowMs{0};
    double FDaysAtZero = 46023.0; // 2026-01-01
};

} // namespace vanto::sim
