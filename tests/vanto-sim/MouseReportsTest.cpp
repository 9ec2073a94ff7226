#include "MouseReports.h"

#include "platform/sim/SimClock.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace vanto::simrun {
namespace {

using testing::ElementsAre;

std::vector<std::uint8_t> ModeReport(std::uint8_t AMode) {
    std::vector<std::uint8_t> Report(16);
    Report[0] = 2;
    Report[1] = 6;
    Report[2] = AMode;
    return Report;
}

std::vector<std::uint8_t> WriteReport(unsigned AAddress, const std::vector<std::uint8_t>& AData) {
    const std::uint8_t Id = AData.size() + 8 <= 16 ? 2 : AData.size() + 8 <= 64 ? 3 : 4;
    std::vector<std::uint8_t> Report(Id == 2 ? 16 : Id == 3 ? 64 : 1024);
    Report[0] = Id;
    Report[1] = 2;
    Report[2] = static_cast<std::uint8_t>(AAddress);
    Report[3] = static_cast<std::uint8_t>(AAddress >> 8);
    Report[4] = static_cast<std::uint8_t>(AData.size());
    Report[5] = static_cast<std::uint8_t>(AData.size() >> 8);
    Report[6] = Report[7] = 0xFA;
    std::copy(AData.begin(), AData.end(), Report.begin() + 8);
    return Report;
}

TEST(MouseReportsTest, FeatureReportsAreNamedByCommandBankAndRegion) {
    EXPECT_EQ(DescribeFeatureReport(ModeReport(1)), "feature report 2: mode 1");
    EXPECT_EQ(DescribeFeatureReport(WriteReport(2448, std::vector<std::uint8_t>(65))),
              "feature report 4: write memory bank 1 @2448 65 bytes (button table)");
    EXPECT_EQ(DescribeFeatureReport(WriteReport(593, std::vector<std::uint8_t>(15))),
              "feature report 3: write memory bank 0 @593 15 bytes (macro slot 1)");
    // Past the fifth slot there is no slot, however the distance works out.
    EXPECT_EQ(DescribeFeatureReport(WriteReport(209 + 5 * 384, {1})),
              "feature report 2: write memory bank 0 @2129 1 bytes");
    EXPECT_EQ(DescribeFeatureReport(std::vector<std::uint8_t>{2, 6}),
              "short feature report of 2 bytes");
}

TEST(MouseReportsTest, AButtonTableShowsTheEntriesItCountsAndNoMoreThanItHolds) {
    std::vector<std::uint8_t> Table(65);
    Table[0] = 2;
    Table[1] = 17, Table[2] = 0, Table[3] = 21, Table[4] = 0;
    Table[5] = 13;
    EXPECT_THAT(DescribeButtonTable(Table),
                ElementsAre("entry  0: device function 17, P1   0, P2  21, P3   0",
                            "entry  1: device function 13, P1   0, P2   0, P3   0"));
    Table[0] = 200;
    EXPECT_EQ(DescribeButtonTable(Table).size(), 16u);
    EXPECT_TRUE(DescribeButtonTable(std::vector<std::uint8_t>(65)).empty());
}

TEST(MouseReportsTest, AMacroSlotIsDecodedUpToItsFirstEmptyStep) {
    std::vector<std::uint8_t> Slot(384);
    const std::vector<std::uint8_t> Steps{0x81, 1, 0, 0x01, 1,    0, 6, 5, 0,
                                          0x84, 4, 0, 0x03, 0xFF, 0, 7, 3, 0};
    std::copy(Steps.begin(), Steps.end(), Slot.begin());
    Slot[30] = 0x84; // after the end: never played, never shown
    EXPECT_EQ(DescribeMacroSlot(Slot), "6 steps: button 1 down, button 1 up, delay 50 ms, "
                                       "key 0x04 down, wheel -1, loop 3");
    EXPECT_FALSE(DescribeMacroSlot(std::vector<std::uint8_t>(384)));
}

TEST(MouseReportsTest, TheWatcherTracesEachAcceptedReportOnceAndCountsRejections) {
    sim::TSimClock Clock;
    std::ostringstream Out;
    TTrace Trace(Out, Clock);
    sim::TSimMouse Mouse;
    TMouseReportWatcher Watcher(Mouse, Trace);

    Mouse.TakeFeatureReport(ModeReport(0));
    Mouse.TakeFeatureReport(WriteReport(144, std::vector<std::uint8_t>(65, 1)));
    Watcher.Poll();
    Mouse.TakeFeatureReport(ModeReport(9)); // no such mode
    Mouse.TakeFeatureReport(ModeReport(1));
    Watcher.Poll();
    Watcher.Poll();

    EXPECT_EQ(Out.str(),
              "[      0 ms] mouse <- feature report 2: mode 0\n"
              "[      0 ms] mouse <- feature report 4: write memory bank 0 @144 65 bytes "
              "(button table)\n"
              "[      0 ms] mouse <- feature report 2: mode 1\n"
              "[      0 ms] mouse rejected 1 feature report(s)\n");
}

} // namespace
} // namespace vanto::simrun
