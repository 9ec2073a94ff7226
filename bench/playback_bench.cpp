// How exactly a host wait meets the delay of a macro step, on the real clock. The wait is the
// scheme playback uses on Windows (sleep to just before the end, spin the rest) built on the
// standard library, beside a plain sleep for comparison. Counters are the overshoot in
// microseconds: median and p99 over the iterations.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

namespace {

using TClock = std::chrono::steady_clock;

// What the system's sleep may add is taken from the last millisecond by spinning.
constexpr auto SPIN_MARGIN = std::chrono::microseconds(1000);

void HostWaitPrecise(std::chrono::milliseconds ADelay) {
    const TClock::time_point Deadline = TClock::now() + ADelay;
    if (ADelay > SPIN_MARGIN) {
        std::this_thread::sleep_until(Deadline - SPIN_MARGIN);
    }
    while (TClock::now() < Deadline) {
    }
}

void HostPlainSleep(std::chrono::milliseconds ADelay) {
    std::this_thread::sleep_for(ADelay);
}

template <void (*Wait)(std::chrono::milliseconds)> void DelayAccuracy(benchmark::State& AState) {
    const std::chrono::milliseconds Delay(AState.range(0));
    std::vector<double> OvershootUs;
    for (auto _ : AState) {
        const TClock::time_point Start = TClock::now();
        Wait(Delay);
        const TClock::time_point End = TClock::now();
        OvershootUs.push_back(
            std::chrono::duration<double, std::micro>(End - Start - Delay).count());
    }
    std::sort(OvershootUs.begin(), OvershootUs.end());
    const std::size_t P99 = std::min(OvershootUs.size() - 1, OvershootUs.size() * 99 / 100);
    AState.counters["median_err_us"] = OvershootUs[OvershootUs.size() / 2];
    AState.counters["p99_err_us"] = OvershootUs[P99];
    AState.counters["min_err_us"] = OvershootUs.front();
}

void DelayArgs(benchmark::internal::Benchmark* ABench) {
    for (int Ms : {1, 2, 5, 6, 10, 15, 20, 50}) {
        ABench->Arg(Ms);
    }
    // Enough rounds for a p99 without making the 50 ms case take minutes.
    ABench->Iterations(100)->Unit(benchmark::kMillisecond)->UseRealTime();
}

BENCHMARK(DelayAccuracy<HostWaitPrecise>)->Name("HostWaitPrecise")->Apply(DelayArgs);
BENCHMARK(DelayAccuracy<HostPlainSleep>)->Name("HostPlainSleep")->Apply(DelayArgs);

} // namespace
