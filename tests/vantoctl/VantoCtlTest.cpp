#include "VantoCtl.h"
#include "CtlRun.h"

#include <gtest/gtest.h>

#include "shared/pubunit_quorvin.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <vector>

namespace vanto::ctl {
namespace {

using test::RunCtl;
using test::TRun;

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

TEST(VantoCtlKey, PrintsTheDescriptionAndHidCodeOfAKey) {
    EXPECT_EQ(RunCtl({"key", "0x41", "0"}).FOut, "description=\"A\" hid=0x04\n");
    EXPECT_EQ(RunCtl({"key", "65", "0"}).FOut, RunCtl({"key", "0x41", "0x0"}).FOut);
    EXPECT_EQ(RunCtl({"key", "65"}).FExit, EXIT_USAGE);
    EXPECT_EQ(RunCtl({"key", "65536", "0"}).FExit, EXIT_USAGE);
    EXPECT_EQ(RunCtl({"key", "A", "0"}).FExit, EXIT_USAGE);
}

class VantoCtlDumpTest : public testing::Test {
protected:
    ~VantoCtlDumpTest() override {
        std::error_code Error;
        std::filesystem::remove(FPath, Error);
    }
    void WriteFile(const void* AData, std::size_t ASize) {
        std::ofstream Out(FPath, std::ios::binary);
        Out.write(static_cast<const char*>(AData), static_cast<std::streamsize>(ASize));
    }
    TRun Dump() { return RunCtl({"dump", FPathText}); }

