#include "VirtualMouse.h"
#include "device/uiHIDData.h"
#include "device/uiHIDEvent.h"
#include "platform/win32/Win32DebugOutput.h"
#include "platform/win32/Win32DeviceNotifications.h"
#include "platform/win32/Win32Hid.h"
#include "platform/win32/Win32IniFile.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32WindowSystem.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <dbt.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

namespace vanto::win32 {
namespace {

constexpr DWORD WAIT_MS = 10000;

struct TReceived {
    std::u16string FPath;
    std::uint8_t FReportID;
    std::vector<std::uint8_t> FPayload;
};

// The device link on the real HID class, with the virtual mouse beside Wine's own mouse and
// keyboard: the search must find the mouse's vendor collection only and read it.
class Win32DeviceLinkTest : public testing::Test {
protected:
    void SetUp() override {
        std::wstring Error;
        ASSERT_TRUE(FMouse.PlugInFresh(WAIT_MS, Error)) << std::string(Error.begin(), Error.end());
        const std::wstring Vendor = vmouse::InterfacePath(VMOUSE_VENDOR);
        FVendorPath.assign(Vendor.begin(), Vendor.end());
    }

    // A transport whose reports are noted as the main form's handler would get them.
    std::unique_ptr<TuiHIDData> NewTransport() {
        auto Data = std::make_unique<TuiHIDData>(FHid, FWindows, FIni, FShell, FDebug);
        Data->OnData = [this](const std::u16string&, const std::u16string& APath,
                              std::uint8_t AReportID, const std::uint8_t* AData,
                              std::uint16_t ASize) {
            FReceived.push_back({APath, AReportID, {AData, AData + ASize}});
        };
        return Data;
    }

