#include "platform/win32/Win32HidDevice.h"

#include <algorithm>
#include <utility>

namespace vanto::win32 {

using platform::THidReadResult;
using platform::THidReadStatus;

namespace {

// A call that failed without setting an error must not read as success, which 0 would mean.
std::uint32_t ErrorOfFailedCall() {
    const DWORD Error = GetLastError();
    return Error != ERROR_SUCCESS ? Error : platform::HID_ERROR_GEN_FAILURE;
}

// An event owned for the length of one call.
class TScopedEvent {
public:
    TScopedEvent() : FEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    TScopedEvent(const TScopedEvent&) = delete;
    TScopedEvent& operator=(const TScopedEvent&) = delete;
    ~TScopedEvent() {
        if (FEvent != nullptr) {
            CloseHandle(FEvent);
        }
    }

    HANDLE Get() const { return FEvent; }

private:
    HANDLE FEvent;
};

} // namespace

TWin32HidStopSignal::TWin32HidStopSignal() : FEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

TWin32HidStopSignal::~TWin32HidStopSignal() {
    if (FEvent != nullptr) {
        CloseHandle(FEvent);
    }
}

void TWin32HidStopSignal::Set() {
    if (FEvent != nullptr) {
        SetEvent(FEvent);
    }
}

void TWin32HidStopSignal::Reset() {
    if (FEvent != nullptr) {
        ResetEvent(FEvent);
    }
}

bool TWin32HidStopSignal::IsSet() {
    return FEvent != nullptr && WaitForSingleObject(FEvent, 0) == WAIT_OBJECT_0;
}

bool TWin32HidStopSignal::Wait(std::uint32_t AMilliseconds) {
    // INFINITE is never asked for: a rest has an end.
    const DWORD Timeout = std::min<DWORD>(AMilliseconds, INFINITE - 1);
    return FEvent == nullptr || WaitForSingleObject(FEvent, Timeout) != WAIT_TIMEOUT;
}

TWin32HidDevice::TWin32HidDevice(std::shared_ptr<const THidLibrary> ALibrary, HANDLE AHandle,
                                 HANDLE AReadEvent)
    : FLibrary(std::move(ALibrary)), FHandle(AHandle), FReadEvent(AReadEvent) {
    // Taken at once rather than on first use: the reader thread and the main thread may both ask
    // for it, and a one-time fetch needs no lock.
    if (!FLibrary->HidD_GetPreparsedData(FHandle, &FPreparsedData)) {
        FPreparsedData = nullptr;
    }
}

TWin32HidDevice::~TWin32HidDevice() {
    if (FPreparsedData != nullptr) {
        FLibrary->HidD_FreePreparsedData(FPreparsedData);
    }
    CloseHandle(FHandle);
    if (FReadEvent != nullptr) {
        CloseHandle(FReadEvent);
    }
}

bool TWin32HidDevice::GetAttributes() {
    HIDD_ATTRIBUTES Attributes{};
    Attributes.Size = sizeof(Attributes);
    return FLibrary->HidD_GetAttributes(FHandle, &Attributes) != FALSE;
}

std::optional<platform::THidCaps> TWin32HidDevice::GetCaps() {
    HIDP_CAPS Caps{};
    if (FPreparsedData == nullptr ||
        FLibrary->HidP_GetCaps(FPreparsedData, &Caps) != HIDP_STATUS_SUCCESS) {
        return std::nullopt;
    }
    return platform::THidCaps{Caps.Usage, Caps.UsagePage, Caps.InputReportByteLength,
                              Caps.OutputReportByteLength, Caps.FeatureReportByteLength};
}

THidReadResult TWin32HidDevice::Read(std::uint8_t* ABuffer, std::uint32_t ALength,
                                     platform::IHidStopSignal& AStop) {
    const auto* Stop = dynamic_cast<const TWin32HidStopSignal*>(&AStop);
    // Without an overlapped handle and a stop event the read could block for good.
    if (!IsOverlapped() || Stop == nullptr || Stop->Event() == nullptr) {
        return {THidReadStatus::StartFailed, 0, platform::HID_ERROR_INVALID_HANDLE};
    }
    OVERLAPPED Overlapped{};
    Overlapped.hEvent = FReadEvent;
    if (!ReadFile(FHandle, ABuffer, ALength, nullptr, &Overlapped)) {
        const DWORD Error = GetLastError();
        if (Error != ERROR_IO_PENDING) {
            return {THidReadStatus::StartFailed, 0, Error};
        }
    }
    // The stop signal comes first, so that it wins when a report arrives in the same moment.
    const HANDLE Events[] = {Stop->Event(), FReadEvent};
    const DWORD Woken = WaitForMultipleObjects(2, Events, FALSE, INFINITE);
    if (Woken == WAIT_OBJECT_0) {
        EndRead(Overlapped);
        return {THidReadStatus::Stopped, 0, platform::HID_ERROR_NONE};
    }
    if (Woken != WAIT_OBJECT_0 + 1) {
        const std::uint32_t WaitError = ErrorOfFailedCall();
        EndRead(Overlapped);
        return {THidReadStatus::WaitFailed, 0, WaitError};
    }
    return FinishRead(Overlapped);
}

THidReadResult TWin32HidDevice::FinishRead(OVERLAPPED& AOverlapped) {
    DWORD BytesRead = 0;
    if (GetOverlappedResult(FHandle, &AOverlapped, &BytesRead, FALSE)) {
        return {THidReadStatus::Data, BytesRead, platform::HID_ERROR_NONE};
    }
    const std::uint32_t Error = ErrorOfFailedCall();
    if (HasOverlappedIoCompleted(&AOverlapped)) {
        return {THidReadStatus::Failed, 0, Error}; // the transfer itself failed
    }
    // The event said done but the request runs on: this handle's waits cannot be trusted.
    EndRead(AOverlapped);
    return {THidReadStatus::WaitFailed, 0, Error};
}

// The kernel may still write into the caller's buffer and the OVERLAPPED record until the
// cancelled read has completed, so nothing returns before that. Should even the wait for it
// fail, the record itself tells when the request has ended.
void TWin32HidDevice::EndRead(OVERLAPPED& AOverlapped) {
    CancelIoEx(FHandle, &AOverlapped);
    DWORD Ignored = 0;
    while (!GetOverlappedResult(FHandle, &AOverlapped, &Ignored, TRUE) &&
           !HasOverlappedIoCompleted(&AOverlapped)) {
        Sleep(1);
    }
}

std::uint32_t TWin32HidDevice::SetFeature(const std::uint8_t* AReport, std::uint32_t ALength) {
    SetLastError(ERROR_SUCCESS);
    // The report is only read; the declaration merely lacks the const.
    if (FLibrary->HidD_SetFeature(FHandle, const_cast<std::uint8_t*>(AReport), ALength)) {
        return platform::HID_ERROR_NONE;
    }
    return ErrorOfFailedCall();
}

std::uint32_t TWin32HidDevice::GetFeature(std::uint8_t* AReport, std::uint32_t ALength) {
    SetLastError(ERROR_SUCCESS);
    if (FLibrary->HidD_GetFeature(FHandle, AReport, ALength)) {
        return platform::HID_ERROR_NONE;
    }
    return ErrorOfFailedCall();
}

std::uint32_t TWin32HidDevice::Write(const std::uint8_t* AReport, std::uint32_t ALength) {
    SetLastError(ERROR_SUCCESS);
    if (IsOverlapped()) {
        return WriteOverlapped(AReport, ALength);
    }
    DWORD Written = 0;
    if (!WriteFile(FHandle, AReport, ALength, &Written, nullptr)) {
        return ErrorOfFailedCall();
    }
    return platform::HID_ERROR_NONE;
}

// An overlapped handle needs an OVERLAPPED record even for a write the caller waits for. Its own
// event keeps it apart from a read that the reader thread may have in flight on the same handle.
std::uint32_t TWin32HidDevice::WriteOverlapped(const std::uint8_t* AReport, std::uint32_t ALength) {
    const TScopedEvent Done;
    if (Done.Get() == nullptr) {
        return ErrorOfFailedCall();
    }
    OVERLAPPED Overlapped{};
    Overlapped.hEvent = Done.Get();
    if (!WriteFile(FHandle, AReport, ALength, nullptr, &Overlapped) &&
        GetLastError() != ERROR_IO_PENDING) {
        return ErrorOfFailedCall();
    }
    DWORD Written = 0;
    if (!GetOverlappedResult(FHandle, &Overlapped, &Written, TRUE)) {
        return ErrorOfFailedCall();
    }
    return platform::HID_ERROR_NONE;
}

std::uint32_t TWin32HidDevice::MaxUsageListLength() {
    if (FPreparsedData == nullptr) {
        return 0;
    }
    return FLibrary->HidP_MaxUsageListLength(HidP_Input, 0, FPreparsedData);
}

std::optional<std::vector<std::uint16_t>> TWin32HidDevice::UsagesOn(const std::uint8_t* AReport,
                                                                    std::uint32_t ALength) {
    if (FPreparsedData == nullptr) {
        return std::nullopt;
    }
    // Room for at least one pair, so that the list handed over is never a null pointer.
    ULONG Count = std::max<ULONG>(MaxUsageListLength(), 1);
    std::vector<USAGE_AND_PAGE> Pairs(Count);
    // The report is only read; the declaration merely lacks the const.
    auto* Report = reinterpret_cast<PCHAR>(const_cast<std::uint8_t*>(AReport));
    if (FLibrary->HidP_GetUsagesEx(HidP_Input, 0, Pairs.data(), &Count, FPreparsedData, Report,
                                   ALength) != HIDP_STATUS_SUCCESS) {
        return std::nullopt;
    }
    std::vector<std::uint16_t> Usages;
    Usages.reserve(Count);
    for (ULONG Index = 0; Index < Count && Index < Pairs.size(); ++Index) {
        Usages.push_back(Pairs[Index].Usage);
    }
    return Usages;
}

} // namespace vanto::win32
