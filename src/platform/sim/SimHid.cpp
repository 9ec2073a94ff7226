#include "platform/sim/SimHid.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <mutex>

namespace vanto::sim {

using platform::HID_ERROR_DEVICE_NOT_CONNECTED;
using platform::HID_ERROR_GEN_FAILURE;
using platform::HID_ERROR_INVALID_PARAMETER;
using platform::THidCaps;
using platform::THidReadResult;
using platform::THidReadStatus;

namespace {

// The HID class driver keeps this many unread input reports per handle and drops the oldest.
constexpr std::size_t INPUT_BUFFER_REPORTS = 32;

struct TInterface {
    TSimDeviceId FDevice = 0;
    std::vector<std::u16string> FHardwareIds;
    TSimHidCollection FCollection;
    bool FConnected = true;
};

struct TReadFailure {
    std::uint32_t FError = 0;
    std::size_t FLeft = 0;
};

struct TReadQueue {
    std::shared_ptr<TInterface> FInterface;
    std::deque<std::vector<std::uint8_t>> FReports;
    std::condition_variable FChanged;
};

} // namespace

struct TSimHid::TCore {
    std::mutex FLock;
    std::vector<std::shared_ptr<TInterface>> FPresent; // in plug order
    std::vector<TReadQueue*> FReadQueues;
    std::vector<platform::TWindowHandle> FListeners;
    std::condition_variable FWaitingChanged;
    std::size_t FWaiting = 0;
    std::uint64_t FWakeUps = 0;
    TSimDeviceId FNextDevice = 1;
    std::map<std::u16string, std::size_t> FReadOpens;
    std::map<std::u16string, std::size_t> FReadsAttempted;
    std::map<std::u16string, TReadFailure> FReadFailures;
    TSimStopWait FStopWaitHow = TSimStopWait::AtOnce;
    std::vector<std::uint32_t> FStopWaits;
    std::size_t FStopWaitsUnderway = 0;
    std::condition_variable FStopChanged;
    bool FEnumerationFails = false;
    bool FOpenFails = false;
    std::size_t FMaxQueued = 0;
    std::size_t FDropped = 0;
    std::optional<std::uint32_t> FFeatureError;
    // Feature reports each device takes before it is pulled out.
    std::map<TSimDeviceId, std::size_t> FReportsBeforeUnplug;
    // Pulls a device out; set by the hub, which alone can tell the windows.
    std::function<void(TSimDeviceId)> FUnplug;

    // Caller holds FLock.
    void WakeReaders() {
        for (TReadQueue* Queue : FReadQueues) {
            Queue->FChanged.notify_all();
        }
    }

    // Caller holds FLock.
    std::optional<std::uint32_t> TakeReadFailure(const std::u16string& APath) {
        auto Due = FReadFailures.find(APath);
        if (Due == FReadFailures.end()) {
            return std::nullopt;
        }
        const std::uint32_t Error = Due->second.FError;
        if (--Due->second.FLeft == 0) {
            FReadFailures.erase(Due);
        }
        return Error;
    }
};

namespace {

class TSimStopSignal : public platform::IHidStopSignal {
public:
    explicit TSimStopSignal(std::shared_ptr<TSimHid::TCore> ACore) : FCore(std::move(ACore)) {}

    void Set() override {
        std::lock_guard Guard(FCore->FLock);
        FSet = true;
        FCore->WakeReaders();
        FCore->FStopChanged.notify_all();
    }
    void Reset() override {
        std::lock_guard Guard(FCore->FLock);
        FSet = false;
    }
    bool IsSet() override {
        std::lock_guard Guard(FCore->FLock);
        return FSet;
    }
    bool Wait(std::uint32_t AMilliseconds) override {
        std::unique_lock Guard(FCore->FLock);
        FCore->FStopWaits.push_back(AMilliseconds);
        ++FCore->FStopWaitsUnderway;
        FCore->FWaitingChanged.notify_all();
        if (FCore->FStopWaitHow == TSimStopWait::UntilSet) {
            FCore->FStopChanged.wait(Guard, [this] { return FSet; });
        }
        --FCore->FStopWaitsUnderway;
        return FSet;
    }

