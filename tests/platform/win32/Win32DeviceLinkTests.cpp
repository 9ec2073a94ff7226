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

#include <cstdint>
#include <memory>

namespace vanto::win32 {
namespace {

// The device link on the real HID class: Wine offers only its own mouse and keyboard, so the
// search must find no collection of our mouse and must not disturb those devices.
class Win32DeviceLinkTest : public testing::Test {
protected:
    TWin32Hid FHid;
    TWin32WindowSystem FWindows;
    TWin32IniFile FIni;
    TWin32Shell FShell;
    TWin32DebugOutput FDebug;
    TWin32DeviceNotifications FNotifications;
};

TEST_F(Win32DeviceLinkTest, TheSearchFindsNoMouseAmongWinesOwnDevices) {
    TuiHIDData Data(FHid, FWindows, FIni, FShell, FDebug);
    Data.HidFindAndReadDevice(VANTO_MOUSE_COLLECTION.AsInteger(), u"*");
    auto Request = std::make_unique<THIDDataParam>();
    Request->UsageAndPage = VANTO_MOUSE_COLLECTION;
    Request->Data.ReportID = 2;
    Request->Data.DATASIZE = 16;
    EXPECT_FALSE(Data.IsDeviceExist(*Request));
    EXPECT_EQ(Data.HidFindAndSetFeatureReport(*Request), platform::HID_ERROR_DEVICE_NOT_CONNECTED);
    // The usage page of Wine's own mouse does match its own collection.
    Request->UsageAndPage = USAGE_AND_PAGE{0x0002, 0x0001};
    EXPECT_TRUE(Data.IsDeviceExist(*Request));
    Data.HidStopRead();
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
