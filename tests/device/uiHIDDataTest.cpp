#include "device/uiHIDData.h"

#include "device/DeviceTestSupport.h"
#include "platform/Utf16.h"
#include "platform/sim/SimDebugOutput.h"
#include "platform/sim/SimMouse.h"
#include "platform/sim/SimShell.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

namespace vanto {
namespace {

using testing::ElementsAre;
using testing::UnorderedElementsAre;

constexpr char16_t CONFIG_INI[] = u"C:\\Program Files\\Vanto\\config.ini";
constexpr char16_t OTHER_ID[] = u"HID\\VID_AAAA&PID_0001";
constexpr char16_t OTHER_PATH[] = u"\\\\?\\hid#vid_aaaa&pid_0001#1#{x}";

struct TReceived {
    std::u16string FDeviceID;
    std::u16string FDevicePath;
    std::uint8_t FReportID;
    std::vector<std::uint8_t> FBytes;
    bool FOnMainThread;
};

// Answers feature requests with a pattern and keeps what was sent to it.
class TRecordingCollection : public sim::ISimHidFunctions {
public:
    std::uint32_t OnSetFeature(std::span<const std::uint8_t> AReport) override {
        FFeatures.emplace_back(AReport.begin(), AReport.end());
        return 0;
    }
    std::uint32_t OnGetFeature(std::span<std::uint8_t> AReport) override {
        for (std::size_t I = 1; I < AReport.size(); ++I) {
            AReport[I] = static_cast<std::uint8_t>(AReport[0] + I);
        }
        return 0;
    }
    std::uint32_t OnWrite(std::span<const std::uint8_t> AReport) override {
        FWrites.emplace_back(AReport.begin(), AReport.end());
        return 0;
    }
    std::vector<std::vector<std::uint8_t>> FFeatures;
    std::vector<std::vector<std::uint8_t>> FWrites;
};

class uiHIDDataTest : public testing::Test {
protected:
    TuiHIDData& Make(const std::vector<std::u16string>& AList) {
        for (std::size_t I = 0; I < AList.size(); ++I) {
            FIni.Set(CONFIG_INI, u"IncludeHIDDeviceList", u"id" + DecimalToUtf16(I + 1), AList[I]);
        }
        FHid = std::make_unique<TuiHIDData>(FHub, FWindows, FIni, FShell, FDebug);
        FHid->OnData = [this](const std::u16string& AId, const std::u16string& APath,
                              std::uint8_t AReportID, const std::uint8_t* AData,
                              std::uint16_t ASize) {
            std::lock_guard Guard(FLock);
            FReceived.push_back({AId,
                                 APath,
                                 AReportID,
                                 {AData, AData + ASize},
                                 std::this_thread::get_id() == FMainThread});
            FLoop.Wake();
        };
        return *FHid;
    }
    std::size_t ReceivedCount() {
        std::lock_guard Guard(FLock);
        return FReceived.size();
    }
    bool RunUntilReceived(std::size_t ACount) {
        return FLoop.RunUntil([&] { return ReceivedCount() >= ACount; });
    }
    void PlugOtherDevice() { FHub.Plug({OTHER_ID}, {test::VendorCollection(OTHER_PATH)}); }
    // Reads the plugged mouse, noting each collection the reader reports gone.
    void ReadNotingGone() {
        Make({}).OnDeviceNotConnected = [this](const std::u16string& AId,
                                               const std::u16string& APath) {
            std::lock_guard Guard(FLock);
            FGone.emplace_back(AId, APath);
            FLoop.Wake();
        };
        FHid->HidFindAndReadDevice(VANTO_MOUSE_COLLECTION.AsInteger(), u"*");
        FHub.WaitForReadsWaiting(1); // a read that cannot even start ends without the event
    }
    bool RunUntilGone() {
        return FLoop.RunUntil([&] {
            std::lock_guard Guard(FLock);
            return !FGone.empty();
        });
    }

