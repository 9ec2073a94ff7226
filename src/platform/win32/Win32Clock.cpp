#include "platform/win32/Win32Clock.h"

#include <windows.h>

namespace vanto::win32 {

std::uint64_t TWin32Clock::NowMs() {
    // The 64-bit tick count does not wrap after 49 days as GetTickCount does.
    return GetTickCount64();
}

void TWin32Clock::SleepMs(std::uint32_t AMs) {
    Sleep(AMs);
}

} // namespace vanto::win32
