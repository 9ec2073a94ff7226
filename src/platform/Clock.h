#pragma once

#include <cstdint>

namespace vanto::platform {

class IClock {
public:
    virtual ~IClock() = default;
    // Milliseconds since an arbitrary start; never goes back.
    virtual std::uint64_t NowMs() = 0;
    // Blocks the calling thread; no messages are handled meanwhile.
    virtual void SleepMs(std::uint32_t AMs) = 0;
    // The local date and time as days since 1899-12-30, the time of day as the fraction: the
    // stamp stored in profiles.
    virtual double LocalDateTime() = 0;
};

} // namespace vanto::platform
