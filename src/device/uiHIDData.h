#pragma once

#include "platform/DebugOutput.h"
#include "platform/Hid.h"
#include "platform/IniFile.h"
#include "platform/Shell.h"
#include "platform/WindowSystem.h"
#include "shared/UsageAndPage.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vanto {

// One report: ReportID directly followed by its bytes, so that the report is the run of bytes
// that starts at ReportID. Large: keep it on the heap.
struct THidReallyData {
    std::uint8_t ReportID = 0;
    std::uint8_t DATAReally[65535] = {};
    // Whether it counts the ID byte depends on the operation.
    std::uint32_t DATASIZE = 0;
};

struct THIDDataParam {
    USAGE_AND_PAGE UsageAndPage;
    std::u16string DeviceID; // a hardware identifier, "*" or empty
    THidReallyData Data;
    std::uint32_t DeviceHandle = 0; // no operation reads it
};

using TuiHIDDataReceived =
    std::function<void(const std::u16string& ADeviceID, const std::u16string& ADevicePath,
                       std::uint8_t ReportID, const std::uint8_t* Data, std::uint16_t Size)>;
using TuiHIDParsedDataReceived =
    std::function<void(const std::u16string& ADeviceID, const std::u16string& ADevicePath,
                       std::uint8_t ReportID, std::uint32_t ButtonData)>;
using TuiHIDDeviceNotConnected =
    std::function<void(const std::u16string& ADeviceID, const std::u16string& ADevicePath)>;

class TuiHIDData;
struct THidHandOver;

// Reads one opened interface on a thread of its own and hands every report to its owner.
class TuiHidDeviceReadThread {
public:
    // Opens the interface on the calling thread, so a report the device sends from then on is
    // buffered for this reader. Call Start to begin reading.
    TuiHidDeviceReadThread(TuiHIDData& AOwner, platform::IHid& AHid, std::u16string ADeviceID,
                           std::u16string ADevicePath);
    ~TuiHidDeviceReadThread();
    TuiHidDeviceReadThread(const TuiHidDeviceReadThread&) = delete;
    TuiHidDeviceReadThread& operator=(const TuiHidDeviceReadThread&) = delete;

    // False when there is nothing to read: the open or the capabilities failed.
    bool Start();
    void Join();
    // False once the reader has ended by itself (the device failed or went).
    bool IsReading() const { return FReading; }

    const std::u16string& DeviceID() const { return FDeviceID; }
    const std::u16string& DevicePath() const { return FDevicePath; }

private:
    friend class TuiHIDData;

    void Execute();
    // False when the reader has to end.
    bool ReadOne();
    bool ReadFailed(std::uint32_t AError);
    bool Rest();
    std::uint32_t ParsedButtonData();

    TuiHIDData& FHIDData;
    std::u16string FDeviceID;
    std::u16string FDevicePath;
    std::unique_ptr<platform::IHidDevice> FDeviceHandle;
    std::int32_t FInputReportLength = 0;
    std::int32_t FOutputReportLength = 0;
    std::uint32_t NumBytesRead = 0;
    std::vector<std::uint8_t> FReport;
    // Since the last report: the rest taken after the latest read that brought nothing (0 before
    // the first), and the failed reads.
    std::uint32_t FRestMs = 0;
    std::uint32_t FFailuresInARow = 0;
    std::atomic<bool> FReading{false};
    std::thread FThread;
};

// The monitor's way to the mouse: finds the HID collections that count as the mouse, reads each
// with a reader thread of its own, and sends output and feature reports.
//
// Assign the event slots before the first HidFindAndReadDevice. OnData and OnParsedData run on
// the main thread unless FastOnData is true; OnDeviceNotConnected runs on the reader's thread.
// A handler on a reader's thread must not wait for the main thread: HidStopRead joins readers.
class TuiHIDData {
public:
    TuiHIDData(platform::IHid& AHid, platform::IWindowSystem& AWindows, platform::IIniFile& AIni,
               platform::IShell& AShell, platform::IDebugOutput& ADebug);
    ~TuiHIDData();
    TuiHIDData(const TuiHIDData&) = delete;
    TuiHIDData& operator=(const TuiHIDData&) = delete;

