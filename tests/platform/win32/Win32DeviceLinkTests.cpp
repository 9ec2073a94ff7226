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

} // namespace
} // namespace vanto::win32
