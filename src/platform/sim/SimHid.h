#pragma once

#include "platform/DeviceNotifications.h"
#include "platform/Hid.h"
#include "platform/WindowSystem.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vanto::sim {

// What a collection of a simulated device does with the host's requests. The hub calls it from
// whatever thread the host uses, never with its own lock held; the collection's answer is 0 or a
// platform error code.
class ISimHidFunctions {
public:
    virtual ~ISimHidFunctions() = default;
    virtual std::uint32_t OnSetFeature(std::span<const std::uint8_t> AReport) = 0;
    virtual std::uint32_t OnGetFeature(std::span<std::uint8_t> AReport) = 0;
    virtual std::uint32_t OnWrite(std::span<const std::uint8_t> AReport) = 0;
};

// One top-level collection of a simulated device, as the host sees it.
struct TSimHidCollection {
    std::u16string FPath;
    platform::THidCaps FCaps;
    // The input report's bits after the ID, read as button usages 1..FButtonUsages; 0 for a
    // collection without buttons.
    std::uint32_t FButtonUsages = 0;
    // Windows keeps mice and keyboards to itself: such a collection cannot be opened.
    bool FOpens = true;
    // Not owned; must outlive the plug. Without one, feature and output reports fail.
    ISimHidFunctions* FFunctions = nullptr;
};

using TSimDeviceId = std::uint32_t;

// How a timed wait on a stop signal passes: tests want no real time to go by, at most a wait
// held until the stop comes, to stop a reader in the middle of one.
enum class TSimStopWait {
    AtOnce,   // returns at once, set or not
    UntilSet, // waits until the signal is set, however long that takes
};

// The simulated HID class: devices are plugged and unplugged by the test, the host enumerates
// and opens their collections. Input reports queue per open handle, as the class driver buffers
// them; a read waits on a condition variable together with its stop signal, so an idle reader
// sleeps until something happens, and every return from that wait is counted as a wake-up.
class TSimHid : public platform::IHid, public platform::IDeviceNotifications {
public:
    explicit TSimHid(platform::IWindowSystem& AWindows);
    ~TSimHid() override;

    // The registered windows hear of every collection of the device through WM_DEVICECHANGE.
    TSimDeviceId Plug(std::vector<std::u16string> AHardwareIds,
                      std::vector<TSimHidCollection> ACollections);
    // Pending and later reads of the device's handles fail with HID_ERROR_DEVICE_NOT_CONNECTED.
    void Unplug(TSimDeviceId ADevice);
    // Queues a whole report (ID first) for every handle of that path opened for reading; the
    // result is the number of handles that got it.
    std::size_t SendInputReport(const std::u16string& APath, std::span<const std::uint8_t> AReport);
    void SetEnumerationFails(bool AFails);

    // Failure switches.
    // The user pulls the device out right after it has taken ACount more feature reports: the
    // report that makes the count is taken, everything after it finds the device gone.
    void UnplugAfterFeatureReports(TSimDeviceId ADevice, std::size_t ACount);
    // Every feature report ends with AError before it reaches a device (a stalled or timed-out
    // transfer); nothing: they go through again.
    void SetFeatureReportsFail(std::optional<std::uint32_t> AError);
    // No interface can be opened (another program holds the device exclusively).
    void SetOpenFails(bool AFails);
    // Reads of that path fail at once with AError (a Windows error code), a read already waiting
    // included: the next ACount of them, or all. Nothing: they read again. Kept across unplug.
    void FailReads(const std::u16string& APath, std::optional<std::uint32_t> AError,
                   std::size_t ACount = SIZE_MAX);
    // Every call of Read on a handle of that path, whatever came of it.
    std::size_t ReadsAttempted(const std::u16string& APath);

    // Timed waits on the stop signals this hub made: how they pass, the time each one asked for
    // in order, and a way to block until one is under way.
    void SetStopWaits(TSimStopWait AHow);
    std::vector<std::uint32_t> StopWaits();
    void WaitForStopWaitUnderway();

    std::size_t OpenReadHandles(const std::u16string& APath);
    std::size_t ReadsWaiting();
    // Blocks until at least that many reads wait for a report.
    void WaitForReadsWaiting(std::size_t AAtLeast);
    std::uint64_t ReadWakeUps();
    // True when no input report waits in any queue, no read is due to fail, and every handle of
    // a present device has a read waiting: the readers have nothing left to do.
    bool AllReportsTaken();
    // The most unread input reports one handle ever held (the driver keeps 32 at most), and
    // how many it dropped because a reader fell that far behind.
    std::size_t MaxQueuedReports();
    std::size_t DroppedReports();
    // How often a handle for reading was opened on that path: each open of the mouse counts.
    std::size_t ReadOpens(const std::u16string& APath);

    std::optional<std::vector<platform::THidInterfaceInfo>> PresentInterfaces() override;
    std::unique_ptr<platform::IHidDevice> Open(const std::u16string& APath,
                                               bool AForReading) override;
    std::unique_ptr<platform::IHidStopSignal> CreateStopSignal() override;
    bool RegisterForHidInterfaces(platform::TWindowHandle AWindow) override;

    struct TCore;

private:
    void Broadcast(platform::TWParam AEvent, std::size_t AInterfaces);

    platform::IWindowSystem& FWindows;
    std::shared_ptr<TCore> FCore;
};

} // namespace vanto::sim