    // Guarded by the core's lock, so a read can test it while it holds that lock.
    bool FSet = false;

private:
    std::shared_ptr<TSimHid::TCore> FCore;
};

class TSimHidHandle : public platform::IHidDevice {
public:
    TSimHidHandle(std::shared_ptr<TSimHid::TCore> ACore, std::shared_ptr<TInterface> AInterface,
                  bool AForReading)
        : FCore(std::move(ACore)), FInterface(std::move(AInterface)) {
        if (AForReading) {
            FQueue = std::make_unique<TReadQueue>();
            FQueue->FInterface = FInterface;
            std::lock_guard Guard(FCore->FLock);
            FCore->FReadQueues.push_back(FQueue.get());
        }
    }
    ~TSimHidHandle() override {
        if (FQueue) {
            std::lock_guard Guard(FCore->FLock);
            std::erase(FCore->FReadQueues, FQueue.get());
        }
    }

    bool GetAttributes() override {
        std::lock_guard Guard(FCore->FLock);
        return FInterface->FConnected;
    }

    std::optional<THidCaps> GetCaps() override {
        std::lock_guard Guard(FCore->FLock);
        if (!FInterface->FConnected) {
            return std::nullopt;
        }
        return FInterface->FCollection.FCaps;
    }

    THidReadResult Read(std::uint8_t* ABuffer, std::uint32_t ALength,
                        platform::IHidStopSignal& AStop) override {
        auto* Stop = dynamic_cast<TSimStopSignal*>(&AStop);
        std::unique_lock Guard(FCore->FLock);
        ++FCore->FReadsAttempted[FInterface->FCollection.FPath];
        if (!FQueue || !Stop || ABuffer == nullptr ||
            ALength < FInterface->FCollection.FCaps.InputReportByteLength || ALength == 0) {
            return {THidReadStatus::StartFailed, 0, HID_ERROR_INVALID_PARAMETER};
        }
        if (!FInterface->FConnected) {
            return {THidReadStatus::StartFailed, 0, HID_ERROR_DEVICE_NOT_CONNECTED};
        }
        ++FCore->FWaiting;
        FCore->FWaitingChanged.notify_all();
        THidReadResult Result = WaitForReport(Guard, *Stop, ABuffer, ALength);
        --FCore->FWaiting;
        return Result;
    }

    std::uint32_t SetFeature(const std::uint8_t* AReport, std::uint32_t ALength) override {
        ISimHidFunctions* Functions = nullptr;
        std::uint32_t Error = Check(AReport, ALength, FeatureLength(), Functions);
        if (Error != 0) {
            return Error;
        }
        Error = Functions->OnSetFeature({AReport, ALength});
        PullOutWhenDue();
        return Error;
    }

    std::uint32_t GetFeature(std::uint8_t* AReport, std::uint32_t ALength) override {
        ISimHidFunctions* Functions = nullptr;
        std::uint32_t Error = Check(AReport, ALength, FeatureLength(), Functions);
        return Error != 0 ? Error : Functions->OnGetFeature({AReport, ALength});
    }

    std::uint32_t Write(const std::uint8_t* AReport, std::uint32_t ALength) override {
        ISimHidFunctions* Functions = nullptr;
        std::uint32_t Length = FInterface->FCollection.FCaps.OutputReportByteLength;
        std::uint32_t Error = Check(AReport, ALength, Length, Functions);
        return Error != 0 ? Error : Functions->OnWrite({AReport, ALength});
    }

    std::uint32_t MaxUsageListLength() override { return FInterface->FCollection.FButtonUsages; }

    std::optional<std::vector<std::uint16_t>> UsagesOn(const std::uint8_t* AReport,
                                                       std::uint32_t ALength) override {
        const TSimHidCollection& Collection = FInterface->FCollection;
        if (AReport == nullptr || ALength < Collection.FCaps.InputReportByteLength) {
            return std::nullopt;
        }
        std::vector<std::uint16_t> Usages;
        for (std::uint32_t Bit = 0; Bit < Collection.FButtonUsages; ++Bit) {
            std::uint32_t Byte = 1 + Bit / 8;
            if (Byte < ALength && (AReport[Byte] >> (Bit % 8)) & 1) {
                Usages.push_back(static_cast<std::uint16_t>(Bit + 1));
            }
        }
        return Usages;
    }

private:
    std::uint32_t FeatureLength() const {
        return FInterface->FCollection.FCaps.FeatureReportByteLength;
    }

