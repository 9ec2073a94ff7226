#pragma once

#include "platform/Clock.h"

namespace vanto::win32 {

class TWin32Clock final : public platform::IClock {
public:
    std::uint64_t NowMs() override;
    void SleepMs(std::uint32_t AMs) override;
    double LocalDateTime() override;
};

} // namespace vanto::win32
