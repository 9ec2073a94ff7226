#include "platform/sim/SimMouse.h"

#include "platform/sim/SimWindowSystem.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>
#include <thread>

namespace vanto::sim {
namespace {

using testing::ElementsAre;

std::vector<std::uint8_t> Report(std::uint8_t AId, std::size_t ALength,
                                 std::initializer_list<std::uint8_t> AHead) {
    std::vector<std::uint8_t> Bytes(ALength);
    std::copy(AHead.begin(), AHead.end(), Bytes.begin());
    Bytes[0] = AId;
    return Bytes;
}

std::vector<std::uint8_t> Mode(std::uint8_t AMode) {
    return Report(2, 16, {2, 6, AMode});
}

std::vector<std::uint8_t> Write(std::uint16_t AAddress, std::vector<std::uint8_t> AData) {
    auto Length = static_cast<std::uint16_t>(AData.size());
    std::uint8_t Id = 8 + Length <= 16 ? 2 : 8 + Length <= 64 ? 3 : 4;
    std::vector<std::uint8_t> Bytes =
        Report(Id,
               Id == 2   ? 16
               : Id == 3 ? 64
                         : 1024,
               {Id, 2, std::uint8_t(AAddress), std::uint8_t(AAddress >> 8), std::uint8_t(Length),
                std::uint8_t(Length >> 8), 0xFA, 0xFA});
    std::copy(AData.begin(), AData.end(), Bytes.begin() + 8);
    return Bytes;
}

class SimMouseTest : public testing::Test {
protected:
    TSimClock FClock;
    TSimWindowSystem FWindows{FClock};
    TSimHid FHub{FWindows};
    TSimMouse FMouse;
};

TEST_F(SimMouseTest, AnUploadFillsTheAddressedBanks) {
    std::vector<std::uint8_t> Table(65);
    Table[0] = 10;
    Table[1] = 17;
    std::vector<std::uint8_t> Macro{0x84, 4, 0, 6, 2, 0, 0x04, 4, 0};
    for (const auto& R : {Mode(0), Write(144, Table), Write(209, Macro), Write(2448, Table),
                          Write(2513 + 384 * 4, Macro), Mode(1)}) {
        EXPECT_FALSE(FMouse.TakeFeatureReport(R).has_value());
    }
    EXPECT_EQ(FMouse.ButtonTable(0)[1], 17);
    EXPECT_EQ(FMouse.ButtonTable(1), FMouse.ButtonTable(0));
    const auto Slot = FMouse.MacroSlot(0, 0);
    EXPECT_THAT(std::vector(Slot.begin(), Slot.begin() + 10),
                ElementsAre(0x84, 4, 0, 6, 2, 0, 0x04, 4, 0, 0));
    EXPECT_EQ(FMouse.MacroSlot(1, 4), FMouse.MacroSlot(0, 0));
    EXPECT_EQ(FMouse.Memory()[4049 + 8], 0); // the write stopped at its length
    EXPECT_EQ(FMouse.AcceptedReports().size(), 6u);
    EXPECT_EQ(FMouse.CompletedUploads(), 1u);
    EXPECT_FALSE(FMouse.InUpload());
}

TEST_F(SimMouseTest, MalformedReportsAreCountedAndChangeNothing) {
    using R = TFeatureRejection;
    std::vector<std::uint8_t> PayloadTooLong = Write(144, {1, 2});
    PayloadTooLong[4] = 9; // 8 + 9 > 16
    std::vector<std::uint8_t> NoMarker = Write(144, {1});
    NoMarker[7] = 0;
    const std::pair<std::vector<std::uint8_t>, R> Cases[] = {
        {{}, R::WrongLength},
        {Report(1, 16, {}), R::UnknownReportId},
        {Report(2, 15, {2, 6}), R::WrongLength},
        {Report(3, 16, {3, 6}), R::WrongLength},
        {Report(2, 16, {2, 9}), R::UnknownCommand},
        {Report(2, 16, {2, 0x82}), R::UnknownCommand},
        {Mode(2), R::UnknownMode},
        {PayloadTooLong, R::PayloadPastReport},
        {NoMarker, R::BadWriteMarker},
        {Write(4600, std::vector<std::uint8_t>(9, 1)), R::PastMemory},
        {Write(144, {1}), R::OutsideUpload},
    };
    for (const auto& [Bytes, Reason] : Cases) {
        EXPECT_EQ(FMouse.TakeFeatureReport(Bytes), Reason);
    }
    FMouse.TakeFeatureReport(Mode(0));
    FMouse.TakeFeatureReport(Mode(1));
    EXPECT_EQ(FMouse.TakeFeatureReport(Write(144, {1})), R::OutsideUpload); // after mode 1
    EXPECT_EQ(FMouse.RejectedCount(), std::size(Cases) + 1);
    EXPECT_EQ(FMouse.RejectedCount(R::WrongLength), 3u);
    EXPECT_EQ(FMouse.Memory(), (std::array<std::uint8_t, MOUSE_MEMORY_SIZE>{}));
    EXPECT_EQ(FMouse.AcceptedReports().size(), 2u);
}

TEST_F(SimMouseTest, RandomBytesNeverWriteOutsideTheMemory) {
    std::mt19937 Random(1234);
    FMouse.TakeFeatureReport(Mode(0));
    for (int I = 0; I < 3000; ++I) {
        std::vector<std::uint8_t> Bytes(Random() % 2 ? 16 : Random() % 4200);
        for (auto& B : Bytes) {
            B = static_cast<std::uint8_t>(Random());
        }
        if (!Bytes.empty() && Random() % 2) {
            Bytes[0] = 2 + Random() % 5;
        }
        FMouse.TakeFeatureReport(Bytes);
    }
    EXPECT_EQ(FMouse.AcceptedReports().size() + FMouse.RejectedCount(), 3001u);
}

TEST_F(SimMouseTest, ButtonAndProfileReportsReachOpenReadHandles) {
    FMouse.PlugInto(FHub);
    auto Handle = FHub.Open(FMouse.VendorPath(), true);
    auto Stop = FHub.CreateStopSignal();
    EXPECT_EQ(FMouse.PressButton(10), 1u);
    EXPECT_EQ(FMouse.SwitchProfile(1), 1u);
    EXPECT_EQ(FMouse.PressButton(24), 0u);
    std::vector<std::vector<std::uint8_t>> Read;
    for (int I = 0; I < 3; ++I) {
        std::vector<std::uint8_t> Buffer(8);
        platform::THidReadResult Result = Handle->Read(Buffer.data(), 8, *Stop);
        EXPECT_EQ(Result.FStatus, platform::THidReadStatus::Data);
        Read.push_back(Buffer);
    }
    EXPECT_THAT(Read, ElementsAre(ElementsAre(7, 0, 4, 0, 0, 0, 0, 0),
                                  ElementsAre(7, 0, 0, 0, 0, 0, 0, 0),
                                  ElementsAre(8, 1, 1, 0, 0, 0, 0, 0)));
}

TEST_F(SimMouseTest, UnplugFailsAPendingReadAndEverythingAfter) {
    FMouse.PlugInto(FHub);
    auto Handle = FHub.Open(FMouse.VendorPath(), true);
    auto Stop = FHub.CreateStopSignal();
    platform::THidReadResult Pending;
    std::thread Reader([&] {
        std::uint8_t Buffer[8];
        Pending = Handle->Read(Buffer, 8, *Stop);
    });
    FHub.WaitForReadsWaiting(1);
    FMouse.Unplug();
    Reader.join();
    EXPECT_EQ(Pending.FStatus, platform::THidReadStatus::Failed);
    EXPECT_EQ(Pending.FError, platform::HID_ERROR_DEVICE_NOT_CONNECTED);
    std::uint8_t Buffer[16] = {2, 6};
    EXPECT_EQ(Handle->Read(Buffer, 8, *Stop).FError, platform::HID_ERROR_DEVICE_NOT_CONNECTED);
    EXPECT_EQ(Handle->SetFeature(Buffer, 16), platform::HID_ERROR_DEVICE_NOT_CONNECTED);
    EXPECT_EQ(FHub.Open(FMouse.VendorPath(), false), nullptr);
}

TEST_F(SimMouseTest, TheStopSignalEndsAPendingRead) {
    FMouse.PlugInto(FHub);
    auto Handle = FHub.Open(FMouse.VendorPath(), true);
    auto Stop = FHub.CreateStopSignal();
    platform::THidReadResult Pending;
    std::thread Reader([&] {
        std::uint8_t Buffer[8];
        Pending = Handle->Read(Buffer, 8, *Stop);
    });
    FHub.WaitForReadsWaiting(1);
    Stop->Set();
    Reader.join();
    EXPECT_EQ(Pending.FStatus, platform::THidReadStatus::Stopped);
}

} // namespace
} // namespace vanto::sim
