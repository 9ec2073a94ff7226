#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vanto::platform {

// One present HID device interface.
struct THidInterfaceInfo {
    std::u16string FPath;
    // The device node's hardware identifiers, most specific first; empty when unreadable.
    std::vector<std::u16string> FHardwareIds;
};

// A top-level collection's address and report lengths; lengths include the report-ID byte.
struct THidCaps {
    std::uint16_t Usage = 0;
    std::uint16_t UsagePage = 0;
    std::uint16_t InputReportByteLength = 0;
    std::uint16_t OutputReportByteLength = 0;
    std::uint16_t FeatureReportByteLength = 0;
};

// Error codes as the platform reports them.
inline constexpr std::uint32_t HID_ERROR_NONE = 0;
inline constexpr std::uint32_t HID_ERROR_ACCESS_DENIED = 5;
inline constexpr std::uint32_t HID_ERROR_INVALID_HANDLE = 6;
inline constexpr std::uint32_t HID_ERROR_GEN_FAILURE = 31;
inline constexpr std::uint32_t HID_ERROR_INVALID_PARAMETER = 87;
inline constexpr std::uint32_t HID_ERROR_OPERATION_ABORTED = 995;
inline constexpr std::uint32_t HID_ERROR_DEVICE_NOT_CONNECTED = 1167;

// A manual-reset signal that readers wait on beside their read. Set and Reset may come from any
// thread.
class IHidStopSignal {
public:
    virtual ~IHidStopSignal() = default;
    virtual void Set() = 0;
    virtual void Reset() = 0;
    virtual bool IsSet() = 0;
    // Waits until the signal is set or AMilliseconds have passed, whichever comes first; true when
    // it is set. A wait that cannot be made also answers true: the waiter has to end rather than
    // go on without ever seeing the stop.
    virtual bool Wait(std::uint32_t AMilliseconds) = 0;
};

enum class THidReadStatus {
    Data,        // FBytesRead bytes arrived (0 is possible)
    Stopped,     // the stop signal was set; the read was cancelled and has finished
    StartFailed, // the read could not start; FError says why
    Failed,      // the read completed with an error; FError says which
    // The wait for the read could not be made; the read has ended all the same. A reader that
    // reads on would never see the stop signal.
    WaitFailed,
};

struct THidReadResult {
    THidReadStatus FStatus = THidReadStatus::Failed;
    std::uint32_t FBytesRead = 0;
    std::uint32_t FError = HID_ERROR_NONE;
};

// One open handle of a HID interface. A handle opened for reading serves one reader thread;
// the other calls come from the main thread.
class IHidDevice {
public:
    virtual ~IHidDevice() = default;
    virtual bool GetAttributes() = 0;
    // The collection's capabilities; nothing when its preparsed data or caps are unavailable.
    virtual std::optional<THidCaps> GetCaps() = 0;
    // Reads one input report of ALength bytes (report ID first). Waits for the report and the stop
    // signal together, without polling; a stop cancels the read and waits until it has ended.
    virtual THidReadResult Read(std::uint8_t* ABuffer, std::uint32_t ALength,
                                IHidStopSignal& AStop) = 0;
    // AReport starts with the report ID; the result is 0 or the platform's error code.
    virtual std::uint32_t SetFeature(const std::uint8_t* AReport, std::uint32_t ALength) = 0;
    virtual std::uint32_t GetFeature(std::uint8_t* AReport, std::uint32_t ALength) = 0;
    virtual std::uint32_t Write(const std::uint8_t* AReport, std::uint32_t ALength) = 0;
    // For reports parsed into button usages: the most usages an input report can hold, and the
    // usages (of every usage page, link collection 0) that a report has on; nothing on failure.
    virtual std::uint32_t MaxUsageListLength() = 0;
    virtual std::optional<std::vector<std::uint16_t>> UsagesOn(const std::uint8_t* AReport,
                                                               std::uint32_t ALength) = 0;
};

// The HID class of the platform: enumeration of present interfaces and opening them.
class IHid {
public:
    virtual ~IHid() = default;
    // Nothing when the set of present interfaces cannot be had.
    virtual std::optional<std::vector<THidInterfaceInfo>> PresentInterfaces() = 0;
    // Nothing when the interface cannot be opened. AForReading asks for a handle whose Read can
    // be waited on beside a stop signal.
    virtual std::unique_ptr<IHidDevice> Open(const std::u16string& APath, bool AForReading) = 0;
    virtual std::unique_ptr<IHidStopSignal> CreateStopSignal() = 0;
};

} // namespace vanto::platform