    // Outside the hub's lock: pulling a device out tells the windows, whose handlers may
    // come back to the hub.
    void PullOutWhenDue() {
        std::function<void(TSimDeviceId)> Unplug;
        {
            std::lock_guard Guard(FCore->FLock);
            auto Due = FCore->FReportsBeforeUnplug.find(FInterface->FDevice);
            if (Due == FCore->FReportsBeforeUnplug.end() || --Due->second != 0) {
                return;
            }
            FCore->FReportsBeforeUnplug.erase(Due);
            Unplug = FCore->FUnplug;
        }
        if (Unplug) {
            Unplug(FInterface->FDevice);
        }
    }

    // The checks the class driver makes before a request reaches the device.
    std::uint32_t Check(const std::uint8_t* AReport, std::uint32_t ALength,
                        std::uint32_t AReportLength, ISimHidFunctions*& AFunctions) {
        std::lock_guard Guard(FCore->FLock);
        if (!FInterface->FConnected) {
            return HID_ERROR_DEVICE_NOT_CONNECTED;
        }
        if (AReportLength == FeatureLength() && FCore->FFeatureError) {
            return *FCore->FFeatureError;
        }
        if (AReport == nullptr || ALength == 0 || ALength > AReportLength) {
            return HID_ERROR_INVALID_PARAMETER;
        }
        AFunctions = FInterface->FCollection.FFunctions;
        return AFunctions == nullptr ? HID_ERROR_GEN_FAILURE : 0;
    }

    THidReadResult WaitForReport(std::unique_lock<std::mutex>& AGuard, TSimStopSignal& AStop,
                                 std::uint8_t* ABuffer, std::uint32_t ALength) {
        for (;;) {
            if (AStop.FSet) {
                return {THidReadStatus::Stopped, 0, platform::HID_ERROR_OPERATION_ABORTED};
            }
            if (!FInterface->FConnected) {
                return {THidReadStatus::Failed, 0, HID_ERROR_DEVICE_NOT_CONNECTED};
            }
            if (auto Error = FCore->TakeReadFailure(FInterface->FCollection.FPath)) {
                return {THidReadStatus::Failed, 0, *Error};
            }
            if (!FQueue->FReports.empty()) {
                const std::vector<std::uint8_t>& Report = FQueue->FReports.front();
                auto Size =
                    static_cast<std::uint32_t>(std::min<std::size_t>(Report.size(), ALength));
                // An empty report has no bytes to copy and may have no buffer to copy from.
                std::copy_n(Report.begin(), Size, ABuffer);
                FQueue->FReports.pop_front();
                return {THidReadStatus::Data, Size, 0};
            }
            FQueue->FChanged.wait(AGuard);
            ++FCore->FWakeUps;
        }
    }