    // Handles this thread's messages, where the readers hand their reports over, until ADone.
    bool PumpUntil(const std::function<bool()>& ADone, DWORD AWaitMs = WAIT_MS) {
        const ULONGLONG Deadline = GetTickCount64() + AWaitMs;
        while (!ADone()) {
            if (GetTickCount64() >= Deadline) {
                return false;
            }
            FWindows.ProcessPendingMessages();
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
        return true;
    }

    static std::unique_ptr<THIDDataParam> ModeRequest(std::uint8_t AMode) {
        auto Request = std::make_unique<THIDDataParam>();
        Request->UsageAndPage = VANTO_MOUSE_COLLECTION;
        Request->Data.ReportID = 2;
        Request->Data.DATAReally[0] = 6;
        Request->Data.DATAReally[1] = AMode;
        Request->Data.DATASIZE = 16;
        return Request;
    }

    vmouse::TVirtualMouse FMouse;
    std::u16string FVendorPath;
    std::vector<TReceived> FReceived;
    TWin32Hid FHid;
    TWin32WindowSystem FWindows;
    TWin32IniFile FIni;
    TWin32Shell FShell;
    TWin32DebugOutput FDebug;
    TWin32DeviceNotifications FNotifications;
};

TEST_F(Win32DeviceLinkTest, TheSearchFindsTheMouseReadsItsReportsAndSendsItsFeatureReports) {
    const auto Data = NewTransport();
    Data->HidFindAndReadDevice(VANTO_MOUSE_COLLECTION.AsInteger(), u"*");
    ASSERT_TRUE(FMouse.PressButton(10));
    ASSERT_TRUE(PumpUntil([&] { return FReceived.size() >= 2; }));
    // One reader, on the vendor collection only: each report comes once, from its path.
    PumpUntil([] { return false; }, 300);
    ASSERT_EQ(FReceived.size(), 2u);
    EXPECT_EQ(FReceived[0].FPath, FVendorPath);
    EXPECT_EQ(FReceived[0].FReportID, 7);
    EXPECT_EQ(FReceived[0].FPayload, (std::vector<std::uint8_t>{0, 0x04, 0, 0, 0, 0, 0}));
    EXPECT_EQ(FReceived[1].FPayload, std::vector<std::uint8_t>(7, 0));

    const auto Request = ModeRequest(0);
    EXPECT_TRUE(Data->IsDeviceExist(*Request));
    EXPECT_EQ(Data->HidFindAndSetFeatureReport(*Request), platform::HID_ERROR_NONE);
    const auto Sent = FMouse.FeatureReports();
    ASSERT_TRUE(Sent.has_value());
    ASSERT_EQ(Sent->size(), 1u);
    EXPECT_EQ(Sent->front().FBytes.size(), 16u);
    EXPECT_EQ(Sent->front().FReading, static_cast<std::uint32_t>(VMOUSE_READ_MODE));

    // Stopped, the transport reads nothing more.
    Data->HidStopRead();
    ASSERT_TRUE(FMouse.SelectProfile(1));
    PumpUntil([] { return false; }, 300);
    EXPECT_EQ(FReceived.size(), 2u);
}

// A reader whose mouse is pulled out ends by itself; the mouse plugged in again is read anew.
// Were the old reader still reading, the search would pass over the path it holds, which the
// mouse has again, and the press would never come.
TEST_F(Win32DeviceLinkTest, APulledMouseEndsItsReaderAndIsReadAgainOnceBack) {
    const auto Data = NewTransport();
    std::atomic<int> Gone = 0;
    Data->OnDeviceNotConnected = [&](const std::u16string&, const std::u16string&) { ++Gone; };
    Data->HidFindAndReadDevice(VANTO_MOUSE_COLLECTION.AsInteger(), u"*");
    std::wstring Error;
    ASSERT_TRUE(vmouse::Unplug(Error));
    ASSERT_TRUE(vmouse::WaitForInterfaces(false, WAIT_MS));
    // Told as a device that left, whatever error this system ends the read with.
    EXPECT_TRUE(PumpUntil([&] { return Gone == 1; }));
    ASSERT_TRUE(vmouse::Plug(vmouse::BuiltInfPath(), Error));
    ASSERT_TRUE(vmouse::WaitForInterfaces(true, WAIT_MS));

    Data->HidFindAndReadDevice(VANTO_MOUSE_COLLECTION.AsInteger(), u"*");
    ASSERT_TRUE(FMouse.PressButton(3));
    EXPECT_TRUE(PumpUntil([&] { return FReceived.size() >= 2; }));
    PumpUntil([] { return false; }, 300);
    ASSERT_EQ(FReceived.size(), 2u);
    EXPECT_EQ(FReceived[0].FPayload[0], 0x08);
    Data->HidStopRead();
}

// Without the mouse only Wine's own devices are left: the search finds no collection of the
// mouse and does not disturb those devices.
TEST_F(Win32DeviceLinkTest, WithoutTheMouseTheSearchFindsNoneAmongWinesOwnDevices) {
    std::wstring Error;
    ASSERT_TRUE(vmouse::Unplug(Error));
    ASSERT_TRUE(vmouse::WaitForInterfaces(false, WAIT_MS));
    TuiHIDData Data(FHid, FWindows, FIni, FShell, FDebug);
    Data.HidFindAndReadDevice(VANTO_MOUSE_COLLECTION.AsInteger(), u"*");
    auto Request = ModeRequest(0);
    EXPECT_FALSE(Data.IsDeviceExist(*Request));
    EXPECT_EQ(Data.HidFindAndSetFeatureReport(*Request), platform::HID_ERROR_DEVICE_NOT_CONNECTED);
    // The usage page of Wine's own mouse does match its own collection.
    Request->UsageAndPage = USAGE_AND_PAGE{0x0002, 0x0001};
    EXPECT_TRUE(Data.IsDeviceExist(*Request));
    Data.HidStopRead();
    ASSERT_TRUE(vmouse::Plug(vmouse::BuiltInfPath(), Error));
    EXPECT_TRUE(vmouse::WaitForInterfaces(true, WAIT_MS));
}

TEST_F(Win32DeviceLinkTest, TheWatcherRegistersAndGivesItsArrivalAfterStartUp) {
    TuiHIDEvent Watcher(FWindows, FNotifications, FDebug);
    int Arrivals = 0;
    int Changes = 0;
    Watcher.OnDeviceArrival = [&](TuiHIDEvent&) { ++Arrivals; };
    Watcher.OnDeviceChange = [&](TuiHIDEvent&) { ++Changes; };
    const ULONGLONG Start = GetTickCount64();
    // A real window timer: wait for it, with a bound so a lost timer fails instead of hanging.
    while (Arrivals == 0 && GetTickCount64() - Start < 10000) {
        FWindows.ProcessPendingMessages();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    EXPECT_EQ(Arrivals, 1);
    EXPECT_EQ(Changes, 1);
}

// Any program may send the watcher's window this message. The record below says it is four
// bytes long and ends where an inaccessible page begins, so reading its device type would fault.
TEST_F(Win32DeviceLinkTest, TheWatcherReadsNoHeaderPastItsSizeNorAMissingOne) {
    TuiHIDEvent Watcher(FWindows, FNotifications, FDebug);
    int Events = 0;
    Watcher.OnDeviceArrival = [&](TuiHIDEvent&) { ++Events; };
    Watcher.OnDeviceRemove = [&](TuiHIDEvent&) { ++Events; };
    SYSTEM_INFO System{};
    GetSystemInfo(&System);
    const SIZE_T Page = System.dwPageSize;
    auto* Pages = static_cast<std::uint8_t*>(
        VirtualAlloc(nullptr, 2 * Page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    ASSERT_NE(Pages, nullptr);
    DWORD Before = 0;
    ASSERT_TRUE(VirtualProtect(Pages + Page, Page, PAGE_NOACCESS, &Before));
    auto* Short = reinterpret_cast<DWORD*>(Pages + Page - sizeof(DWORD));
    *Short = sizeof(DWORD);
    const auto Window = reinterpret_cast<HWND>(Watcher.WindowHandle());
    for (const WPARAM Event : {DBT_DEVICEARRIVAL, DBT_DEVICEREMOVECOMPLETE}) {
        SendMessageW(Window, WM_DEVICECHANGE, Event, reinterpret_cast<LPARAM>(Short));
        SendMessageW(Window, WM_DEVICECHANGE, Event, 0);
    }
    VirtualFree(Pages, 0, MEM_RELEASE);
    EXPECT_EQ(Events, 0);
}

} // namespace
} // namespace vanto::win32
