#include "TracingPlatform.h"

#include "platform/sim/SimClock.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimHid.h"
#include "platform/sim/SimMouse.h"
#include "platform/sim/SimWindowSystem.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <sstream>

namespace vanto::simrun {
namespace {

class TracingPlatformTest : public testing::Test {
protected:
    ~TracingPlatformTest() override {
        std::error_code Ignored;
        std::filesystem::remove_all(FRoot, Ignored);
    }

    std::filesystem::path FRoot = std::filesystem::temp_directory_path() /
                                  ("vanto-sim-tracing-" + std::to_string(std::random_device{}()));
    sim::TSimClock FClock;
    std::ostringstream FOut;
    TTrace FTrace{FOut, FClock};
};

TEST_F(TracingPlatformTest, ASaveThroughATemporaryFileIsOneWriteOfTheTarget) {
    sim::TSimFileSystem Disk(FRoot);
    Disk.MakeFolder(u"C:");
    TTracingFileSystem Files(Disk, FTrace);
    const char Data[] = "profile";
    ASSERT_TRUE(Files.WriteWholeFile(u"C:\\a.pfd.tmp", Data, sizeof Data));
    EXPECT_EQ(FOut.str(), "");
    ASSERT_TRUE(Files.ReplaceWith(u"C:\\a.pfd.tmp", u"C:\\a.pfd"));
    EXPECT_EQ(FOut.str(), "[      0 ms] file write: C:\\a.pfd (8 bytes)\n");

    FOut.str("");
    EXPECT_FALSE(Files.ReplaceWith(u"C:\\missing.tmp", u"C:\\b.pfd"));
    EXPECT_FALSE(Files.WriteWholeFile(u"C:\\..\\x", Data, sizeof Data));
    EXPECT_EQ(FOut.str(), "[      0 ms] file replace failed: C:\\b.pfd from C:\\missing.tmp\n"
                          "[      0 ms] file write failed: C:\\..\\x (8 bytes)\n");
}

TEST_F(TracingPlatformTest, OnlyASecondHandleBesideALiveOneCountsAsTheMouseOpened) {
    sim::TSimWindowSystem Windows(FClock);
    sim::TSimHid Hub(Windows);
    sim::TSimMouse Mouse;
    Mouse.PlugInto(Hub);
    TTracingHid Hid(Hub, FTrace);

    auto Look = Hid.Open(Mouse.VendorPath(), true);
    ASSERT_TRUE(Look);
    EXPECT_EQ(FOut.str(), "");
    auto Reader = Hid.Open(Mouse.VendorPath(), true);
    EXPECT_EQ(FOut.str(), "[      0 ms] mouse opened: " + Utf8(Mouse.VendorPath()) + "\n");

    // Closing both makes the next look a first handle again.
    Look.reset();
    Reader.reset();
    FOut.str("");
    auto Again = Hid.Open(Mouse.VendorPath(), true);
    EXPECT_EQ(FOut.str(), "");
}

TEST(TraceTest, TextIsWrittenAsUtf8AndMessagesByNameWhereTheyHaveOne) {
    EXPECT_EQ(Utf8(u"Gr\u00FC\u00DFe \u20AC \U0001F5B1"), "Gr\xC3\xBC\xC3\x9F"
                                                          "e \xE2\x82\xAC "
                                                          "\xF0\x9F\x96\xB1");
    EXPECT_EQ(Utf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
    EXPECT_EQ(DescribeMessage(7035, 0, -1), "7035 WM_CFG_PROFILE_CHANGED w=0 l=-1");
    EXPECT_EQ(DescribeMessage(7039, 2, 3), "7039 w=2 l=3");
}

} // namespace
} // namespace vanto::simrun
