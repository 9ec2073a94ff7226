// The virtual mouse itself, through the Win32 HID transport: what a test of the monitor relies
// on when it lets the mouse send a report or reads back what an upload wrote.

#include "DeviceChanges.h"
#include "VirtualMouse.h"
#include "platform/win32/Win32Hid.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <functional>
#include <future>
#include <string>
#include <thread>
#include <vector>

namespace vanto::vmouse {
namespace {

using namespace std::chrono_literals;
using platform::THidReadStatus;

constexpr DWORD WAIT_MS = 10000;
constexpr std::int32_t STATUS_DEVICE_NOT_CONNECTED = static_cast<std::int32_t>(0xC000009D);

std::u16string AsPath(const std::wstring& APath) {
    return {APath.begin(), APath.end()};
}

// A feature report of the mouse's upload protocol: ID, command, six argument bytes, payload,
// zeros up to the report's length.
std::vector<std::uint8_t> FeatureReport(std::uint8_t AId, std::size_t ALength,
                                        std::vector<std::uint8_t> AHeader,
                                        const std::vector<std::uint8_t>& APayload = {}) {
    std::vector<std::uint8_t> Report(ALength, 0);
    Report[0] = AId;
    std::copy(AHeader.begin(), AHeader.end(), Report.begin() + 1);
    std::copy(APayload.begin(), APayload.end(), Report.begin() + 8);
    return Report;
}

std::vector<std::uint8_t> ModeReport(std::uint8_t AMode) {
    return FeatureReport(2, 16, {6, AMode});
}

std::vector<std::uint8_t> WriteReport(std::uint8_t AId, std::size_t ALength, std::uint16_t AAddress,
                                      std::size_t ACount, std::uint8_t AFill) {
    const std::vector<std::uint8_t> Payload(ACount, AFill);
    return FeatureReport(AId, ALength,
                         {2, static_cast<std::uint8_t>(AAddress & 0xFF),
                          static_cast<std::uint8_t>(AAddress >> 8),
                          static_cast<std::uint8_t>(ACount & 0xFF),
                          static_cast<std::uint8_t>(ACount >> 8), 0xFA, 0xFA},
                         Payload);
}

// Handles this thread's messages until ADone or the wait ran out.
bool PumpUntil(const std::function<bool()>& ADone) {
    const ULONGLONG Deadline = GetTickCount64() + WAIT_MS;
    while (!ADone()) {
        if (GetTickCount64() >= Deadline) {
            return false;
        }
        MSG Message;
        while (PeekMessageW(&Message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&Message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}

class VirtualMouseTest : public testing::Test {
protected:
    void SetUp() override {
        std::wstring Error;
        ASSERT_TRUE(FMouse.PlugInFresh(WAIT_MS, Error)) << std::string(Error.begin(), Error.end());
    }

    std::unique_ptr<platform::IHidDevice> OpenVendor(bool AForReading) {
        return FHid.Open(AsPath(InterfacePath(VMOUSE_VENDOR)), AForReading);
    }

    TVirtualMouse FMouse;
    win32::TWin32Hid FHid;
};

TEST_F(VirtualMouseTest, TheMouseIsTwoHidInterfacesWithTheCollectionsOfAUsbCompositeMouse) {
    const auto Present = FHid.PresentInterfaces();
    ASSERT_TRUE(Present.has_value());
    struct TExpected {
        std::uint32_t FCollection;
        platform::THidCaps FCaps;
        std::u16string FConfiguredId;
    };
    const TExpected Expected[] = {
        {VMOUSE_POINTER, {0x0002, 0x0001, 5, 0, 0}, u"HID\\VID_FEED&PID_7A01&MI_00"},
        {VMOUSE_VENDOR, {0x0001, 0xFFA0, 8, 0, 4096}, u"HID\\VID_FEED&PID_7A01&MI_01"},
    };
    for (const TExpected& Each : Expected) {
        SCOPED_TRACE(Each.FCollection);
        const std::u16string Path = AsPath(InterfacePath(Each.FCollection));
        const auto Listed = std::find_if(Present->begin(), Present->end(),
                                         [&](const auto& AOne) { return AOne.FPath == Path; });
        ASSERT_NE(Listed, Present->end());
        EXPECT_NE(
            std::find(Listed->FHardwareIds.begin(), Listed->FHardwareIds.end(), Each.FConfiguredId),
            Listed->FHardwareIds.end());
        const auto Device = FHid.Open(Path, false);
        ASSERT_NE(Device, nullptr);
        EXPECT_TRUE(Device->GetAttributes());
        const auto Caps = Device->GetCaps();
        ASSERT_TRUE(Caps.has_value());
        EXPECT_EQ(Caps->UsagePage, Each.FCaps.UsagePage);
        EXPECT_EQ(Caps->Usage, Each.FCaps.Usage);
        EXPECT_EQ(Caps->InputReportByteLength, Each.FCaps.InputReportByteLength);
        EXPECT_EQ(Caps->FeatureReportByteLength, Each.FCaps.FeatureReportByteLength);
    }
}

// Reports pushed before the read and during it come out in order, whole, through overlapped
// reads that wait for them.
TEST_F(VirtualMouseTest, PushedReportsCompleteOverlappedReadsInOrder) {
    const auto Vendor = OpenVendor(true);
    ASSERT_NE(Vendor, nullptr);
    const auto Stop = FHid.CreateStopSignal();
    const std::array<std::uint8_t, 8> Press{7, 0x80, 0, 0, 0, 0, 0, 0};
    const std::array<std::uint8_t, 8> Release{7, 0, 0, 0, 0, 0, 0, 0};
    const std::array<std::uint8_t, 8> Profile{8, 1, 1, 0, 0, 0, 0, 0};
    ASSERT_TRUE(FMouse.PushReport(VMOUSE_VENDOR, Press));

    auto Read = [&] {
        std::vector<std::uint8_t> Buffer(8);
        const auto Result = Vendor->Read(Buffer.data(), 8, *Stop);
        Buffer.resize(Result.FStatus == THidReadStatus::Data ? Result.FBytesRead : 0);
        return Buffer;
    };
    EXPECT_EQ(Read(), std::vector<std::uint8_t>(Press.begin(), Press.end()));

    auto Pending = std::async(std::launch::async, Read);
    EXPECT_EQ(Pending.wait_for(200ms), std::future_status::timeout) << "a read with no report";
    ASSERT_TRUE(FMouse.PushReport(VMOUSE_VENDOR, Release));
    ASSERT_TRUE(FMouse.PushReport(VMOUSE_VENDOR, Profile));
    ASSERT_EQ(Pending.wait_for(std::chrono::milliseconds(WAIT_MS)), std::future_status::ready);
    EXPECT_EQ(Pending.get(), std::vector<std::uint8_t>(Release.begin(), Release.end()));
    EXPECT_EQ(Read(), std::vector<std::uint8_t>(Profile.begin(), Profile.end()));
}

// Every feature report reaches the mouse whole, at its declared length, in the order sent, and
// the mouse reads the upload protocol out of them on its own.
TEST_F(VirtualMouseTest, FeatureReportsArriveWholeInOrderAndWriteTheBanks) {
    const auto Vendor = OpenVendor(false);
    ASSERT_NE(Vendor, nullptr);
    const std::vector<std::vector<std::uint8_t>> Sent = {
        ModeReport(0),
        WriteReport(2, 16, 144, 8, 0x11),                   // bank 0 button table
        WriteReport(3, 64, 209, 56, 0x22),                  // bank 0 macro slot 0
        WriteReport(4, 1024, 2304 + 144, 65, 0x33),         // bank 1 button table
        WriteReport(5, 2048, 2304 + 209 + 384, 1500, 0x44), // bank 1 slots 1 to 4
        WriteReport(6, 4096, 0, 4000, 0x55),                // most of both banks
        WriteReport(2, 16, 4600, 8, 0x66),                  // the last bytes
        ModeReport(1),
    };
    for (const auto& Report : Sent) {
        ASSERT_EQ(Vendor->SetFeature(Report.data(), static_cast<std::uint32_t>(Report.size())),
                  platform::HID_ERROR_NONE)
            << "report " << int{Report[0]};
    }
    const auto Received = FMouse.FeatureReports();
    ASSERT_TRUE(Received.has_value());
    ASSERT_EQ(Received->size(), Sent.size());
    for (std::size_t Index = 0; Index < Sent.size(); ++Index) {
        SCOPED_TRACE(Index);
        EXPECT_EQ((*Received)[Index].FBytes, Sent[Index]);
        EXPECT_EQ((*Received)[Index].FStatus, 0);
        EXPECT_EQ((*Received)[Index].FReading,
                  Sent[Index][1] == 6 ? VMOUSE_READ_MODE : VMOUSE_READ_WRITE);
    }
    const auto Status = FMouse.Status();
    ASSERT_TRUE(Status.has_value());
    EXPECT_EQ(Status->FUploadsCompleted, 1u);
    EXPECT_EQ(Status->FMode, 1u);

    // The report 6 write covered bank 0 whole and bank 1 up to byte 1695 of it.
    const auto Bank0 = FMouse.Bank(0);
    const auto Bank1 = FMouse.Bank(1);
    ASSERT_TRUE(Bank0 && Bank1);
    EXPECT_EQ(Bank0->FButtonTable[0], 0x55);
    EXPECT_EQ(Bank0->FMacroSlots[4][383], 0x55);
    EXPECT_EQ(Bank1->FMacroSlots[3][0], 0x55);   // 2304 + 209 + 3 * 384 = 3665 < 4000
    EXPECT_EQ(Bank1->FMacroSlots[3][383], 0x44); // 4048: written by report 5 only
    EXPECT_EQ(Bank1->FMacroSlots[4][383], 0x00); // 4432: nobody wrote it
}

// A report shorter than its ID declares never reaches the mouse under Wine, and a write with
// no mode 0 before it is refused by the mouse, leaving its memory as it was.
TEST_F(VirtualMouseTest, TheMouseTakesOnlyWellFormedReportsInsideAnUpload) {
    const auto Vendor = OpenVendor(false);
    ASSERT_NE(Vendor, nullptr);
    const auto Short = WriteReport(2, 12, 144, 4, 0x77);
    EXPECT_NE(Vendor->SetFeature(Short.data(), 12), platform::HID_ERROR_NONE);
    const auto Outside = WriteReport(2, 16, 144, 8, 0x77);
    EXPECT_EQ(Vendor->SetFeature(Outside.data(), 16), platform::HID_ERROR_NONE);

    const auto Received = FMouse.FeatureReports();
    ASSERT_TRUE(Received.has_value());
    ASSERT_EQ(Received->size(), 1u);
    EXPECT_EQ(Received->front().FReading, VMOUSE_READ_OUTSIDE_UPLOAD);
    EXPECT_EQ(FMouse.Bank(0)->FButtonTable[0], 0);
    EXPECT_EQ(FMouse.Status()->FRefusedReports, 1u);
}

// The fault lets one write pass, fails the next two and none after them; a failed write leaves
// the memory as it was.
TEST_F(VirtualMouseTest, AFaultFailsTheWritesItCountsAndNoneBeforeOrAfter) {
    const auto Vendor = OpenVendor(false);
    ASSERT_NE(Vendor, nullptr);
    ASSERT_TRUE(FMouse.FaultFeatureWrites({1, 2, STATUS_DEVICE_NOT_CONNECTED, 0}));
    const auto Open = ModeReport(0);
    const auto Write = WriteReport(2, 16, 144, 8, 0x11);
    const auto Other = WriteReport(2, 16, 144, 8, 0x22);
    EXPECT_EQ(Vendor->SetFeature(Open.data(), 16), platform::HID_ERROR_NONE);
    EXPECT_EQ(Vendor->SetFeature(Write.data(), 16), platform::HID_ERROR_DEVICE_NOT_CONNECTED);
    EXPECT_EQ(Vendor->SetFeature(Write.data(), 16), platform::HID_ERROR_DEVICE_NOT_CONNECTED);
    EXPECT_EQ(FMouse.Bank(0)->FButtonTable[0], 0);
    EXPECT_EQ(Vendor->SetFeature(Other.data(), 16), platform::HID_ERROR_NONE);

    const auto Received = FMouse.FeatureReports();
    ASSERT_TRUE(Received.has_value());
    ASSERT_EQ(Received->size(), 4u);
    for (std::size_t Index = 1; Index < 3; ++Index) {
        EXPECT_EQ((*Received)[Index].FStatus, STATUS_DEVICE_NOT_CONNECTED);
        EXPECT_EQ((*Received)[Index].FReading, VMOUSE_READ_FAILED_ON_REQUEST);
    }
    EXPECT_EQ((*Received)[3].FReading, VMOUSE_READ_WRITE);
    EXPECT_EQ(FMouse.Bank(0)->FButtonTable[0], 0x22);
    EXPECT_EQ(FMouse.Status()->FFaultsToCome, 0u);
}

// Pulling the mouse out ends a read in flight and is told to windows registered for HID
// interfaces, as plugging it in again is; the mouse keeps its memory meanwhile.
TEST_F(VirtualMouseTest, UnplugAndPlugAreRemovalsAndArrivalsAndEndAReadInFlight) {
    TDeviceChanges Changes;
    ASSERT_TRUE(Changes.Registered());
    const auto Vendor = OpenVendor(true);
    ASSERT_NE(Vendor, nullptr);
    const auto Stop = FHid.CreateStopSignal();
    const auto Open = ModeReport(0);
    const auto Write = WriteReport(2, 16, 144, 8, 0x5A);
    ASSERT_EQ(Vendor->SetFeature(Open.data(), 16), platform::HID_ERROR_NONE);
    ASSERT_EQ(Vendor->SetFeature(Write.data(), 16), platform::HID_ERROR_NONE);

    auto Pending = std::async(std::launch::async, [&] {
        std::array<std::uint8_t, 8> Buffer{};
        return Vendor->Read(Buffer.data(), 8, *Stop);
    });
    EXPECT_EQ(Pending.wait_for(200ms), std::future_status::timeout);
    std::wstring Error;
    ASSERT_TRUE(Unplug(Error)) << std::string(Error.begin(), Error.end());
    ASSERT_EQ(Pending.wait_for(std::chrono::milliseconds(WAIT_MS)), std::future_status::ready)
        << "the read in flight outlived the mouse";
    // Windows ends it with ERROR_DEVICE_NOT_CONNECTED; Wine 8 with ERROR_ACCESS_DENIED. Either
    // way the handle is dead: the next read does not even start.
    const auto Ended = Pending.get();
    EXPECT_EQ(Ended.FStatus, THidReadStatus::Failed);
    EXPECT_TRUE(Ended.FError == platform::HID_ERROR_DEVICE_NOT_CONNECTED ||
                Ended.FError == ERROR_ACCESS_DENIED)
        << Ended.FError;
    std::array<std::uint8_t, 8> Buffer{};
    EXPECT_EQ(Vendor->Read(Buffer.data(), 8, *Stop).FStatus, THidReadStatus::StartFailed);
    EXPECT_TRUE(PumpUntil([&] { return Changes.Removals() >= 2; }));
    EXPECT_TRUE(WaitForInterfaces(false, WAIT_MS));
    EXPECT_EQ(Changes.Arrivals(), 0);
    EXPECT_FALSE(FMouse.PushReport(VMOUSE_VENDOR, std::array<std::uint8_t, 8>{7, 1}));

    ASSERT_TRUE(Plug(BuiltInfPath(), Error)) << std::string(Error.begin(), Error.end());
    EXPECT_TRUE(PumpUntil([&] { return Changes.Arrivals() >= 2; }));
    EXPECT_TRUE(WaitForInterfaces(true, WAIT_MS));
    EXPECT_EQ(FMouse.Bank(0)->FButtonTable[0], 0x5A);
    const auto Status = FMouse.Status();
    ASSERT_TRUE(Status.has_value());
    EXPECT_EQ(Status->FCollections[VMOUSE_VENDOR].FStarted, 1u);
}

} // namespace
} // namespace vanto::vmouse