    const std::vector<std::u16string>& GetHIDDeviceList() const { return FHidDeviceList; }

    void HidFindAndReadDevice(std::uint32_t AUsageAndPage, const std::u16string& HIDID);
    // Returns once every reader started so far has ended; a report still waiting for the main
    // thread is dropped.
    void HidStopRead();
    bool HidFindAndWriteDevice(const THIDDataParam& ReportData);
    bool HidFindAndWriteDeviceBYHID(const THIDDataParam& ReportData);
    std::uint32_t HidFindAndGetFeatureReport(THIDDataParam& ReportData);
    std::uint32_t HidFindAndSetFeatureReport(const THIDDataParam& ReportData);
    bool IsDeviceExist(const THIDDataParam& ReportData);

    void SetUsageAndPage(std::uint32_t AUsageAndPage);
    std::uint32_t GetUsageAndPage() const { return FUsageAndPage.AsInteger(); }

    // Handlers run on the reader's thread when true.
    std::atomic<bool> FastOnData{false};
    TuiHIDDataReceived OnData;
    TuiHIDParsedDataReceived OnParsedData;
    TuiHIDDeviceNotConnected OnDeviceNotConnected;

private:
    friend class TuiHidDeviceReadThread;

    using TIdentityFilter = std::function<bool(const std::vector<std::u16string>& AIds)>;
    using TLengthCondition = std::function<bool(const platform::THidCaps& ACaps)>;
    using TFoundAction = std::function<void(const platform::THidInterfaceInfo& AInterface,
                                            platform::IHidDevice& ADevice)>;

    void LoadDeviceList();
    void FindDevices(USAGE_AND_PAGE AUsageAndPage, const TIdentityFilter& AIdentity,
                     bool AForReading, const TLengthCondition& ALengthFits,
                     const TFoundAction& AAction);
    bool AnyListedId(const std::vector<std::u16string>& AIds) const;
    bool IsBeingRead(const std::u16string& APath) const;
    void ForgetEndedReaders();
    TIdentityFilter ReadFilter(const std::u16string& AHIDID) const;
    TIdentityFilter RequestFilter(const std::u16string& ADeviceID) const;

    // Called by readers. False when the reader has to end.
    bool Deliver(TuiHidDeviceReadThread& AReader, std::uint32_t ASize);
    bool HandOver(const std::shared_ptr<THidHandOver>& ARecord);
    void RunHandlers(const THidHandOver& ARecord);
    void HandleHandOverMessage();
    void ReportDeviceGone(const TuiHidDeviceReadThread& AReader);
    std::uint32_t UsageDifference(const std::vector<std::uint16_t>& ACurrent, std::uint32_t AMax);

    platform::IHid& FHid;
    platform::IWindowSystem& FWindows;
    platform::IIniFile& FIni;
    platform::IShell& FShell;
    platform::IDebugOutput& FDebug;
    std::vector<std::u16string> FHidDeviceList;
    USAGE_AND_PAGE FUsageAndPage;
    std::unique_ptr<platform::IHidStopSignal> FStopSignal;
    platform::TWindowHandle FWindow = 0;
    std::vector<std::unique_ptr<TuiHidDeviceReadThread>> FReaders;

    // The hand-over of reports to the main thread.
    std::mutex FHandOverLock;
    std::condition_variable FHandOverDone;
    std::deque<std::shared_ptr<THidHandOver>> FPendingHandOvers;
    bool FStopping = false;

    // Usages on in the previous report, shared by all readers; grows with the longest list asked.
    std::mutex FUsageLock;
    std::vector<std::uint16_t> FPreviousUsages;
};

} // namespace vanto
