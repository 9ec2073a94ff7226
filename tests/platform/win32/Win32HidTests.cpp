#include "VirtualMouse.h"
#include "platform/win32/Win32DeviceNotifications.h"
#include "platform/win32/Win32Hid.h"
#include "platform/win32/Win32WindowSystem.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <set>
#include <string_view>
#include <thread>
#include <vector>

namespace vanto::win32 {
namespace {

using namespace std::chrono_literals;
using namespace std::string_view_literals;
using platform::IHidDevice;
using platform::THidCaps;
using platform::THidInterfaceInfo;
using platform::THidReadStatus;

constexpr std::uint16_t GenericDesktopPage = 0x0001;
constexpr std::uint16_t MouseUsage = 0x0002;
constexpr std::uint16_t KeyboardUsage = 0x0006;
constexpr std::uint16_t VendorPage = 0xFFA0;
constexpr std::uint16_t VendorUsage = 0x0001;

TEST(SplitMultiStringTest, ReadsUpToTheEmptyStringOrTheEndOfTheData) {
    using Ids = std::vector<std::u16string>;
    constexpr std::u16string_view Terminated = u"HID\\VID_1&PID_2\0HID_DEVICE\0\0"sv;
    EXPECT_EQ(SplitMultiString(Terminated), (Ids{u"HID\\VID_1&PID_2", u"HID_DEVICE"}));

    // A value stored without its final NULs ends where the returned data ends, even when the
    // buffer goes on behind it.
    constexpr std::u16string_view Buffer = u"A\0BC"sv;
    EXPECT_EQ(SplitMultiString(Buffer.substr(0, 3)), (Ids{u"A", u"B"}));
    EXPECT_EQ(SplitMultiString(Buffer.substr(0, 1)), (Ids{u"A"}));

    EXPECT_EQ(SplitMultiString(u"A\0\0B\0\0"sv), (Ids{u"A"}));
    EXPECT_TRUE(SplitMultiString({}).empty());
    EXPECT_TRUE(SplitMultiString(u"\0\0"sv).empty());
}

TEST(Win32HidStopSignalTest, StaysSetUntilResetAndEachSignalIsItsOwn) {
    TWin32Hid Hid;
    const auto First = Hid.CreateStopSignal();
    const auto Second = Hid.CreateStopSignal();
    EXPECT_FALSE(First->IsSet());
    EXPECT_FALSE(First->Wait(0)); // a rest runs out while nobody stops

    First->Set();
    EXPECT_TRUE(First->Wait(10000)); // and ends at once on the stop
    // Looking does not consume it: every reader must see the same stop.
    EXPECT_TRUE(First->IsSet());
    EXPECT_TRUE(First->IsSet());
    EXPECT_FALSE(Second->IsSet());

    First->Reset();
    EXPECT_FALSE(First->IsSet());
}

// The HID class with the virtual mouse plugged in: its pointer and vendor collections beside
// whatever devices Wine has of its own.
class Win32HidTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::wstring Error;
        ASSERT_TRUE(FMouse.PlugInFresh(10000, Error)) << std::string(Error.begin(), Error.end());
        FPointerPath = PathOf(VMOUSE_POINTER);
        FVendorPath = PathOf(VMOUSE_VENDOR);
        ListInterfaces();
    }

    void ListInterfaces() {
        const auto Present = FHid.PresentInterfaces();
        ASSERT_TRUE(Present.has_value()) << "the set of present HID interfaces is unavailable";
        FInterfaces = *Present;
    }

    static std::u16string PathOf(std::uint32_t ACollection) {
        const std::wstring Path = vmouse::InterfacePath(ACollection);
        return {Path.begin(), Path.end()};
    }

    // Every interface with its caps; one that does not open or has no caps fails the test.
    std::vector<std::pair<std::u16string, THidCaps>> OpenAll() {
        std::vector<std::pair<std::u16string, THidCaps>> Opened;
        for (const THidInterfaceInfo& Interface : FInterfaces) {
            const auto Device = FHid.Open(Interface.FPath, false);
            if (Device == nullptr) {
                ADD_FAILURE() << "cannot open " << ToText(Interface.FPath);
                continue;
            }
            EXPECT_TRUE(Device->GetAttributes());
            const auto Caps = Device->GetCaps();
            if (!Caps) {
                ADD_FAILURE() << "no caps for " << ToText(Interface.FPath);
                continue;
            }
            Opened.emplace_back(Interface.FPath, *Caps);
        }
        return Opened;
    }

    static std::string ToText(const std::u16string& AText) {
        return {AText.begin(), AText.end()}; // paths and ids are plain ASCII
    }

    vmouse::TVirtualMouse FMouse;
    TWin32Hid FHid;
    std::vector<THidInterfaceInfo> FInterfaces;
    std::u16string FPointerPath;
    std::u16string FVendorPath;
};

