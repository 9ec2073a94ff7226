// Prints how far WaitPrecise overshoots on this system, for 1..50 ms; not a test.
#include "platform/win32/Win32InputSynthesis.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

void Measure(bool AAllowHighResolution) {
    vanto::win32::TWin32InputSynthesis Input(AAllowHighResolution);
    std::printf("timer: %s\n", vanto::win32::WaitTimerKindName(Input.TimerKind()));
    LARGE_INTEGER Frequency;
    QueryPerformanceFrequency(&Frequency);
    vanto::platform::TPlaybackScope Playback(Input);
    std::printf("%6s %12s %12s %12s\n", "ms", "median us", "p99 us", "max us");
    for (unsigned Ms : {1u, 2u, 5u, 6u, 10u, 15u, 20u, 50u}) {
        std::vector<double> Errors;
        const int Rounds = Ms >= 20 ? 40 : 100;
        for (int Round = 0; Round < Rounds; ++Round) {
            LARGE_INTEGER Start, End;
            QueryPerformanceCounter(&Start);
            Input.WaitPrecise(Ms);
            QueryPerformanceCounter(&End);
            const double TookUs = static_cast<double>(End.QuadPart - Start.QuadPart) * 1e6 /
                                  static_cast<double>(Frequency.QuadPart);
            Errors.push_back(TookUs - Ms * 1000.0);
        }
        std::sort(Errors.begin(), Errors.end());
        const std::size_t P99 = std::min(Errors.size() - 1, Errors.size() * 99 / 100);
        std::printf("%6u %12.1f %12.1f %12.1f\n", Ms, Errors[Errors.size() / 2], Errors[P99],
                    Errors.back());
    }
}

} // namespace

int main() {
    Measure(true);
    Measure(false); // the fallback of systems that refuse the high-resolution timer
    return 0;
}