    std::filesystem::path FPath = std::filesystem::temp_directory_path() /
                                  ("vanto-dump-" + std::to_string(std::random_device{}()) + ".pfd");
    std::string FPathText = FPath.string();
};

TEST_F(VantoCtlDumpTest, PrintsAProfileByFieldNameWithoutUninterpretedRegions) {
    auto Profile = std::make_unique<TMouseProfileInfo>();
    Profile->ConfigInfo.ButtonFuncInfo[14].nFunctionType = 32;
    Profile->ConfigInfo.ButtonFuncInfo[0].Reserved928[0] = 0x77;
    TMACROKEYINFO& Macro = Profile->MacroKeyInfoList.MacroInfos[0];
    WriteRecordText(Macro.szMacroName, u"Say \"hi\" \u4E2D");
    Macro.MacroListCount = 500; // out of range: the dump shows the count but only 128 steps
    WriteFile(Profile.get(), sizeof(*Profile));

    TRun Result = Dump();
    ASSERT_EQ(Result.FExit, EXIT_DONE) << Result.FErr;
    EXPECT_NE(Result.FOut.find("\"nFunctionType\": 32"), std::string::npos);
    EXPECT_NE(Result.FOut.find("\"szMacroName\": \"Say \\\"hi\\\" \\u4e2d\""), std::string::npos);
    EXPECT_NE(Result.FOut.find("\"MacroListCount\": 500"), std::string::npos);
    EXPECT_EQ(Result.FOut.find("Reserved"), std::string::npos);
    EXPECT_EQ(Result.FOut.find("FunctionList"), std::string::npos);
    EXPECT_EQ(Result.FOut.find("MacroInfoToDevice"), std::string::npos);
}

TEST_F(VantoCtlDumpTest, TellsSettingRecordsApartBySize) {
    auto Group = std::make_unique<TProfileSettingGroup>();
    Group->CurrentProfileGroup = 1;
    WriteRecordText(Group->ProfileSettingList[4].szFileName, u"VantoProfile5.pfd");
    WriteFile(Group.get(), sizeof(*Group));
    TRun GroupDump = Dump();
    EXPECT_NE(GroupDump.FOut.find("\"CurrentProfileGroup\": 1"), std::string::npos);
    EXPECT_NE(GroupDump.FOut.find("\"szFileName\": \"VantoProfile5.pfd\""), std::string::npos);

    auto All = std::make_unique<TALLGAMESINFO>();
    All->CurrentLanguage = 2;
    WriteFile(All.get(), sizeof(*All));
    EXPECT_NE(Dump().FOut.find("\"CurrentLanguage\": 2"), std::string::npos);
}

TEST_F(VantoCtlDumpTest, AFileOfAnyOtherSizeIsRefusedWithItsName) {
    std::vector<std::uint8_t> Bytes(sizeof(TMouseProfileInfo) - 1);
    WriteFile(Bytes.data(), Bytes.size());
    TRun Result = Dump();
    EXPECT_EQ(Result.FExit, EXIT_FAILED);
    EXPECT_TRUE(Result.FOut.empty());
    EXPECT_EQ(Result.FErr, "vantoctl: " + FPathText +
                               ": 109815 bytes: not a profile (109816), "
                               "setting group (30964) or all-settings "
                               "record (30954)\n");
    std::filesystem::remove(FPath);
    EXPECT_EQ(Dump().FExit, EXIT_FAILED);
}

TEST_F(VantoCtlDumpTest, FactoryWritesRawRecordsOfEachKind) {
    ASSERT_EQ(RunCtl({"factory", "game", "-o", FPathText}).FExit, EXIT_DONE);
    EXPECT_EQ(std::filesystem::file_size(FPath), sizeof(TMouseProfileInfo));
    EXPECT_NE(Dump().FOut.find("\"szMacroName\": \"User Recorded\""), std::string::npos);

    ASSERT_EQ(RunCtl({"factory", "settings", "--lang", "0x040C", "-o", FPathText}).FExit,
              EXIT_DONE);
    EXPECT_NE(Dump().FOut.find("\"CurrentLanguage\": 2"), std::string::npos);

    TRun Group = RunCtl({"factory", "group", "--documents", "D:\\Docs"});
    ASSERT_EQ(Group.FOut.size(), sizeof(TProfileSettingGroup));
    auto Record = std::make_unique<TProfileSettingGroup>();
    std::memcpy(Record.get(), Group.FOut.data(), sizeof(*Record));
    EXPECT_EQ(ReadRecordText(Record->ProfileSettingList[0].szFilePath),
              u"D:\\Docs\\Vanto Gaming Mouse");

    EXPECT_EQ(RunCtl({"factory", "mouse"}).FExit, EXIT_USAGE);
    EXPECT_EQ(RunCtl({"factory", "game", "-o"}).FExit, EXIT_USAGE);
    EXPECT_EQ(RunCtl({"factory", "game", "--lang", "x"}).FExit, EXIT_USAGE);
}

TEST_F(VantoCtlDumpTest, MacroPrintsOneStepALine) {
    auto Macro = std::make_unique<TMACROKEYINFO>();
    WriteRecordText(Macro->szMacroName, u"Copy");
    Macro->MacroList[0] = TMACROKEY{4, 1, 0x41, 0};
    Macro->MacroList[1] = TMACROKEY{6, 0, 200, 0};
    Macro->MacroList[2] = TMACROKEY{4, 0, 0x41, 0};
    Macro->MacroListCount = 3;
    WriteFile(Macro.get(), sizeof(*Macro));
    TRun Result = RunCtl({"macro", FPathText});
    ASSERT_EQ(Result.FExit, EXIT_DONE) << Result.FErr;
    EXPECT_NE(Result.FOut.find("name: Copy\n"), std::string::npos);
    EXPECT_NE(Result.FOut.find("0: key A down\n1: delay 200 ms\n2: key A up\n"), std::string::npos);

    std::vector<std::uint8_t> TooLong(sizeof(TMACROKEYINFO) + 1);
    WriteFile(TooLong.data(), TooLong.size());
    EXPECT_EQ(RunCtl({"macro", FPathText}).FExit, EXIT_FAILED);
}

} // namespace
} // namespace vanto::ctl