TEST_F(Win32HidTest, PresentInterfacesComeWithTheirPathsAndHardwareIds) {
    ASSERT_FALSE(FInterfaces.empty());
    std::set<std::u16string> Paths;
    for (const THidInterfaceInfo& Interface : FInterfaces) {
        EXPECT_EQ(Interface.FPath.rfind(u"\\\\?\\", 0), 0u) << ToText(Interface.FPath);
        ASSERT_FALSE(Interface.FHardwareIds.empty()) << ToText(Interface.FPath);
        for (const std::u16string& Id : Interface.FHardwareIds) {
            EXPECT_FALSE(Id.empty()) << ToText(Interface.FPath);
            EXPECT_EQ(Id.find(u'\0'), std::u16string::npos);
        }
        Paths.insert(Interface.FPath);
    }
    EXPECT_EQ(Paths.size(), FInterfaces.size()) << "an interface was listed twice";
    EXPECT_TRUE(Paths.contains(FPointerPath));
    EXPECT_TRUE(Paths.contains(FVendorPath));
}

// Only the mouse has its vendor collection; every other interface is one of the system's
// generic desktop devices, and the mouse's own pointer is one of them.
TEST_F(Win32HidTest, TheVendorCollectionIsTheMousesAndTheRestAreGenericDesktopDevices) {
    std::set<std::uint16_t> Usages;
    std::vector<std::u16string> VendorCollections;
    for (const auto& [Path, Caps] : OpenAll()) {
        if (Caps.UsagePage == VendorPage && Caps.Usage == VendorUsage) {
            VendorCollections.push_back(Path);
            continue;
        }
        EXPECT_EQ(Caps.UsagePage, GenericDesktopPage) << ToText(Path);
        EXPECT_GT(Caps.InputReportByteLength, 0u) << ToText(Path);
        Usages.insert(Caps.Usage);
    }
    EXPECT_EQ(VendorCollections, std::vector<std::u16string>{FVendorPath});
    EXPECT_TRUE(Usages.contains(MouseUsage));
    EXPECT_TRUE(Usages.contains(KeyboardUsage));
}

// With the mouse pulled out, Wine's own devices are left and none of them has its collection.
TEST_F(Win32HidTest, WithoutTheMouseNoInterfaceIsItsVendorCollection) {
    std::wstring Error;
    ASSERT_TRUE(vmouse::Unplug(Error));
    ASSERT_TRUE(vmouse::WaitForInterfaces(false, 10000));
    ListInterfaces();
    for (const auto& [Path, Caps] : OpenAll()) {
        EXPECT_EQ(Caps.UsagePage, GenericDesktopPage) << ToText(Path);
        EXPECT_FALSE(Caps.UsagePage == VendorPage && Caps.Usage == VendorUsage) << ToText(Path);
        EXPECT_NE(Path, FVendorPath);
    }
    EXPECT_EQ(FHid.Open(FVendorPath, true), nullptr);
    ASSERT_TRUE(vmouse::Plug(vmouse::BuiltInfPath(), Error));
    EXPECT_TRUE(vmouse::WaitForInterfaces(true, 10000));
}

TEST_F(Win32HidTest, OnlyExistingInterfacesOpen) {
    EXPECT_EQ(FHid.Open(u"\\\\?\\hid#vanto_no_such_device#0#{4d1e55b2-f16f-11cf-88cb-001111000030}",
                        true),
              nullptr);
    EXPECT_EQ(FHid.Open(u"", false), nullptr);
}

TEST_F(Win32HidTest, MouseReportsParseIntoTheButtonsTheyHaveOn) {
    const auto Mouse = FHid.Open(FPointerPath, false);
    ASSERT_NE(Mouse, nullptr);
    const std::uint32_t Length = Mouse->GetCaps()->InputReportByteLength;
    ASSERT_GE(Length, 2u);
    EXPECT_GE(Mouse->MaxUsageListLength(), 3u);

    // No report ID: the first byte is 0 and the button bits follow it.
    std::vector<std::uint8_t> Report(Length, 0);
    EXPECT_EQ(Mouse->UsagesOn(Report.data(), Length), std::vector<std::uint16_t>{});
    Report[1] = 0x05;
    EXPECT_EQ(Mouse->UsagesOn(Report.data(), Length), (std::vector<std::uint16_t>{1, 3}));
}

// The pointer collection has no feature reports at all; the vendor collection takes its own
// but answers no reads of them.
TEST_F(Win32HidTest, FeatureReportsTheCollectionDoesNotHaveFailWithAnError) {
    const auto Mouse = FHid.Open(FPointerPath, false);
    ASSERT_NE(Mouse, nullptr);
    std::uint8_t Report[16] = {2, 6};
    EXPECT_NE(Mouse->GetFeature(Report, sizeof(Report)), platform::HID_ERROR_NONE);
    EXPECT_NE(Mouse->SetFeature(Report, sizeof(Report)), platform::HID_ERROR_NONE);
    const auto Vendor = FHid.Open(FVendorPath, false);
    ASSERT_NE(Vendor, nullptr);
    EXPECT_NE(Vendor->GetFeature(Report, sizeof(Report)), platform::HID_ERROR_NONE);
    EXPECT_EQ(FMouse.FeatureReports()->size(), 0u);
}

