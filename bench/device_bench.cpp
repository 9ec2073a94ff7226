#include "NoIni.h"
#include "app/ButtonDispatch.h"
#include "device/uiHIDData.h"
#include "platform/sim/SimDebugOutput.h"
#include "platform/sim/SimHid.h"
#include "platform/sim/SimMouse.h"
#include "platform/sim/SimRegistry.h"
#include "platform/sim/SimShell.h"
#include "platform/sim/SimWindowSystem.h"
#include "shared/ConfigAppInterface.h"
#include "shared/pubunit_quorvin.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

namespace vanto {
namespace {

using TClock = std::chrono::steady_clock;

// The monitor's road of a button press on the simulated platform: mouse, hub, reader,
// hand-over to the main thread, report decoder, posted WM_BUTTON_EVENT, its handler.
class TRig {
public:
    explicit TRig(int AMice = 1) {
        for (int I = 0; I < AMice; ++I) {
            sim::TSimMouseIdentity Identity;
            Identity.FInstance = u"7&bench&" + std::u16string(1, char16_t(u'0' + I));
            FMice.push_back(std::make_unique<sim::TSimMouse>(Identity));
            FMice.back()->PlugInto(FHub);
        }
        FProfile = std::make_unique<TMouseProfileInfo>();
        FDispatcher = std::make_unique<TButtonDispatcher>(FWindows, FRegistry, FDebug, FFlags);
        FMain = FWindows.CreateHiddenWindow(
            MONITOR_WINDOW_CLASS, MONITOR_WINDOW_TITLE,
            [this](platform::TMessageId AMsg, platform::TWParam AW, platform::TLParam AL) {
                if (AMsg == WM_BUTTON_EVENT) {
                    FHandlerRan = TClock::now();
                    benchmark::DoNotOptimize(FDispatcher->WMButtonEvent(AW, AL, *FProfile));
                    FWindows.Quit(0);
                }
                return platform::TMessageResult{0};
            });
        FDispatcher->SetMainWindow(FMain);
        FHid = std::make_unique<TuiHIDData>(FHub, FWindows, FIni, FShell, FDebug);
        FHid->OnData = [this](const std::u16string& AId, const std::u16string& APath,
                              std::uint8_t AReportID, const std::uint8_t* AData,
                              std::uint16_t ASize) {
            FDispatcher->uiHIDData1Data(AId, APath, AReportID, AData, ASize);
        };
    }
    ~TRig() { FHid.reset(); }

    void Open() {
        FHid->HidFindAndReadDevice(VANTO_MOUSE_COLLECTION.AsInteger(), u"*");
        FHub.WaitForReadsWaiting(FMice.size());
    }

    sim::TSimClock FClock;
    sim::TSimWindowSystem FWindows{FClock};
    sim::TSimHid FHub{FWindows};
    bench::TNoIni FIni;
    sim::TSimShell FShell{u"C:\\Users\\Ann\\Documents", u"C:\\Program Files\\Vanto"};
    sim::TSimDebugOutput FDebug;
    sim::TSimRegistry FRegistry;
    std::vector<std::unique_ptr<sim::TSimMouse>> FMice;
    std::unique_ptr<TMouseProfileInfo> FProfile;
    TMonitorFlags FFlags;
    std::unique_ptr<TButtonDispatcher> FDispatcher;
    platform::TWindowHandle FMain = 0;
    std::unique_ptr<TuiHIDData> FHid;
    TClock::time_point FHandlerRan;
};

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

void BM_ReportToButtonEvent(benchmark::State& AState) {
    TRig Rig;
    Rig.Open();
    // Button 10 alone: one bit of the mask, so the decoder posts WM_BUTTON_EVENT.
    const std::uint8_t Press[8] = {7, 0, 4};
    std::vector<double> Samples;
    for (auto _ : AState) {
        TClock::time_point Sent = TClock::now();
        Rig.FMice[0]->SendReport(Press);
        Rig.FWindows.RunMessageLoop();
        double Seconds = std::chrono::duration<double>(Rig.FHandlerRan - Sent).count();
        AState.SetIterationTime(Seconds);
        Samples.push_back(Seconds);
        if (Samples.size() % 4096 == 0) {
            Rig.FDebug.Clear();
        }
    }
    ReportPercentiles(AState, Samples);
}
BENCHMARK(BM_ReportToButtonEvent)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_IdleReaderWakeUps(benchmark::State& AState) {
    TRig Rig(4);
    Rig.Open();
    double WakeUpsPerSecond = 0;
    for (auto _ : AState) {
        std::uint64_t Before = Rig.FHub.ReadWakeUps();
        TClock::time_point Start = TClock::now();
        // The measurement interval itself: four readers with nothing to read.
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        double Seconds = std::chrono::duration<double>(TClock::now() - Start).count();
        AState.SetIterationTime(Seconds);
        WakeUpsPerSecond = double(Rig.FHub.ReadWakeUps() - Before) / Seconds;
    }
    AState.counters["wakeups_per_s"] = WakeUpsPerSecond;
}
BENCHMARK(BM_IdleReaderWakeUps)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

void BM_HidStopReadFourReaders(benchmark::State& AState) {
    TRig Rig(4);
    std::vector<double> Samples;
    for (auto _ : AState) {
        Rig.Open();
        TClock::time_point Start = TClock::now();
        Rig.FHid->HidStopRead();
        double Seconds = std::chrono::duration<double>(TClock::now() - Start).count();
        AState.SetIterationTime(Seconds);
        Samples.push_back(Seconds);
    }
    ReportPercentiles(AState, Samples);
}
BENCHMARK(BM_HidStopReadFourReaders)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace vanto
