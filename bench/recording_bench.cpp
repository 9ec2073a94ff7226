// The cost of one recorded click in the whole monitor: the hook library's callback, the input
// hook component, the main form's recording handler with its macro steps, and the overlay's
// new line, which only stores the scene for the message loop to draw. Each recording is
// restarted (untimed) before it reaches its step limit, so every timed event records a step.
// Counters: median and p99 in microseconds (target p99 < 50 us).
#include "app/VantoMonExMain.h"
#include "platform/sim/SimPlatform.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <random>
#include <vector>

namespace vanto {
namespace {

using TClock = std::chrono::steady_clock;

// A recording counts at most 127 steps; a press or release with its delay takes two.
constexpr int EVENTS_PER_RECORDING = 60;
constexpr std::uint8_t RECORD_KEY = 7;

void BM_MonitorRecordClick(benchmark::State& AState) {
    const std::filesystem::path Root = std::filesystem::temp_directory_path() /
                                       ("vanto-bench-" + std::to_string(std::random_device{}()));
    {
        sim::TSimPlatform Sim(Root);
        TDM DM(Sim.FRegistry, Sim.FFiles, Sim.FShell, Sim.FIni, Sim.FLocale, Sim.FClock);
        DM.DataModuleCreate();
        TVantoMonExMain Main(Sim.Platform(), DM);
        Main.FormCreate();

        std::vector<double> Samples;
        int Events = EVENTS_PER_RECORDING;
        bool Down = true;
        for (auto _ : AState) {
            if (Events == EVENTS_PER_RECORDING) {
                AState.PauseTiming();
                if (Main.FFlags.MacroRecording) {
                    Main.FMacroInfo.MacroListCount = 0; // nothing to store: a quick stop
                    Main.ToggleMacroRecording(RECORD_KEY);
                }
                Main.ToggleMacroRecording(RECORD_KEY);
                Events = 0;
                AState.ResumeTiming();
            }
            Sim.FClock.AdvanceBy(40);
            const std::uint32_t Message =
                Down ? platform::WM_LBUTTONDOWN_MSG : platform::WM_LBUTTONUP_MSG;
            const TClock::time_point Start = TClock::now();
            Sim.FHooks.MouseEvent(Message, 640, 400);
            const double Seconds = std::chrono::duration<double>(TClock::now() - Start).count();
            AState.SetIterationTime(Seconds);
            Samples.push_back(Seconds);
            Down = !Down;
            ++Events;
        }
        std::sort(Samples.begin(), Samples.end());
        if (!Samples.empty()) {
            AState.counters["median_us"] = Samples[Samples.size() / 2] * 1e6;
            AState.counters["p99_us"] = Samples[(Samples.size() - 1) * 99 / 100] * 1e6;
        }
    }
    std::error_code Error;
    std::filesystem::remove_all(Root, Error);
}
BENCHMARK(BM_MonitorRecordClick)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace vanto
