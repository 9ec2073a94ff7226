// The failure switches of the simulated platform refuse exactly what they say, so that the
// monitor's fault tests fail for the monitor's reasons; and names the host cannot hold never
// throw out of the simulation.

#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimHid.h"
#include "platform/sim/SimMouse.h"
#include "platform/sim/SimRegistry.h"
#include "platform/sim/SimWindowSystem.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

namespace vanto::sim {
namespace {

namespace fs = std::filesystem;

class SimPlatformFaultTest : public testing::Test {
protected:
    ~SimPlatformFaultTest() override {
        std::error_code Error;
        fs::remove_all(FRoot, Error);
    }

    std::vector<std::uint8_t> Read(const std::u16string& APath) {
        return FFiles.ReadWholeFile(APath).value_or(std::vector<std::uint8_t>{});
    }

    fs::path FRoot = fs::temp_directory_path() /
                     ("vanto-simfault-" + std::to_string(std::random_device{}()) + "-" +
                      testing::UnitTest::GetInstance()->current_test_info()->name());
    TSimFileSystem FFiles{FRoot / "files"};
    const std::vector<std::uint8_t> FTen = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
};

TEST_F(SimPlatformFaultTest, AFullDiskStoresWhatFitsAndTheWriteFails) {
    ASSERT_TRUE(FFiles.MakeFolder(u"C:"));
    FFiles.SetFreeBytes(14);
    EXPECT_TRUE(FFiles.WriteWholeFile(u"C:\\a", FTen.data(), FTen.size()));
    EXPECT_FALSE(FFiles.WriteWholeFile(u"C:\\b", FTen.data(), FTen.size()));
    EXPECT_EQ(Read(u"C:\\b"), (std::vector<std::uint8_t>{0, 1, 2, 3}));
    EXPECT_FALSE(FFiles.WriteWholeFile(u"C:\\c", FTen.data(), 1));
    // Making room again lets writes through; reading never needed room.
    FFiles.SetFreeBytes(std::nullopt);
    EXPECT_TRUE(FFiles.WriteWholeFile(u"C:\\c", FTen.data(), FTen.size()));
    EXPECT_EQ(Read(u"C:\\a"), FTen);
}

TEST_F(SimPlatformFaultTest, AMediumTurnedReadOnlyRefusesEveryChangeButReads) {
    ASSERT_TRUE(FFiles.MakeFolder(u"C:"));
    ASSERT_TRUE(FFiles.WriteWholeFile(u"C:\\old", FTen.data(), FTen.size()));
    FFiles.ReadOnlyAfter(1);
    EXPECT_TRUE(FFiles.WriteWholeFile(u"C:\\new.tmp", FTen.data(), 3));
    // The save's second step is the one that meets the protection.
    EXPECT_FALSE(FFiles.ReplaceWith(u"C:\\new.tmp", u"C:\\old"));
    EXPECT_FALSE(FFiles.RemoveFile(u"C:\\new.tmp"));
    EXPECT_FALSE(FFiles.WriteWholeFile(u"C:\\other", FTen.data(), 1));
    EXPECT_FALSE(FFiles.MakeFolder(u"C:\\Folder"));
    EXPECT_EQ(Read(u"C:\\old"), FTen);
    EXPECT_TRUE(FFiles.FileExists(u"C:\\new.tmp"));
    EXPECT_FALSE(FFiles.FileExists(u"C:\\other"));

    FFiles.SetReadOnly(false);
    EXPECT_TRUE(FFiles.ReplaceWith(u"C:\\new.tmp", u"C:\\old"));
    FFiles.SetReadOnly(true);
    EXPECT_FALSE(FFiles.WriteWholeFile(u"C:\\other", FTen.data(), 1));
}

TEST_F(SimPlatformFaultTest, RefusedFoldersAreNotMadeButFoldersThatExistStillCount) {
    ASSERT_TRUE(FFiles.MakeFolder(u"C:"));
    FFiles.SetRefuseFolders(true);
    EXPECT_TRUE(FFiles.MakeFolder(u"C:"));
    EXPECT_FALSE(FFiles.MakeFolder(u"C:\\Profiles"));
    EXPECT_FALSE(FFiles.FolderExists(u"C:\\Profiles"));
    EXPECT_TRUE(FFiles.WriteWholeFile(u"C:\\file", FTen.data(), FTen.size()));
}

// Windows takes these names; the host does not. They fail like any unusable path instead of
// throwing out of the simulation (a lone surrogate in a stored profile folder did).
TEST_F(SimPlatformFaultTest, PathsTheHostCannotNameMapNowhereAndNothingThrows) {
    ASSERT_TRUE(FFiles.MakeFolder(u"C:"));
    const std::u16string LoneHigh = u"C:\\Pro\xD800"
                                    u"files";
    const std::u16string LoneLow = u"C:\\\xDC00";
    const std::u16string Climbing = std::u16string(u"C:\\..") + u'\0' + u"x\\escaped";
    for (const std::u16string& Path : {LoneHigh, LoneLow, Climbing}) {
        EXPECT_FALSE(FFiles.HostPath(Path));
        EXPECT_FALSE(FFiles.MakeFolder(Path));
        EXPECT_FALSE(FFiles.WriteWholeFile(Path, FTen.data(), FTen.size()));
        EXPECT_FALSE(FFiles.ReadWholeFile(Path));
        EXPECT_FALSE(FFiles.FileExists(Path));
    }
    EXPECT_FALSE(fs::exists(FRoot / "escaped"));
    // A whole pair is text like any other.
    EXPECT_TRUE(FFiles.MakeFolder(u"C:\\\xD83D\xDE00"));
}

TEST_F(SimPlatformFaultTest, RefusedRegistryWritesStoreNothingAndAreCounted) {
    TSimRegistry Registry;
    ASSERT_TRUE(Registry.CreateKey(u"software\\Vanto"));
    Registry.RefuseWritesAfter(1);
    EXPECT_TRUE(Registry.WriteDWordValue(u"software\\Vanto", u"First", 1));
    EXPECT_FALSE(Registry.WriteDWordValue(u"software\\Vanto", u"Second", 2));
    EXPECT_FALSE(Registry.WriteBinaryValue(u"software\\Vanto", u"First", FTen.data(), 10));
    EXPECT_EQ(Registry.WriteCount(), 3u);
    EXPECT_FALSE(Registry.ReadValue(u"software\\Vanto", u"Second"));
    EXPECT_EQ(Registry.ReadValue(u"software\\Vanto", u"First")->FData.size(), 4u);

    Registry.SetRefuseWrites(false);
    EXPECT_TRUE(Registry.WriteDWordValue(u"software\\Vanto", u"Second", 2));

    Registry.SetRefuseKeyCreation(true);
    EXPECT_TRUE(Registry.CreateKey(u"SOFTWARE\\vanto"));
    EXPECT_FALSE(Registry.CreateKey(u"software\\Vanto\\New"));
    EXPECT_FALSE(Registry.KeyExists(u"software\\Vanto\\New"));
}

TEST_F(SimPlatformFaultTest, AValueNameWithALoneSurrogateIsStoredAndFoundAgain) {
    const std::u16string Name = u"Profile\xD800.pfd";
    {
        TSimRegistry Registry(FRoot / "registry");
        ASSERT_TRUE(Registry.CreateKey(u"software\\Vanto\xDC01"));
        ASSERT_TRUE(Registry.WriteBinaryValue(u"software\\Vanto\xDC01", Name, FTen.data(), 10));
        // A name that merely looks like the escape stays as it was written.
        ASSERT_TRUE(Registry.WriteDWordValue(u"software\\Vanto\xDC01", u"%uD800", 7));
    }
    TSimRegistry Again(FRoot / "registry");
    const auto Value = Again.ReadValue(u"software\\Vanto\xDC01", Name);
    ASSERT_TRUE(Value);
    EXPECT_EQ(Value->FData, FTen);
    ASSERT_TRUE(Again.ReadValue(u"software\\Vanto\xDC01", u"%uD800"));
    EXPECT_EQ(Again.Values(u"software\\Vanto\xDC01").size(), 2u);
}

class SimHidFaultTest : public testing::Test {
protected:
    SimHidFaultTest() { FMouse.PlugInto(FHid); }

