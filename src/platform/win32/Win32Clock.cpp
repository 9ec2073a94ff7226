#include "platform/win32/Win32Clock.h"

#include <windows.h>

#include <chrono>

namespace vanto::win32 {

std::uint64_t TWin32Clock::NowMs() {
    // The 64-bit tick count does not wrap after 49 days as GetTickCount does.
    return GetTickCount64();
}

void TWin32Clock::SleepMs(std::uint32_t AMs) {
    Sleep(AMs);
}

double TWin32Clock::LocalDateTime() {
    SYSTEMTIME Now;
    GetLocalTime(&Now);
    using namespace std::chrono;
    const sys_days Day = year{Now.wYear} / month{Now.wMonth} / day{Now.wDay};
    const sys_days Epoch = year{1899} / December / day{30};
    const double Seconds =
        Now.wHour * 3600.0 + Now.wMinute * 60.0 + Now.wSecond + Now.wMilliseconds / 1000.0;
    return static_cast<double>((Day - Epoch).count()) + Seconds / 86400.0;
}

} // namespace vanto::win32
