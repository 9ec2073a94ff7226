// The CPU time a mouse costs the monitor while every read of it fails: the real reader of
// TuiHIDData against a simulated mouse whose reads all fail with error 31 (a device that does
// not work), for SECONDS of real time (10 by default); then the process's user and system CPU
// seconds.
//
//   measure_failing_reads [SECONDS]

#include "NoIni.h"
#include "device/uiHIDData.h"
#include "platform/sim/SimClock.h"
#include "platform/sim/SimDebugOutput.h"
#include "platform/sim/SimHid.h"
#include "platform/sim/SimMouse.h"
#include "platform/sim/SimShell.h"
#include "platform/sim/SimWindowSystem.h"
#include "shared/UsageAndPage.h"

#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace vanto {
namespace {

using TClock = std::chrono::steady_clock;

// A stop signal whose timed wait takes real time, as an event's does on Windows. Its members
// carry no override: the program also builds against the reader as it was before it rested,
// when the signal had no timed wait, so that both can be measured with the same source.
class TRealTimeStop : public platform::IHidStopSignal {
public:
    void Set() {
        std::lock_guard Guard(FLock);
        FSet = true;
        FChanged.notify_all();
    }
    void Reset() {
        std::lock_guard Guard(FLock);
        FSet = false;
    }
    bool IsSet() {
        std::lock_guard Guard(FLock);
        return FSet;
    }
    bool Wait(std::uint32_t AMilliseconds) {
        std::unique_lock Guard(FLock);
        FChanged.wait_for(Guard, std::chrono::milliseconds(AMilliseconds), [this] { return FSet; });
        return FSet;
    }

private:
    std::mutex FLock;
    std::condition_variable FChanged;
    bool FSet = false;
};

// The mouse's handle for reading, with every read failing at once until the stop comes.
class TFailingReads : public platform::IHidDevice {
public:
    TFailingReads(std::unique_ptr<platform::IHidDevice> AInner, std::atomic<std::uint64_t>& AReads)
        : FInner(std::move(AInner)), FReads(AReads) {}

    platform::THidReadResult Read(std::uint8_t*, std::uint32_t,
                                  platform::IHidStopSignal& AStop) override {
        ++FReads;
        if (AStop.IsSet()) {
            return {platform::THidReadStatus::Stopped, 0, platform::HID_ERROR_OPERATION_ABORTED};
        }
        return {platform::THidReadStatus::Failed, 0, platform::HID_ERROR_GEN_FAILURE};
    }
    bool GetAttributes() override { return FInner->GetAttributes(); }
    std::optional<platform::THidCaps> GetCaps() override { return FInner->GetCaps(); }
    std::uint32_t SetFeature(const std::uint8_t* AReport, std::uint32_t ALength) override {
        return FInner->SetFeature(AReport, ALength);
    }
    std::uint32_t GetFeature(std::uint8_t* AReport, std::uint32_t ALength) override {
        return FInner->GetFeature(AReport, ALength);
    }
    std::uint32_t Write(const std::uint8_t* AReport, std::uint32_t ALength) override {
        return FInner->Write(AReport, ALength);
    }
    std::uint32_t MaxUsageListLength() override { return FInner->MaxUsageListLength(); }
    std::optional<std::vector<std::uint16_t>> UsagesOn(const std::uint8_t* AReport,
                                                       std::uint32_t ALength) override {
        return FInner->UsagesOn(AReport, ALength);
    }

private:
    std::unique_ptr<platform::IHidDevice> FInner;
    std::atomic<std::uint64_t>& FReads;
};

// The simulated hub with the mouse plugged, its reads failing and its stop waiting for real.
class TFailingHid : public platform::IHid {
public:
    explicit TFailingHid(sim::TSimHid& AInner) : FInner(AInner) {}

    std::optional<std::vector<platform::THidInterfaceInfo>> PresentInterfaces() override {
        return FInner.PresentInterfaces();
    }
    std::unique_ptr<platform::IHidDevice> Open(const std::u16string& APath,
                                               bool AForReading) override {
        std::unique_ptr<platform::IHidDevice> Device = FInner.Open(APath, AForReading);
        if (Device && AForReading) {
            return std::make_unique<TFailingReads>(std::move(Device), FReads);
        }
        return Device;
    }
    std::unique_ptr<platform::IHidStopSignal> CreateStopSignal() override {
        return std::make_unique<TRealTimeStop>();
    }

    std::atomic<std::uint64_t> FReads{0};

private:
    sim::TSimHid& FInner;
};

double CpuSeconds() {
    rusage Usage{};
    getrusage(RUSAGE_SELF, &Usage);
    auto Seconds = [](const timeval& ATime) { return ATime.tv_sec + ATime.tv_usec / 1e6; };
    return Seconds(Usage.ru_utime) + Seconds(Usage.ru_stime);
}

int Measure(double ASeconds) {
    sim::TSimClock Clock;
    sim::TSimWindowSystem Windows{Clock};
    sim::TSimHid Hub{Windows};
    sim::TSimMouse Mouse;
    Mouse.PlugInto(Hub);
    TFailingHid Hid(Hub);
    bench::TNoIni Ini;
    sim::TSimShell Shell{u"C:\\Users\\Ann\\Documents", u"C:\\Program Files\\Vanto"};
    sim::TSimDebugOutput Debug;
    TuiHIDData Data(Hid, Windows, Ini, Shell, Debug);
    std::atomic<bool> Gone{false};
    Data.OnDeviceNotConnected = [&Gone](const std::u16string&, const std::u16string&) {
        Gone = true;
    };

    const double CpuBefore = CpuSeconds();
    const TClock::time_point Start = TClock::now();
    Data.HidFindAndReadDevice(VANTO_MOUSE_COLLECTION.AsInteger(), u"*");
    std::this_thread::sleep_for(std::chrono::duration<double>(ASeconds));
    Data.HidStopRead();
    const double Wall = std::chrono::duration<double>(TClock::now() - Start).count();
    const double Cpu = CpuSeconds() - CpuBefore;

    std::printf("failing reads for %.2f s of real time: %llu reads attempted, %s\n", Wall,
                static_cast<unsigned long long>(Hid.FReads.load()),
                Gone ? "the reader gave up and reported the mouse gone"
                     : "the reader was still reading at the stop");
    std::printf("cpu seconds (user+system): %.3f\n", Cpu);
    return 0;
}

} // namespace
} // namespace vanto

int main(int AArgc, char** AArgv) {
    const double Seconds = AArgc > 1 ? std::atof(AArgv[1]) : 10.0;
    if (!(Seconds > 0)) {
        std::fprintf(stderr, "usage: measure_failing_reads [SECONDS]\n");
        return 2;
    }
    return vanto::Measure(Seconds);
}
