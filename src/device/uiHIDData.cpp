#include "device/uiHIDData.h"

#include "platform/Utf16.h"

#include <algorithm>
#include <exception>
#include <optional>

namespace vanto {

namespace {

constexpr char16_t DEVICE_LIST_SECTION[] = u"IncludeHIDDeviceList";
constexpr int DEVICE_LIST_MAX = 101;
constexpr char16_t HAND_OVER_WINDOW_CLASS[] = u"TuiHIDDataHandOver";
constexpr platform::TMessageId WM_HID_HAND_OVER = platform::WM_USER_FIRST + 1;
constexpr char16_t DEVICE_GONE_TEXT[] = u"ERROR_DEVICE_NOT_CONNECTED++++++++++++++++";

// A device that keeps failing its reads (a flaky hub, a driver in trouble) would have the reader
// try again at once, for ever, on a whole core. The reader rests between such reads, twice as
// long each time, and after a run of failures takes the device for gone: the next arrival of the
// device opens it afresh.
constexpr std::uint32_t FIRST_REST_MS = 1;
constexpr std::uint32_t LONGEST_REST_MS = 1000;
constexpr std::uint32_t FAILURES_BEFORE_GIVING_UP = 10;

// DATAReally plus the ID byte before it: the most a request can carry.
constexpr std::uint32_t REPORT_CAPACITY = 1 + sizeof(THidReallyData::DATAReally);

USAGE_AND_PAGE UsageAndPageOf(std::uint32_t AValue) {
    return {static_cast<std::uint16_t>(AValue & 0xFFFF), static_cast<std::uint16_t>(AValue >> 16)};
}

bool HasId(const std::vector<std::u16string>& AIds, const std::u16string& AId) {
    return std::any_of(AIds.begin(), AIds.end(),
                       [&AId](const std::u16string& Id) { return SameTextIgnoringCase(Id, AId); });
}

// The report as the platform takes it, ID byte first, ACount bytes in all.
std::vector<std::uint8_t> ReportBytes(const THidReallyData& AData, std::uint32_t ACount) {
    std::vector<std::uint8_t> Report(ACount);
    if (ACount > 0) {
        Report[0] = AData.ReportID;
        std::copy_n(AData.DATAReally, ACount - 1, Report.begin() + 1);
    }
    return Report;
}

} // namespace

// A report on its way from a reader to the main thread. Both sides own it: the reader may end
// on a stop while the main thread still runs the handlers over its bytes.
struct THidHandOver {
    std::u16string FDeviceID;
    std::u16string FDevicePath;
    std::vector<std::uint8_t> FReport;
    std::uint32_t FButtonData = 0;
    bool FHandled = false; // guarded by the owner's hand-over lock
};

// ---- TuiHidDeviceReadThread ----

TuiHidDeviceReadThread::TuiHidDeviceReadThread(TuiHIDData& AOwner, platform::IHid& AHid,
                                               std::u16string ADeviceID, std::u16string ADevicePath)
    : FHIDData(AOwner), FDeviceID(std::move(ADeviceID)), FDevicePath(std::move(ADevicePath)) {
    FDeviceHandle = AHid.Open(FDevicePath, true);
    if (FDeviceHandle) {
        if (std::optional<platform::THidCaps> Caps = FDeviceHandle->GetCaps()) {
            FInputReportLength = Caps->InputReportByteLength;
            FOutputReportLength = Caps->OutputReportByteLength;
        }
    }
    FReport.resize(static_cast<std::size_t>(FInputReportLength));
}

TuiHidDeviceReadThread::~TuiHidDeviceReadThread() {
    Join();
}

bool TuiHidDeviceReadThread::Start() {
    if (!FDeviceHandle || FInputReportLength == 0) {
        return false;
    }
    FReading = true;
    FThread = std::thread([this] { Execute(); });
    return true;
}

void TuiHidDeviceReadThread::Join() {
    if (FThread.joinable()) {
        FThread.join();
    }
}

void TuiHidDeviceReadThread::Execute() {
    while (ReadOne()) {
    }
    FDeviceHandle.reset();
    FReading = false;
}

bool TuiHidDeviceReadThread::ReadOne() {
    std::fill(FReport.begin(), FReport.end(), std::uint8_t{0});
    platform::THidReadResult Result = FDeviceHandle->Read(
        FReport.data(), static_cast<std::uint32_t>(FInputReportLength), *FHIDData.FStopSignal);
    switch (Result.FStatus) {
    case platform::THidReadStatus::Data:
        NumBytesRead = Result.FBytesRead;
        if (NumBytesRead == 0) {
            // Nothing to hand on, and no sign that the device is gone: rest, but do not give up.
            return Rest();
        }
        FRestMs = 0;
        FFailuresInARow = 0;
        return FHIDData.Deliver(*this, NumBytesRead);
    case platform::THidReadStatus::Failed:
        return ReadFailed(Result.FError);
    case platform::THidReadStatus::StartFailed:
        // Whatever the reason, a read that did not start never completes: waiting would hang.
        // A device pulled while its last report was handed over fails here, not in a read.
        if (Result.FError == platform::HID_ERROR_DEVICE_NOT_CONNECTED) {
            FHIDData.ReportDeviceGone(*this);
        }
        return false;
    case platform::THidReadStatus::WaitFailed:
        // A reader that cannot wait cannot be stopped either. The device stays unread until it
        // arrives again, so the owner hears of it as of a device that left.
        FHIDData.ReportDeviceGone(*this);
        return false;
    case platform::THidReadStatus::Stopped:
        return false;
    }
    return false;
}

// Wine ends the reads of a device that was pulled out with ERROR_ACCESS_DENIED, where Windows
// says ERROR_DEVICE_NOT_CONNECTED: a handle that may no longer read will not read again either.
bool TuiHidDeviceReadThread::ReadFailed(std::uint32_t AError) {
    if (AError == platform::HID_ERROR_OPERATION_ABORTED ||
        AError == platform::HID_ERROR_DEVICE_NOT_CONNECTED ||
        AError == platform::HID_ERROR_ACCESS_DENIED ||
        ++FFailuresInARow == FAILURES_BEFORE_GIVING_UP) {
        FHIDData.ReportDeviceGone(*this);
        return false;
    }
    return Rest(); // a failed transfer; a later one may well succeed
}

// False when the stop came during the rest: HidStopRead does not wait for a rest to run out.
bool TuiHidDeviceReadThread::Rest() {
    FRestMs = FRestMs == 0 ? FIRST_REST_MS : std::min(FRestMs * 2, LONGEST_REST_MS);
    return !FHIDData.FStopSignal->Wait(FRestMs);
}

std::uint32_t TuiHidDeviceReadThread::ParsedButtonData() {
    std::uint32_t Max = FDeviceHandle->MaxUsageListLength();
    if (Max == 0) {
        return 0;
    }
    std::optional<std::vector<std::uint16_t>> On =
        FDeviceHandle->UsagesOn(FReport.data(), static_cast<std::uint32_t>(FReport.size()));
    if (!On) {
        return 0;
    }
    std::vector<std::uint16_t> Current(Max, 0);
    std::copy_n(On->begin(), std::min<std::size_t>(On->size(), Max), Current.begin());
    return FHIDData.UsageDifference(Current, Max);
}

// ---- TuiHIDData: construction and the device list ----

TuiHIDData::TuiHIDData(platform::IHid& AHid, platform::IWindowSystem& AWindows,
                       platform::IIniFile& AIni, platform::IShell& AShell,
                       platform::IDebugOutput& ADebug)
    : FHid(AHid), FWindows(AWindows), FIni(AIni), FShell(AShell), FDebug(ADebug),
      FStopSignal(AHid.CreateStopSignal()) {
    FWindow = FWindows.CreateHiddenWindow(
        HAND_OVER_WINDOW_CLASS, u"",
        [this](platform::TMessageId AMsg, platform::TWParam, platform::TLParam) {
            if (AMsg == WM_HID_HAND_OVER) {
                HandleHandOverMessage();
            }
            return platform::TMessageResult{0};
        });
    LoadDeviceList();
}

TuiHIDData::~TuiHIDData() {
    HidStopRead();
    if (FWindow != 0) {
        FWindows.DestroyHiddenWindow(FWindow);
    }
}

void TuiHIDData::LoadDeviceList() {
    const std::u16string File = FShell.ExecutableFolder() + u"\\config.ini";
    for (int N = 1; N <= DEVICE_LIST_MAX; ++N) {
        std::u16string Id =
            FIni.ReadString(File, DEVICE_LIST_SECTION, u"id" + DecimalToUtf16(N), u"");
        if (Id.empty()) {
            return; // entries after a gap are not read
        }
        FHidDeviceList.push_back(std::move(Id));
    }
}

void TuiHIDData::SetUsageAndPage(std::uint32_t AUsageAndPage) {
    FUsageAndPage = UsageAndPageOf(AUsageAndPage);
}

// ---- The device search ----

bool TuiHIDData::AnyListedId(const std::vector<std::u16string>& AIds) const {
    return std::any_of(FHidDeviceList.begin(), FHidDeviceList.end(),
                       [&AIds](const std::u16string& Entry) { return HasId(AIds, Entry); });
}

TuiHIDData::TIdentityFilter TuiHIDData::ReadFilter(const std::u16string& AHIDID) const {
    if (FHidDeviceList.empty()) {
        return nullptr;
    }
    if (AHIDID == u"*") {
        return [this](const auto& AIds) { return AnyListedId(AIds); };
    }
    return [AHIDID](const auto& AIds) { return HasId(AIds, AHIDID); };
}

TuiHIDData::TIdentityFilter TuiHIDData::RequestFilter(const std::u16string& ADeviceID) const {
    if (!ADeviceID.empty() && ADeviceID != u"*") {
        return [ADeviceID](const auto& AIds) { return HasId(AIds, ADeviceID); };
    }
    if (FHidDeviceList.empty()) {
        return nullptr;
    }
    return [this](const auto& AIds) { return AnyListedId(AIds); };
}

// Every interface is examined: all collections that match are served, not only the first.
void TuiHIDData::FindDevices(USAGE_AND_PAGE AUsageAndPage, const TIdentityFilter& AIdentity,
                             bool AForReading, const TLengthCondition& ALengthFits,
                             const TFoundAction& AAction) {
    std::optional<std::vector<platform::THidInterfaceInfo>> Interfaces = FHid.PresentInterfaces();
    if (!Interfaces) {
        return;
    }
    for (const platform::THidInterfaceInfo& Interface : *Interfaces) {
        if (Interface.FPath.empty() || (AIdentity && !AIdentity(Interface.FHardwareIds)) ||
            (AForReading && IsBeingRead(Interface.FPath))) {
            continue;
        }
        std::unique_ptr<platform::IHidDevice> Device = FHid.Open(Interface.FPath, AForReading);
        if (!Device || !Device->GetAttributes()) {
            continue;
        }
        std::optional<platform::THidCaps> Caps = Device->GetCaps();
        if (!Caps || Caps->UsagePage != AUsageAndPage.UsagePage ||
            Caps->Usage != AUsageAndPage.Usage || (ALengthFits && !ALengthFits(*Caps))) {
            continue;
        }
        AAction(Interface, *Device);
    }
}

// ---- Operations ----

// A collection that a reader still reads is not opened again: a second reader would run every
// press twice.
bool TuiHIDData::IsBeingRead(const std::u16string& APath) const {
    return std::any_of(FReaders.begin(), FReaders.end(), [&APath](const auto& AReader) {
        return AReader->IsReading() && SameTextIgnoringCase(AReader->DevicePath(), APath);
    });
}

void TuiHIDData::ForgetEndedReaders() {
    std::erase_if(FReaders, [](const auto& AReader) {
        if (AReader->IsReading()) {
            return false;
        }
        AReader->Join();
        return true;
    });
}

void TuiHIDData::HidFindAndReadDevice(std::uint32_t AUsageAndPage, const std::u16string& HIDID) {
    if (!FStopSignal) {
        return;
    }
    ForgetEndedReaders();
    FindDevices(UsageAndPageOf(AUsageAndPage), ReadFilter(HIDID), true, nullptr,
                [this](const platform::THidInterfaceInfo& AInterface, platform::IHidDevice&) {
                    const std::u16string FirstId =
                        AInterface.FHardwareIds.empty() ? u"" : AInterface.FHardwareIds.front();
                    auto Reader = std::make_unique<TuiHidDeviceReadThread>(*this, FHid, FirstId,
                                                                           AInterface.FPath);
                    if (Reader->Start()) {
                        FReaders.push_back(std::move(Reader));
                    }
                });
}

void TuiHIDData::HidStopRead() {
    {
        std::lock_guard Guard(FHandOverLock);
        // Releases readers that wait for the main thread, which is busy here and would never
        // run their reports; those reports are dropped.
        FStopping = true;
        FPendingHandOvers.clear();
    }
    FHandOverDone.notify_all();
    if (FStopSignal) {
        FStopSignal->Set();
    }
    for (auto& Reader : FReaders) {
        Reader->Join();
    }
    FReaders.clear();
    if (FStopSignal) {
        FStopSignal->Reset();
    }
    std::lock_guard Guard(FHandOverLock);
    FStopping = false;
}

bool TuiHIDData::HidFindAndWriteDevice(const THIDDataParam& ReportData) {
    const std::uint32_t Size = ReportData.Data.DATASIZE;
    if (Size >= REPORT_CAPACITY) {
        return false; // Size + 1 bytes would run past the buffer
    }
    const std::vector<std::uint8_t> Report = ReportBytes(ReportData.Data, Size + 1);
    bool Written = false;
    FindDevices(
        ReportData.UsageAndPage, RequestFilter(ReportData.DeviceID), false,
        [Size](const platform::THidCaps& ACaps) { return ACaps.OutputReportByteLength >= Size; },
        [&](const platform::THidInterfaceInfo&, platform::IHidDevice& ADevice) {
            if (ADevice.Write(Report.data(), static_cast<std::uint32_t>(Report.size())) == 0) {
                Written = true;
            }
        });
    return Written;
}

bool TuiHIDData::HidFindAndWriteDeviceBYHID(const THIDDataParam& ReportData) {
    const std::uint32_t Size = ReportData.Data.DATASIZE;
    if (Size > REPORT_CAPACITY) {
        return false;
    }
    const std::vector<std::uint8_t> Report = ReportBytes(ReportData.Data, Size);
    bool Written = false;
    FindDevices(
        ReportData.UsageAndPage, nullptr, false,
        [Size](const platform::THidCaps& ACaps) { return ACaps.OutputReportByteLength >= Size; },
        [&](const platform::THidInterfaceInfo&, platform::IHidDevice& ADevice) {
            if (ADevice.Write(Report.data(), Size) == 0) {
                Written = true;
            }
        });
    return Written;
}

// With no matching collection nothing went out; HID_ERROR_DEVICE_NOT_CONNECTED lets the caller
// tell that apart from a device that took the report (0).
std::uint32_t TuiHIDData::HidFindAndGetFeatureReport(THIDDataParam& ReportData) {
    const std::uint32_t Size = ReportData.Data.DATASIZE;
    if (Size > REPORT_CAPACITY) {
        return platform::HID_ERROR_INVALID_PARAMETER;
    }
    std::uint32_t Result = platform::HID_ERROR_DEVICE_NOT_CONNECTED;
    FindDevices(
        ReportData.UsageAndPage, RequestFilter(ReportData.DeviceID), false,
        [Size](const platform::THidCaps& ACaps) { return ACaps.FeatureReportByteLength >= Size; },
        [&](const platform::THidInterfaceInfo&, platform::IHidDevice& ADevice) {
            std::vector<std::uint8_t> Scratch(Size);
            if (Size > 0) {
                Scratch[0] = ReportData.Data.ReportID;
            }
            Result = ADevice.GetFeature(Scratch.data(), Size);
            if (Result == 0 && Size > 0) {
                ReportData.Data.ReportID = Scratch[0];
                std::copy(Scratch.begin() + 1, Scratch.end(), ReportData.Data.DATAReally);
            }
        });
    return Result;
}

// As for the get: HID_ERROR_DEVICE_NOT_CONNECTED when no collection matched.
std::uint32_t TuiHIDData::HidFindAndSetFeatureReport(const THIDDataParam& ReportData) {
    const std::uint32_t Size = ReportData.Data.DATASIZE;
    if (Size > REPORT_CAPACITY) {
        return platform::HID_ERROR_INVALID_PARAMETER;
    }
    const std::vector<std::uint8_t> Report = ReportBytes(ReportData.Data, Size);
    std::uint32_t Result = platform::HID_ERROR_DEVICE_NOT_CONNECTED;
    FindDevices(
        ReportData.UsageAndPage, RequestFilter(ReportData.DeviceID), false,
        [Size](const platform::THidCaps& ACaps) { return ACaps.FeatureReportByteLength >= Size; },
        [&](const platform::THidInterfaceInfo&, platform::IHidDevice& ADevice) {
            Result = ADevice.SetFeature(Report.data(), Size);
        });
    return Result;
}

bool TuiHIDData::IsDeviceExist(const THIDDataParam& ReportData) {
    bool Found = false;
    FindDevices(
        ReportData.UsageAndPage, RequestFilter(ReportData.DeviceID), false, nullptr,
        [&Found](const platform::THidInterfaceInfo&, platform::IHidDevice&) { Found = true; });
    return Found;
}

// ---- Delivery of reports ----

bool TuiHIDData::Deliver(TuiHidDeviceReadThread& AReader, std::uint32_t ASize) {
    auto Record = std::make_shared<THidHandOver>();
    Record->FDeviceID = AReader.FDeviceID;
    Record->FDevicePath = AReader.FDevicePath;
    Record->FReport.assign(AReader.FReport.begin(), AReader.FReport.begin() + ASize);
    if (OnParsedData) {
        Record->FButtonData = AReader.ParsedButtonData();
    }
    if (FastOnData) {
        RunHandlers(*Record);
        return true;
    }
    return HandOver(Record);
}

// The reader waits until the main thread has run the handlers, so reports keep their order and
// the device is not read ahead of the monitor; a stop ends the wait.
bool TuiHIDData::HandOver(const std::shared_ptr<THidHandOver>& ARecord) {
    {
        std::lock_guard Guard(FHandOverLock);
        if (FStopping) {
            return false;
        }
        FPendingHandOvers.push_back(ARecord);
    }
    if (!FWindows.Post(FWindow, WM_HID_HAND_OVER, 0, 0)) {
        std::lock_guard Guard(FHandOverLock);
        auto Queued = std::find(FPendingHandOvers.begin(), FPendingHandOvers.end(), ARecord);
        if (Queued != FPendingHandOvers.end()) {
            FPendingHandOvers.erase(Queued);
            return true; // no main thread to run it: the report is lost, reading goes on
        }
    }
    std::unique_lock Guard(FHandOverLock);
    FHandOverDone.wait(Guard, [&] { return ARecord->FHandled || FStopping; });
    return !FStopping;
}

void TuiHIDData::HandleHandOverMessage() {
    std::shared_ptr<THidHandOver> Record;
    {
        std::lock_guard Guard(FHandOverLock);
        if (FPendingHandOvers.empty()) {
            return; // dropped by a stop
        }
        Record = FPendingHandOvers.front();
        FPendingHandOvers.pop_front();
    }
    try {
        RunHandlers(*Record);
    } catch (const std::exception& E) {
        FDebug.Write(u"TuiHIDData: report handler failed: " + AsciiToUtf16(E.what()));
    } catch (...) {
        FDebug.Write(u"TuiHIDData: report handler failed");
    }
    {
        std::lock_guard Guard(FHandOverLock);
        Record->FHandled = true;
    }
    FHandOverDone.notify_all();
}

void TuiHIDData::RunHandlers(const THidHandOver& ARecord) {
    const std::uint8_t ReportID = ARecord.FReport.front();
    if (OnData) {
        OnData(ARecord.FDeviceID, ARecord.FDevicePath, ReportID, ARecord.FReport.data() + 1,
               static_cast<std::uint16_t>(ARecord.FReport.size() - 1));
    }
    if (OnParsedData) {
        OnParsedData(ARecord.FDeviceID, ARecord.FDevicePath, ReportID, ARecord.FButtonData);
    }
}

void TuiHIDData::ReportDeviceGone(const TuiHidDeviceReadThread& AReader) {
    FDebug.Write(DEVICE_GONE_TEXT);
    if (OnDeviceNotConnected) {
        OnDeviceNotConnected(AReader.FDeviceID, AReader.FDevicePath);
    }
}

// Released usages win over pressed ones: the first released usage, else the first newly
// pressed one in the high word.
std::uint32_t TuiHIDData::UsageDifference(const std::vector<std::uint16_t>& ACurrent,
                                          std::uint32_t AMax) {
    std::lock_guard Guard(FUsageLock);
    if (FPreviousUsages.size() < AMax) {
        FPreviousUsages.resize(AMax, 0);
    }
    auto PreviousEnd = FPreviousUsages.begin() + AMax;
    auto InPrevious = [&](std::uint16_t U) {
        return std::find(FPreviousUsages.begin(), PreviousEnd, U) != PreviousEnd;
    };
    auto InCurrent = [&](std::uint16_t U) {
        return std::find(ACurrent.begin(), ACurrent.end(), U) != ACurrent.end();
    };
    std::uint32_t Result = 0;
    auto Released = std::find_if(FPreviousUsages.begin(), PreviousEnd,
                                 [&](std::uint16_t U) { return U != 0 && !InCurrent(U); });
    if (Released != PreviousEnd) {
        Result = *Released;
    } else {
        auto Pressed = std::find_if(ACurrent.begin(), ACurrent.end(),
                                    [&](std::uint16_t U) { return U != 0 && !InPrevious(U); });
        Result = Pressed != ACurrent.end() ? std::uint32_t{*Pressed} << 16 : 0;
    }
    std::copy(ACurrent.begin(), ACurrent.end(), FPreviousUsages.begin());
    return Result;
}

} // namespace vanto