    std::thread::id FMainThread = std::this_thread::get_id();
    sim::TSimClock FClock;
    test::TWatchedWindows FWindows{FClock};
    test::TMainLoop FLoop{FWindows};
    sim::TSimHid FHub{FWindows};
    test::TFakeIni FIni;
    sim::TSimShell FShell{u"C:\\Users\\Ann\\Documents", u"C:\\Program Files\\Vanto"};
    sim::TSimDebugOutput FDebug;
    sim::TSimMouse FMouse;
    std::mutex FLock;
    std::vector<TReceived> FReceived;
    std::vector<std::pair<std::u16string, std::u16string>> FGone;
    std::unique_ptr<TuiHIDData> FHid;
};

TEST_F(uiHIDDataTest, DeviceListStopsAtTheFirstGapAndAt101Entries) {
    FIni.Set(CONFIG_INI, u"IncludeHIDDeviceList", u"id5", u"after the gap");
    EXPECT_THAT(Make({u"a", u"b", u"c"}).GetHIDDeviceList(), ElementsAre(u"a", u"b", u"c"));
    std::vector<std::u16string> Long(102, u"x");
    EXPECT_EQ(Make(Long).GetHIDDeviceList().size(), 101u);
}

TEST_F(uiHIDDataTest, ReadersStartOnlyForCollectionsThatPassTheIdentityFilter) {
    FMouse.PlugInto(FHub);
    PlugOtherDevice();
    const std::u16string MouseFirst = FMouse.Identity().FHardwareIds[0];
    const std::u16string MouseSecond = FMouse.Identity().FHardwareIds[1];
    struct TCase {
        std::vector<std::u16string> FList;
        std::u16string FHIDID;
        std::size_t FMouseReaders, FOtherReaders;
    };
    const TCase Cases[] = {
        {{}, u"", 1, 1},                                 // empty list: every device
        {{}, u"anything", 1, 1},                         //
        {{MouseFirst}, u"", 0, 0},                       // listed, but no id asked for
        {{MouseFirst}, u"*", 1, 0},                      // any listed id
        {{u"hid\\vid_1234&pid_5678&mi_01"}, u"*", 1, 0}, // letter case does not count
        {{u"HID\\VID_1234&PID_5678"}, u"*", 0, 0},       // a prefix is not a match
        {{OTHER_ID}, MouseSecond, 1, 0},                 // the id asked for, listed or not
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(std::string(Case.FHIDID.begin(), Case.FHIDID.end()));
        Make(Case.FList).HidFindAndReadDevice(VANTO_MOUSE_COLLECTION.AsInteger(), Case.FHIDID);
        EXPECT_EQ(FHub.OpenReadHandles(FMouse.VendorPath()), Case.FMouseReaders);
        EXPECT_EQ(FHub.OpenReadHandles(OTHER_PATH), Case.FOtherReaders);
        EXPECT_EQ(FHub.OpenReadHandles(FMouse.SystemMousePath()), 0u); // usage page 1
        FHid.reset();
        EXPECT_EQ(FHub.OpenReadHandles(FMouse.VendorPath()), 0u);
    }
}

TEST_F(uiHIDDataTest, RequestsTreatAnEmptyDeviceIdLikeTheStar) {
    FMouse.PlugInto(FHub);
    auto Request = std::make_unique<THIDDataParam>();
    Request->UsageAndPage = VANTO_MOUSE_COLLECTION;
    EXPECT_TRUE(Make({}).IsDeviceExist(*Request));
    EXPECT_FALSE(Make({OTHER_ID}).IsDeviceExist(*Request));
    Request->DeviceID = FMouse.Identity().FHardwareIds[2];
    EXPECT_TRUE(FHid->IsDeviceExist(*Request));
    Request->UsageAndPage = {0x0003, 0xFFA0};
    EXPECT_FALSE(FHid->IsDeviceExist(*Request));
    Request->UsageAndPage = VANTO_MOUSE_COLLECTION;
    FHub.SetEnumerationFails(true);
    EXPECT_FALSE(FHid->IsDeviceExist(*Request));
}

TEST_F(uiHIDDataTest, EachInterfaceGetsAReaderWithItsPathAndTheDeviceFirstId) {
    FHub.Plug({u"ID-FIRST", u"ID-SECOND"},
              {test::VendorCollection(u"P1"), test::VendorCollection(u"P2")});
    Make({u"id-second"}).HidFindAndReadDevice(VANTO_MOUSE_COLLECTION.AsInteger(), u"*");
    const std::uint8_t Report[8] = {7, 1};
    FHub.SendInputReport(u"P1", Report);
    FHub.SendInputReport(u"P2", Report);
    ASSERT_TRUE(RunUntilReceived(2));
    std::set<std::pair<std::u16string, std::u16string>> Seen;
    for (const TReceived& R : FReceived) {
        Seen.insert({R.FDeviceID, R.FDevicePath});
        EXPECT_TRUE(R.FOnMainThread);
    }
    EXPECT_THAT(
        Seen, UnorderedElementsAre(std::pair<std::u16string, std::u16string>{u"ID-FIRST", u"P1"},
                                   std::pair<std::u16string, std::u16string>{u"ID-FIRST", u"P2"}));
}

TEST_F(uiHIDDataTest, AReportOfNBytesArrivesAsItsIdAndNMinusOneBytesInOrder) {
    FHub.Plug({OTHER_ID}, {test::VendorCollection(u"P", 5)});
    Make({}).HidFindAndReadDevice(VANTO_MOUSE_COLLECTION.AsInteger(), u"");
    const std::uint8_t Short[5] = {0x21, 1, 2, 3, 4};
    const std::uint8_t Second[5] = {0x22, 9};
    FHub.SendInputReport(u"P", Short);
    FHub.SendInputReport(u"P", Second);
    ASSERT_TRUE(RunUntilReceived(2));
    EXPECT_EQ(FReceived[0].FReportID, 0x21);
    EXPECT_THAT(FReceived[0].FBytes, ElementsAre(1, 2, 3, 4));
    EXPECT_EQ(FReceived[1].FReportID, 0x22);
    EXPECT_THAT(FReceived[1].FBytes, ElementsAre(9, 0, 0, 0));
}

TEST_F(uiHIDDataTest, UnplugEndsTheReaderWithDeviceNotConnected) {
    FMouse.PlugInto(FHub);
    ReadNotingGone();
    FMouse.Unplug();
    ASSERT_TRUE(RunUntilGone());
    FHid->HidStopRead();
    EXPECT_THAT(FGone,
                ElementsAre(std::pair{FMouse.Identity().FHardwareIds[0], FMouse.VendorPath()}));
    EXPECT_THAT(FDebug.Lines(), ElementsAre(u"ERROR_DEVICE_NOT_CONNECTED++++++++++++++++"));
    EXPECT_EQ(FHub.OpenReadHandles(FMouse.VendorPath()), 0u);
}

// Wine ends the reads of a pulled mouse with ERROR_ACCESS_DENIED: the reader takes that first
// denial for the mouse gone, without resting and reading again.
TEST_F(uiHIDDataTest, ADeniedReadEndsTheReaderAtOnceAsAPulledMouse) {
    FMouse.PlugInto(FHub);
    ReadNotingGone();
    FMouse.FailReads(platform::HID_ERROR_ACCESS_DENIED);
    ASSERT_TRUE(RunUntilGone());
    FHid->HidStopRead();
    EXPECT_EQ(FHub.ReadsAttempted(FMouse.VendorPath()), 1u);
    EXPECT_THAT(FHub.StopWaits(), ElementsAre());
    EXPECT_THAT(FDebug.Lines(), ElementsAre(u"ERROR_DEVICE_NOT_CONNECTED++++++++++++++++"));
}

// Three failed reads, a report, eleven empty reads, a report, then failures for good: the rests
// double up to a second, a report starts them afresh, and the tenth failure in a row ends it.
TEST_F(uiHIDDataTest, AReaderRestsAfterReadsThatBringNothingAndGivesUpAfterTenFailures) {
    FMouse.PlugInto(FHub);
    ReadNotingGone();
    FHub.FailReads(FMouse.VendorPath(), platform::HID_ERROR_GEN_FAILURE, 3);
    FMouse.SwitchProfile(1);
    for (int I = 0; I < 11; ++I) {
        FMouse.SendReport({});
    }
    FMouse.SwitchProfile(0);
    ASSERT_TRUE(RunUntilReceived(2));
    EXPECT_TRUE(FDebug.Lines().empty());

    FMouse.FailReads(platform::HID_ERROR_GEN_FAILURE);
    ASSERT_TRUE(RunUntilGone());
    FHid->HidStopRead();
    EXPECT_THAT(FHub.StopWaits(), ElementsAre(1, 2, 4,                                     //
                                              1, 2, 4, 8, 16, 32, 64, 128, 256, 512, 1000, //
                                              1, 2, 4, 8, 16, 32, 64, 128, 256));
    EXPECT_EQ(FHub.ReadsAttempted(FMouse.VendorPath()), 3u + 1 + 11 + 1 + 10);
    EXPECT_EQ(FGone.size(), 1u);
    EXPECT_THAT(FDebug.Lines(), ElementsAre(u"ERROR_DEVICE_NOT_CONNECTED++++++++++++++++"));
    EXPECT_EQ(FHub.OpenReadHandles(FMouse.VendorPath()), 0u);
}

TEST_F(uiHIDDataTest, AStopEndsAReaderInTheMiddleOfARest) {
    FMouse.PlugInto(FHub);
    FHub.SetStopWaits(sim::TSimStopWait::UntilSet); // a rest that would never end by itself
    Make({}).HidFindAndReadDevice(VANTO_MOUSE_COLLECTION.AsInteger(), u"*");
    FMouse.FailReads(platform::HID_ERROR_GEN_FAILURE);
    FHub.WaitForStopWaitUnderway();
    FHid->HidStopRead();
    EXPECT_EQ(FHub.OpenReadHandles(FMouse.VendorPath()), 0u);
    EXPECT_THAT(FHub.StopWaits(), ElementsAre(1));
    EXPECT_TRUE(FDebug.Lines().empty()); // a stop is no lost device
}

TEST_F(uiHIDDataTest, StopAndRestartLeaveOneReaderPerInterface) {
    FMouse.PlugInto(FHub);
    TuiHIDData& Hid = Make({});
    Hid.HidFindAndReadDevice(VANTO_MOUSE_COLLECTION.AsInteger(), u"*");
    Hid.HidFindAndReadDevice(VANTO_MOUSE_COLLECTION.AsInteger(), u"*");
    // A collection already read is not opened again: a second reader would run each press twice.
    EXPECT_EQ(FHub.OpenReadHandles(FMouse.VendorPath()), 1u);
    Hid.HidStopRead();
    EXPECT_EQ(FHub.OpenReadHandles(FMouse.VendorPath()), 0u);
    Hid.HidFindAndReadDevice(VANTO_MOUSE_COLLECTION.AsInteger(), u"*");
    EXPECT_EQ(FHub.OpenReadHandles(FMouse.VendorPath()), 1u);
    FMouse.PressButton(10);
    ASSERT_TRUE(RunUntilReceived(2));
    EXPECT_THAT(FReceived[0].FBytes, ElementsAre(0, 4, 0, 0, 0, 0, 0));
}

TEST_F(uiHIDDataTest, AStopReleasesAReaderWaitingForTheMainThreadAndDropsItsReport) {
    FMouse.PlugInto(FHub);
    TuiHIDData& Hid = Make({});
    Hid.HidFindAndReadDevice(VANTO_MOUSE_COLLECTION.AsInteger(), u"*");
    FMouse.SwitchProfile(1);
    FWindows.WaitForPosts(1); // the reader now waits for the main thread
    Hid.HidStopRead();
    FWindows.ProcessPendingMessages();
    EXPECT_EQ(ReceivedCount(), 0u);
    // The stale hand-over message does not upset the next reading period.
    Hid.HidFindAndReadDevice(VANTO_MOUSE_COLLECTION.AsInteger(), u"*");
    FMouse.SwitchProfile(0);
    ASSERT_TRUE(RunUntilReceived(1));
    EXPECT_THAT(FReceived[0].FBytes, ElementsAre(1, 0, 0, 0, 0, 0, 0));

    FMouse.SwitchProfile(1);
    FWindows.WaitForPosts(3);
    FHid.reset(); // the destructor must not wait for the main thread either
    FWindows.ProcessPendingMessages();
    EXPECT_EQ(ReceivedCount(), 1u);
}

TEST_F(uiHIDDataTest, AHandlerMayStopReadingAndStillUseItsReport) {
    FMouse.PlugInto(FHub);
    TuiHIDData& Hid = Make({});
    std::vector<std::uint8_t> SeenAfterStop;
    Hid.OnData = [&](const std::u16string&, const std::u16string&, std::uint8_t,
                     const std::uint8_t* AData, std::uint16_t ASize) {
        Hid.HidStopRead(); // the reader ends while the report is still in use
        SeenAfterStop.assign(AData, AData + ASize);
        FLoop.Wake();
    };
    Hid.HidFindAndReadDevice(VANTO_MOUSE_COLLECTION.AsInteger(), u"*");
    FMouse.SwitchProfile(1);
    ASSERT_TRUE(FLoop.RunUntil([&] { return !SeenAfterStop.empty(); }));
    EXPECT_THAT(SeenAfterStop, ElementsAre(1, 1, 0, 0, 0, 0, 0));
    EXPECT_EQ(FHub.OpenReadHandles(FMouse.VendorPath()), 0u);
}

TEST_F(uiHIDDataTest, FastParsedDataKeepsUsagesPastTheHundredth) {
    sim::TSimHidCollection Buttons = test::VendorCollection(u"B", 26);
    Buttons.FButtonUsages = 200;
    FHub.Plug({OTHER_ID}, {Buttons});
    TuiHIDData& Hid = Make({});
    Hid.FastOnData = true;
    std::vector<std::uint32_t> Parsed;
    Hid.OnParsedData = [&](const std::u16string&, const std::u16string&, std::uint8_t,
                           std::uint32_t AButtonData) {
        std::lock_guard Guard(FLock);
        Parsed.push_back(AButtonData);
        FLoop.Wake();
    };
    Hid.HidFindAndReadDevice(VANTO_MOUSE_COLLECTION.AsInteger(), u"");
    std::uint8_t Report[26] = {1};
    Report[1 + 149 / 8] = 1 << (149 % 8); // usage 150
    FHub.SendInputReport(u"B", Report);
    std::uint8_t Released[26] = {1};
    FHub.SendInputReport(u"B", Released);
    ASSERT_TRUE(FLoop.RunUntil([&] {
        std::lock_guard Guard(FLock);
        return Parsed.size() == 2;
    }));
    EXPECT_THAT(Parsed, ElementsAre(150u << 16, 150u));
    EXPECT_FALSE(FReceived[0].FOnMainThread);
}

TEST_F(uiHIDDataTest, FeatureRequestsGoOnlyWhereTheyFit) {
    FMouse.PlugInto(FHub);
    TRecordingCollection Small;
    FHub.Plug({OTHER_ID}, {test::VendorCollection(OTHER_PATH, 8, 64, &Small)});
    TuiHIDData& Hid = Make({});
    auto Request = std::make_unique<THIDDataParam>();
    Request->UsageAndPage = VANTO_MOUSE_COLLECTION;
    Request->Data.ReportID = 4;
    Request->Data.DATAReally[0] = 6; // mode 0
    Request->Data.DATASIZE = 1024;
    EXPECT_EQ(Hid.HidFindAndSetFeatureReport(*Request), 0u);
    EXPECT_TRUE(Small.FFeatures.empty()); // 1024 bytes do not fit its 64
    EXPECT_TRUE(FMouse.InUpload());

    Request->Data.ReportID = 2;
    Request->Data.DATAReally[1] = 1; // mode 1
    Request->Data.DATASIZE = 16;
    EXPECT_EQ(Hid.HidFindAndSetFeatureReport(*Request), 0u);
    ASSERT_EQ(Small.FFeatures.size(), 1u);
    EXPECT_EQ(Small.FFeatures[0].size(), 16u);
    EXPECT_EQ(FMouse.CompletedUploads(), 1u);

    Request->Data.DATASIZE = 70000;
    EXPECT_EQ(Hid.HidFindAndSetFeatureReport(*Request), platform::HID_ERROR_INVALID_PARAMETER);
    Request->Data.DATASIZE = 16;
    Request->UsageAndPage = {0x0003, 0xFFA0};
    EXPECT_EQ(Hid.HidFindAndSetFeatureReport(*Request), platform::HID_ERROR_DEVICE_NOT_CONNECTED);
    EXPECT_EQ(Small.FFeatures.size(), 1u);
}

TEST_F(uiHIDDataTest, GetFeatureFillsTheRequestAndWritesCountTheIdAsEachOperationSays) {
    TRecordingCollection Device;
    FHub.Plug({OTHER_ID}, {test::VendorCollection(OTHER_PATH, 8, 64, &Device)});
    TuiHIDData& Hid = Make({u"listed elsewhere"});
    auto Request = std::make_unique<THIDDataParam>();
    Request->UsageAndPage = VANTO_MOUSE_COLLECTION;
    Request->DeviceID = OTHER_ID;
    Request->Data.ReportID = 3;
    Request->Data.DATASIZE = 4;
    EXPECT_EQ(Hid.HidFindAndGetFeatureReport(*Request), 0u);
    EXPECT_THAT(std::vector(Request->Data.DATAReally, Request->Data.DATAReally + 4),
                ElementsAre(4, 5, 6, 0));

    EXPECT_TRUE(Hid.HidFindAndWriteDevice(*Request));
    Request->DeviceID.clear(); // now the list decides, and it does not hold the device
    EXPECT_FALSE(Hid.HidFindAndWriteDevice(*Request));
    EXPECT_TRUE(Hid.HidFindAndWriteDeviceBYHID(*Request));
    ASSERT_EQ(Device.FWrites.size(), 2u);
    EXPECT_THAT(Device.FWrites[0], ElementsAre(3, 4, 5, 6, 0));
    EXPECT_THAT(Device.FWrites[1], ElementsAre(3, 4, 5, 6));
}

} // namespace
} // namespace vanto
