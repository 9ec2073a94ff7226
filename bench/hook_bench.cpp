// The cost of one mouse event in the mouse-macro recorder, which runs inside the system-wide
// low-level mouse hook: every click and every pointer movement of the whole desktop waits for
// it while a recording runs. Each iteration delivers one event through the simulated hook
// library to a recording TuiHook whose OnRecordMouseMacroKey handler only looks at what it is
// given. Counters: median and p99 in microseconds over the iterations (target p99 < 50 us).
#include "macro/uiHook.h"
#include "platform/sim/SimAudio.h"
#include "platform/sim/SimClock.h"
#include "platform/sim/SimHookLibrary.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <vector>

namespace vanto {
namespace {

using TClock = std::chrono::steady_clock;

// Events per recording: the recording is restarted (untimed) after this many, so that the
// list stays the size of a long recording instead of growing with the iteration count.
constexpr std::size_t EVENTS_PER_RECORDING = 4096;

void ReportPercentiles(benchmark::State& AState, std::vector<double>& ASamples) {
    if (ASamples.empty()) {
        return;
    }
    std::sort(ASamples.begin(), ASamples.end());
    auto At = [&](double AQuantile) {
        return ASamples[static_cast<std::size_t>(AQuantile * double(ASamples.size() - 1))];
    };
    AState.counters["median_us"] = At(0.5) * 1e6;
    AState.counters["p99_us"] = At(0.99) * 1e6;
    AState.counters["max_us"] = ASamples.back() * 1e6;
}

// AClick: alternate left presses and releases 8 ms apart (a delay and a button event each);
// otherwise pointer movement 1 ms apart (a delay event each).
void RecordMouseEvents(benchmark::State& AState, bool AClick) {
    sim::TSimClock Clock;
    sim::TSimHookLibrary Library(Clock);
    sim::TSimMessageBox Messages;
    TuiHook Hook(Library, Messages);
    std::uint64_t Seen = 0;
    Hook.OnRecordMouseMacroKey = [&Seen](std::int32_t MacroType, TMouseButtons AButton,
                                         std::int32_t AState, std::uint16_t X, std::uint16_t Y,
                                         double Time, const std::u16string& MacroKeyString,
                                         const std::u16string& MacroKeyStateString,
                                         const TMouseMacroKeyList& MouseRecordList) {
        Seen += static_cast<std::uint64_t>(MacroType) + static_cast<std::uint64_t>(AButton) +
                static_cast<std::uint64_t>(AState) + X + Y + MacroKeyString.size() +
                MacroKeyStateString.size() + MouseRecordList.Count();
        benchmark::DoNotOptimize(Time);
    };
    Hook.RecordMouseMacro();
    // The recording's first event has no delay: take it before the timing starts.
    Library.MouseEvent(platform::WM_MOUSEMOVE_MSG, 0, 0);

    std::vector<double> Samples;
    Samples.reserve(static_cast<std::size_t>(std::min<benchmark::IterationCount>(
        AState.max_iterations, 4'000'000)));
    std::size_t Events = 0;
    bool Down = true;
    std::int32_t X = 100;
    for (auto _ : AState) {
        Clock.AdvanceBy(AClick ? 8 : 1);
        const std::uint32_t Message = !AClick ? platform::WM_MOUSEMOVE_MSG
                                      : Down  ? platform::WM_LBUTTONDOWN_MSG
                                              : platform::WM_LBUTTONUP_MSG;
        const TClock::time_point Start = TClock::now();
        Library.MouseEvent(Message, X, 200);
        const TClock::time_point End = TClock::now();
        const double Seconds = std::chrono::duration<double>(End - Start).count();
        AState.SetIterationTime(Seconds);
        Samples.push_back(Seconds);
        Down = !Down;
        X = (X + 1) & 0x7FF;
        if (++Events == EVENTS_PER_RECORDING) {
            Events = 0;
            Hook.RecordMouseMacro();
            Library.MouseEvent(platform::WM_MOUSEMOVE_MSG, 0, 0);
        }
    }
    benchmark::DoNotOptimize(Seen);
    ReportPercentiles(AState, Samples);
}

void BM_HookRecordMouseClick(benchmark::State& AState) { RecordMouseEvents(AState, true); }
BENCHMARK(BM_HookRecordMouseClick)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_HookRecordMouseMove(benchmark::State& AState) { RecordMouseEvents(AState, false); }
BENCHMARK(BM_HookRecordMouseMove)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace vanto