    std::uint32_t SendMode(std::uint8_t AMode) {
        std::vector<std::uint8_t> Report(16, 0);
        Report[0] = 2;
        Report[1] = 6;
        Report[2] = AMode;
        auto Device = FHid.Open(FMouse.VendorPath(), false);
        return Device ? Device->SetFeature(Report.data(), 16)
                      : platform::HID_ERROR_DEVICE_NOT_CONNECTED;
    }

    TSimClock FClock;
    TSimWindowSystem FWindows{FClock};
    TSimHid FHid{FWindows};
    TSimMouse FMouse;
};

// An empty report once made the hub copy from a null pointer.
TEST_F(SimHidFaultTest, AnEmptyInputReportReachesTheReaderAsZeroBytes) {
    auto Device = FHid.Open(FMouse.VendorPath(), true);
    auto Stop = FHid.CreateStopSignal();
    ASSERT_TRUE(Device);
    ASSERT_EQ(FHid.SendInputReport(FMouse.VendorPath(), {}), 1u);
    std::uint8_t Buffer[8] = {0xEE};
    const platform::THidReadResult Result = Device->Read(Buffer, 8, *Stop);
    EXPECT_EQ(Result.FStatus, platform::THidReadStatus::Data);
    EXPECT_EQ(Result.FBytesRead, 0u);
    EXPECT_EQ(Buffer[0], 0xEE);
}

TEST_F(SimHidFaultTest, AMousePulledAfterItsReportsTakesTheLastAndIsGoneForTheRest) {
    std::vector<platform::TWParam> Events;
    const platform::TWindowHandle Listener =
        FWindows.CreateHiddenWindow(u"Listener", u"", [&](auto AMsg, auto AW, auto) {
            if (AMsg == platform::WM_DEVICECHANGE_MESSAGE) {
                Events.push_back(AW);
            }
            return platform::TMessageResult{0};
        });
    ASSERT_TRUE(FHid.RegisterForHidInterfaces(Listener));
    FHid.UnplugAfterFeatureReports(FMouse.Device(), 2);
    EXPECT_EQ(SendMode(0), 0u);
    EXPECT_TRUE(Events.empty());
    EXPECT_EQ(SendMode(1), 0u);
    EXPECT_EQ(FMouse.AcceptedReports().size(), 2u);
    // Both collections leave, and whoever listens hears of it at once.
    EXPECT_EQ(Events, (std::vector<platform::TWParam>{platform::DBT_DEVICEREMOVECOMPLETE_EVENT,
                                                      platform::DBT_DEVICEREMOVECOMPLETE_EVENT}));
    EXPECT_EQ(SendMode(0), platform::HID_ERROR_DEVICE_NOT_CONNECTED);
    EXPECT_EQ(FMouse.AcceptedReports().size(), 2u);
    EXPECT_TRUE(FHid.PresentInterfaces()->empty());
}

TEST_F(SimHidFaultTest, FailingTransfersAndRefusedOpensReachNoDevice) {
    FHid.SetFeatureReportsFail(platform::HID_ERROR_GEN_FAILURE);
    EXPECT_EQ(SendMode(0), platform::HID_ERROR_GEN_FAILURE);
    EXPECT_TRUE(FMouse.AcceptedReports().empty());
    FHid.SetFeatureReportsFail(std::nullopt);
    EXPECT_EQ(SendMode(0), 0u);

    FHid.SetOpenFails(true);
    EXPECT_FALSE(FHid.Open(FMouse.VendorPath(), true));
    EXPECT_EQ(FHid.PresentInterfaces()->size(), 2u);
    FHid.SetOpenFails(false);
    EXPECT_TRUE(FHid.Open(FMouse.VendorPath(), true));
}

TEST(SimWindowSystemFaults, ASlowReceiverTakesSimulatedTimeAndAVanishedOneIsNotReached) {
    TSimClock Clock;
    TSimWindowSystem Windows(Clock);
    std::vector<std::uint64_t> HandledAt;
    const platform::TWindowHandle Receiver =
        Windows.CreateHiddenWindow(u"Receiver", u"", [&](auto, auto, auto) {
            HandledAt.push_back(Clock.NowMs());
            return platform::TMessageResult{5};
        });
    Windows.SetAnswerDelay(Receiver, 4000);
    EXPECT_EQ(Windows.Send(Receiver, 1, 0, 0), 5);
    EXPECT_EQ(HandledAt, (std::vector<std::uint64_t>{4000}));

    Windows.VanishOnNextSend(Receiver);
    EXPECT_EQ(Windows.Send(Receiver, 1, 0, 0), 0);
    EXPECT_EQ(HandledAt.size(), 1u);
    EXPECT_FALSE(Windows.IsWindow(Receiver));
    EXPECT_EQ(Windows.FindTopWindow(u"Receiver"), 0u);
}

TEST(SimWindowSystemFaults, TheQueuesFullestPointIsKept) {
    TSimClock Clock;
    TSimWindowSystem Windows(Clock);
    const platform::TWindowHandle Window =
        Windows.CreateHiddenWindow(u"W", u"", [](auto, auto, auto) { return 0; });
    for (int I = 0; I < 5; ++I) {
        Windows.Post(Window, 1, 0, 0);
    }
    Windows.ProcessPendingMessages();
    Windows.Post(Window, 1, 0, 0);
    EXPECT_EQ(Windows.PendingCount(), 1u);
    EXPECT_EQ(Windows.MaxPendingCount(), 5u);
    EXPECT_TRUE(Windows.WaitForPending(1, 0));
    EXPECT_FALSE(Windows.WaitForPending(2, 0));
}

} // namespace
} // namespace vanto::sim