    std::shared_ptr<TSimHid::TCore> FCore;
    std::shared_ptr<TInterface> FInterface;
    std::unique_ptr<TReadQueue> FQueue;
};

} // namespace

TSimHid::TSimHid(platform::IWindowSystem& AWindows)
    : FWindows(AWindows), FCore(std::make_shared<TCore>()) {
    FCore->FUnplug = [this](TSimDeviceId ADevice) { Unplug(ADevice); };
}

TSimHid::~TSimHid() {
    std::lock_guard Guard(FCore->FLock);
    FCore->FUnplug = nullptr;
}

TSimDeviceId TSimHid::Plug(std::vector<std::u16string> AHardwareIds,
                           std::vector<TSimHidCollection> ACollections) {
    TSimDeviceId Device = 0;
    {
        std::lock_guard Guard(FCore->FLock);
        Device = FCore->FNextDevice++;
        for (TSimHidCollection& Collection : ACollections) {
            auto Interface = std::make_shared<TInterface>();
            Interface->FDevice = Device;
            Interface->FHardwareIds = AHardwareIds;
            Interface->FCollection = std::move(Collection);
            FCore->FPresent.push_back(std::move(Interface));
        }
    }
    Broadcast(platform::DBT_DEVICEARRIVAL_EVENT, ACollections.size());
    return Device;
}

void TSimHid::Unplug(TSimDeviceId ADevice) {
    std::size_t Removed = 0;
    {
        std::lock_guard Guard(FCore->FLock);
        for (const auto& Interface : FCore->FPresent) {
            if (Interface->FDevice == ADevice) {
                Interface->FConnected = false;
                ++Removed;
            }
        }
        std::erase_if(FCore->FPresent, [](const auto& I) { return !I->FConnected; });
        FCore->WakeReaders();
    }
    Broadcast(platform::DBT_DEVICEREMOVECOMPLETE_EVENT, Removed);
}

// One notification per interface, as Windows sends one per device interface of the class.
void TSimHid::Broadcast(platform::TWParam AEvent, std::size_t AInterfaces) {
    std::vector<platform::TWindowHandle> Listeners;
    {
        std::lock_guard Guard(FCore->FLock);
        Listeners = FCore->FListeners;
    }
    for (std::size_t I = 0; I < AInterfaces; ++I) {
        for (platform::TWindowHandle Window : Listeners) {
            platform::TDeviceBroadcastHeader Header{sizeof(platform::TDeviceBroadcastHeader),
                                                    platform::DBT_DEVTYP_DEVICEINTERFACE_TYPE, 0};
            FWindows.Send(Window, platform::WM_DEVICECHANGE_MESSAGE, AEvent,
                          reinterpret_cast<platform::TLParam>(&Header));
        }
    }
}

std::size_t TSimHid::SendInputReport(const std::u16string& APath,
                                     std::span<const std::uint8_t> AReport) {
    std::lock_guard Guard(FCore->FLock);
    std::size_t Receivers = 0;
    for (TReadQueue* Queue : FCore->FReadQueues) {
        if (Queue->FInterface->FConnected && Queue->FInterface->FCollection.FPath == APath) {
            if (Queue->FReports.size() == INPUT_BUFFER_REPORTS) {
                Queue->FReports.pop_front();
                ++FCore->FDropped;
            }
            Queue->FReports.emplace_back(AReport.begin(), AReport.end());
            FCore->FMaxQueued = std::max(FCore->FMaxQueued, Queue->FReports.size());
            Queue->FChanged.notify_all();
            ++Receivers;
        }
    }
    return Receivers;
}

void TSimHid::SetEnumerationFails(bool AFails) {
    std::lock_guard Guard(FCore->FLock);
    FCore->FEnumerationFails = AFails;
}

void TSimHid::UnplugAfterFeatureReports(TSimDeviceId ADevice, std::size_t ACount) {
    if (ACount == 0) {
        Unplug(ADevice);
        return;
    }
    std::lock_guard Guard(FCore->FLock);
    FCore->FReportsBeforeUnplug[ADevice] = ACount;
}

void TSimHid::SetFeatureReportsFail(std::optional<std::uint32_t> AError) {
    std::lock_guard Guard(FCore->FLock);
    FCore->FFeatureError = AError;
}

void TSimHid::SetOpenFails(bool AFails) {
    std::lock_guard Guard(FCore->FLock);
    FCore->FOpenFails = AFails;
}

void TSimHid::FailReads(const std::u16string& APath, std::optional<std::uint32_t> AError,
                        std::size_t ACount) {
    std::lock_guard Guard(FCore->FLock);
    if (AError && ACount > 0) {
        FCore->FReadFailures[APath] = {*AError, ACount};
    } else {
        FCore->FReadFailures.erase(APath);
    }
    FCore->WakeReaders();
}

std::size_t TSimHid::ReadsAttempted(const std::u16string& APath) {
    std::lock_guard Guard(FCore->FLock);
    auto Found = FCore->FReadsAttempted.find(APath);
    return Found == FCore->FReadsAttempted.end() ? 0 : Found->second;
}

void TSimHid::SetStopWaits(TSimStopWait AHow) {
    std::lock_guard Guard(FCore->FLock);
    FCore->FStopWaitHow = AHow;
}

std::vector<std::uint32_t> TSimHid::StopWaits() {
    std::lock_guard Guard(FCore->FLock);
    return FCore->FStopWaits;
}

void TSimHid::WaitForStopWaitUnderway() {
    std::unique_lock Guard(FCore->FLock);
    FCore->FWaitingChanged.wait(Guard, [&] { return FCore->FStopWaitsUnderway > 0; });
}

std::size_t TSimHid::OpenReadHandles(const std::u16string& APath) {
    std::lock_guard Guard(FCore->FLock);
    return std::count_if(
        FCore->FReadQueues.begin(), FCore->FReadQueues.end(),
        [&APath](TReadQueue* Q) { return Q->FInterface->FCollection.FPath == APath; });
}

std::size_t TSimHid::ReadsWaiting() {
    std::lock_guard Guard(FCore->FLock);
    return FCore->FWaiting;
}

void TSimHid::WaitForReadsWaiting(std::size_t AAtLeast) {
    std::unique_lock Guard(FCore->FLock);
    FCore->FWaitingChanged.wait(Guard, [&] { return FCore->FWaiting >= AAtLeast; });
}

std::size_t TSimHid::ReadOpens(const std::u16string& APath) {
    std::lock_guard Guard(FCore->FLock);
    auto Found = FCore->FReadOpens.find(APath);
    return Found == FCore->FReadOpens.end() ? 0 : Found->second;
}

bool TSimHid::AllReportsTaken() {
    std::lock_guard Guard(FCore->FLock);
    std::size_t Connected = 0;
    for (TReadQueue* Queue : FCore->FReadQueues) {
        if (!Queue->FReports.empty()) {
            return false;
        }
        if (Queue->FInterface->FConnected) {
            if (FCore->FReadFailures.contains(Queue->FInterface->FCollection.FPath)) {
                return false;
            }
            ++Connected;
        }
    }
    return FCore->FWaiting >= Connected;
}

std::size_t TSimHid::MaxQueuedReports() {
    std::lock_guard Guard(FCore->FLock);
    return FCore->FMaxQueued;
}

std::size_t TSimHid::DroppedReports() {
    std::lock_guard Guard(FCore->FLock);
    return FCore->FDropped;
}

std::uint64_t TSimHid::ReadWakeUps() {
    std::lock_guard Guard(FCore->FLock);
    return FCore->FWakeUps;
}

std::optional<std::vector<platform::THidInterfaceInfo>> TSimHid::PresentInterfaces() {
    std::lock_guard Guard(FCore->FLock);
    if (FCore->FEnumerationFails) {
        return std::nullopt;
    }
    std::vector<platform::THidInterfaceInfo> Result;
    for (const auto& Interface : FCore->FPresent) {
        Result.push_back({Interface->FCollection.FPath, Interface->FHardwareIds});
    }
    return Result;
}

std::unique_ptr<platform::IHidDevice> TSimHid::Open(const std::u16string& APath, bool AForReading) {
    std::shared_ptr<TInterface> Found;
    {
        std::lock_guard Guard(FCore->FLock);
        if (FCore->FOpenFails) {
            return nullptr;
        }
        for (const auto& Interface : FCore->FPresent) {
            if (Interface->FCollection.FPath == APath && Interface->FCollection.FOpens) {
                Found = Interface;
            }
        }
    }
    if (!Found) {
        return nullptr;
    }
    if (AForReading) {
        std::lock_guard Guard(FCore->FLock);
        ++FCore->FReadOpens[APath];
    }
    return std::make_unique<TSimHidHandle>(FCore, std::move(Found), AForReading);
}

std::unique_ptr<platform::IHidStopSignal> TSimHid::CreateStopSignal() {
    return std::make_unique<TSimStopSignal>(FCore);
}

bool TSimHid::RegisterForHidInterfaces(platform::TWindowHandle AWindow) {
    if (AWindow == 0) {
        return false;
    }
    std::lock_guard Guard(FCore->FLock);
    FCore->FListeners.push_back(AWindow);
    return true;
}

} // namespace vanto::sim