// Reads on a thread of their own and notes whether each read ended only after the test had
// decided to stop it.
class TReaderThread {
public:
    TReaderThread(IHidDevice& ADevice, platform::IHidStopSignal& AStop, std::uint32_t ALength)
        : FBuffer(ALength), FDone(FResult.get_future()) {
        FThread = std::thread([this, &ADevice, &AStop] {
            FStarted = true;
            const auto Result = ADevice.Read(FBuffer.data(), FBuffer.size(), AStop);
            FEndedAfterStop = FStopping.load();
            FResult.set_value(Result);
        });
    }
    TReaderThread(const TReaderThread&) = delete;
    TReaderThread& operator=(const TReaderThread&) = delete;
    ~TReaderThread() { FThread.join(); }

    void WaitUntilStarted() {
        while (!FStarted) {
            std::this_thread::yield();
        }
    }

    // A read that ignores the stop would hang the whole run; this ends it with a message instead.
    platform::THidReadResult StopWith(platform::IHidStopSignal& AStop) {
        FStopping = true;
        AStop.Set();
        if (FDone.wait_for(30s) != std::future_status::ready) {
            std::fputs("Read did not return after the stop signal was set\n", stderr);
            std::abort();
        }
        return FDone.get();
    }

    bool EndedAfterStop() const { return FEndedAfterStop; }

private:
    std::vector<std::uint8_t> FBuffer;
    std::promise<platform::THidReadResult> FResult;
    std::future<platform::THidReadResult> FDone;
    std::atomic<bool> FStarted = false;
    std::atomic<bool> FStopping = false;
    std::atomic<bool> FEndedAfterStop = false;
    std::thread FThread;
};

TEST_F(Win32HidTest, ReadWaitsForTheStopSignalAndTheHandleServesTheNextRead) {
    const auto Mouse = FHid.Open(FVendorPath, true);
    ASSERT_NE(Mouse, nullptr);
    const std::uint32_t Length = Mouse->GetCaps()->InputReportByteLength;
    const auto Stop = FHid.CreateStopSignal();

    for (int Round = 0; Round < 2; ++Round) {
        SCOPED_TRACE(Round);
        Stop->Reset();
        TReaderThread Reader(*Mouse, *Stop, Length);
        Reader.WaitUntilStarted();
        // Gives the read time to be in flight; the outcome does not depend on it.
        std::this_thread::sleep_for(50ms);
        const auto Result = Reader.StopWith(*Stop);
        EXPECT_EQ(Result.FStatus, THidReadStatus::Stopped) << "error " << Result.FError;
        EXPECT_TRUE(Reader.EndedAfterStop());
    }

    // A stop that is already set ends the read without waiting for a report.
    std::vector<std::uint8_t> Buffer(Length);
    EXPECT_EQ(Mouse->Read(Buffer.data(), Length, *Stop).FStatus, THidReadStatus::Stopped);

    // The cancelled reads took nothing: the report the mouse sends next is the next one read.
    Stop->Reset();
    const std::vector<std::uint8_t> Press = {7, 0x40, 0, 0, 0, 0, 0, 0};
    ASSERT_TRUE(FMouse.PushReport(VMOUSE_VENDOR, Press));
    const auto Result = Mouse->Read(Buffer.data(), Length, *Stop);
    ASSERT_EQ(Result.FStatus, THidReadStatus::Data);
    EXPECT_EQ(Result.FBytesRead, Length);
    EXPECT_EQ(Buffer, Press);
}

TEST_F(Win32HidTest, ReadRefusesAHandleThatCannotBeStopped) {
    const auto Mouse = FHid.Open(FVendorPath, false);
    ASSERT_NE(Mouse, nullptr);
    const auto Stop = FHid.CreateStopSignal();
    std::vector<std::uint8_t> Buffer(Mouse->GetCaps()->InputReportByteLength);
    const auto Result = Mouse->Read(Buffer.data(), Buffer.size(), *Stop);
    EXPECT_EQ(Result.FStatus, THidReadStatus::StartFailed);
    EXPECT_EQ(Result.FError, platform::HID_ERROR_INVALID_HANDLE);
}

TEST(Win32DeviceNotificationsTest, AHiddenWindowRegistersForHidInterfaces) {
    TWin32WindowSystem Windows;
    const platform::TWindowHandle Window =
        Windows.CreateHiddenWindow(u"VantoTestDeviceWatcher", u"",
                                   [](auto, auto, auto) { return platform::TMessageResult{0}; });
    ASSERT_NE(Window, 0u);
    TWin32DeviceNotifications Notifications;
    EXPECT_TRUE(Notifications.RegisterForHidInterfaces(Window));
}

} // namespace
} // namespace vanto::win32
