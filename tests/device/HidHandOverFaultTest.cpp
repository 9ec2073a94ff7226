// The mouse leaves while a report is on its way from its reader to the main thread: the report
// is still handled once, the reader ends and says the device is gone, and the mouse is read
// again when it comes back.

#include "device/DeviceTestSupport.h"
#include "device/uiHIDData.h"
#include "platform/sim/SimDebugOutput.h"
#include "platform/sim/SimShell.h"
#include "shared/UsageAndPage.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace vanto {
namespace {

constexpr char16_t MOUSE_ID[] = u"HID\\VID_1234&PID_5678&MI_01";
constexpr char16_t MOUSE_PATH[] = u"\\\\?\\hid#vid_1234&pid_5678&mi_01&col02#1#{x}";
constexpr unsigned WAIT_MS = 10000; // a guard against a hang, never a timing

class HidHandOverFaultTest : public testing::Test {
protected:
    HidHandOverFaultTest() {
        FHIDData.OnData = [this](const std::u16string&, const std::u16string&, std::uint8_t AId,
                                 const std::uint8_t* AData, std::uint16_t ASize) {
            std::lock_guard Guard(FLock);
            FReports.push_back({AId});
            FReports.back().insert(FReports.back().end(), AData, AData + ASize);
            if (FDuringHandler) {
                FDuringHandler();
            }
        };
        FHIDData.OnDeviceNotConnected = [this](const std::u16string&, const std::u16string&) {
            std::lock_guard Guard(FLock);
            ++FGone;
            FGoneChanged.notify_all();
        };
        Plug();
    }
    ~HidHandOverFaultTest() override { FHIDData.HidStopRead(); }

    void Plug() {
        FDevice = FHub.Plug({MOUSE_ID}, {test::VendorCollection(MOUSE_PATH)});
        FHIDData.HidFindAndReadDevice(VANTO_MOUSE_COLLECTION.AsInteger(), u"*");
        FHub.WaitForReadsWaiting(1);
    }

    // The reader has read the report and waits for the main thread to run it.
    void SendAndWaitForHandOver(std::vector<std::uint8_t> AReport) {
        ASSERT_EQ(FHub.SendInputReport(MOUSE_PATH, AReport), 1u);
        ASSERT_TRUE(FWindows.WaitForPending(1, WAIT_MS));
    }

    // The reader runs on: it finds the device gone on its next read, on its own thread.
    bool WaitUntilReaderSaysGone() {
        std::unique_lock Guard(FLock);
        return FGoneChanged.wait_for(Guard, std::chrono::milliseconds(WAIT_MS),
                                     [this] { return FGone > 0; });
    }

    int Gone() {
        std::lock_guard Guard(FLock);
        return FGone;
    }

    std::vector<std::vector<std::uint8_t>> Reports() {
        std::lock_guard Guard(FLock);
        return FReports;
    }

    sim::TSimClock FClock;
    sim::TSimWindowSystem FWindows{FClock};
    sim::TSimHid FHub{FWindows};
    test::TFakeIni FIni;
    sim::TSimShell FShell{u"C:\\Users\\Ann\\Documents", u"C:\\Program Files\\Vanto"};
    sim::TSimDebugOutput FDebug;
    TuiHIDData FHIDData{FHub, FWindows, FIni, FShell, FDebug};
    sim::TSimDeviceId FDevice = 0;
    std::mutex FLock;
    std::vector<std::vector<std::uint8_t>> FReports;
    std::function<void()> FDuringHandler;
    std::condition_variable FGoneChanged;
    int FGone = 0;
};

const std::vector<std::uint8_t> PRESS = {7, 0x80, 0, 0, 0, 0, 0, 0};

TEST_F(HidHandOverFaultTest, AMouseGoneWhileItsReportIsHandedOverStillHasItHandledOnce) {
    SendAndWaitForHandOver(PRESS);
    FHub.Unplug(FDevice);
    FWindows.ProcessPendingMessages();
    ASSERT_TRUE(WaitUntilReaderSaysGone());
    FHIDData.HidStopRead();
    EXPECT_EQ(Reports(), (std::vector<std::vector<std::uint8_t>>{PRESS}));
    EXPECT_EQ(Gone(), 1);
    EXPECT_EQ(FHub.OpenReadHandles(MOUSE_PATH), 0u);

    // Back again, it is read as before.
    Plug();
    SendAndWaitForHandOver(PRESS);
    FWindows.ProcessPendingMessages();
    EXPECT_EQ(Reports().size(), 2u);
}

TEST_F(HidHandOverFaultTest, AMouseGoneWhileTheMainThreadRunsItsReportEndsTheReaderCleanly) {
    FDuringHandler = [this] { FHub.Unplug(FDevice); };
    SendAndWaitForHandOver(PRESS);
    FWindows.ProcessPendingMessages();
    ASSERT_TRUE(WaitUntilReaderSaysGone());
    FHIDData.HidStopRead();
    EXPECT_EQ(Reports().size(), 1u);
    EXPECT_EQ(Gone(), 1);
    // Nothing more was queued for a main thread that would never hear of the reader again.
    EXPECT_EQ(FWindows.PendingCount(), 0u);
}

} // namespace
} // namespace vanto
