#include "VantoCtl.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace vanto::ctl {
namespace {

struct TRun {
    int FExit;
    std::string FOut;
    std::string FErr;
};

TRun RunCtl(std::vector<std::string_view> AArgs) {
    std::ostringstream Out, Err;
    int Exit = RunVantoCtl(AArgs, Out, Err);
    return {Exit, Out.str(), Err.str()};
}

TEST(VantoCtlDecodeReport, PrintsTheMessageTheMonitorWouldPost) {
    EXPECT_EQ(RunCtl({"decode-report", "7", "00", "04", "00", "00", "00", "00", "00"}).FOut,
              "WM_BUTTON_EVENT wParam=10 lParam=1\n");
    EXPECT_EQ(RunCtl({"decode-report", "0x08", "01000000000000"}).FOut,
              "WM_BUTTON_EVENT wParam=21 lParam=0\n");
    EXPECT_EQ(RunCtl({"decode-report", "8", "1", "1", "0", "0", "0", "0", "0"}).FOut,
              "WM_BUTTON_EVENT wParam=22 lParam=0\n");
    TRun Ignored = RunCtl({"decode-report", "7", "03", "00", "00", "00", "00", "00", "00"});
    EXPECT_EQ(Ignored.FExit, EXIT_DONE);
    EXPECT_EQ(Ignored.FOut, "ignored\n");
    EXPECT_EQ(RunCtl({"decode-report", "7"}).FOut, "ignored\n");
}

TEST(VantoCtlDecodeReport, RejectsMalformedArgumentsWithAUsageHint) {
    for (auto Args : std::vector<std::vector<std::string_view>>{{"decode-report"},
                                                                {"decode-report", "256", "00"},
                                                                {"decode-report", "x7", "00"},
                                                                {"decode-report", "7", "0g"},
                                                                {"decode-report", "7", "000"},
                                                                {"decode-report", "7", ""},
                                                                {"frobnicate"},
                                                                {},
                                                                {"layout", "extra"}}) {
        TRun Result = RunCtl(Args);
        EXPECT_EQ(Result.FExit, EXIT_USAGE);
        EXPECT_TRUE(Result.FOut.empty());
        EXPECT_NE(Result.FErr.find("usage: vantoctl"), std::string::npos);
        EXPECT_EQ(std::count(Result.FErr.begin(), Result.FErr.end(), '\n'), 2);
    }
}

TEST(VantoCtlLayout, ListsEveryRecordWithItsFields) {
    TRun Result = RunCtl({"layout"});
    ASSERT_EQ(Result.FExit, EXIT_DONE);
    EXPECT_NE(Result.FOut.find("TMouseProfileInfo 109816\n"), std::string::npos);
    EXPECT_NE(Result.FOut.find("TMouseProfileInfo.MacroKeyInfoList 86592 18736\n"),
              std::string::npos);
    EXPECT_NE(Result.FOut.find("TBUTTONFUNCINFO.nFunctionType 3754 2\n"), std::string::npos);
    EXPECT_NE(Result.FOut.find("TALLGAMESINFO.CurrentLanguage 30952 1\n"), std::string::npos);
}

} // namespace
} // namespace vanto::ctl
