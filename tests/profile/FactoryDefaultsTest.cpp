#include "profile/FactoryDefaults.h"

#include "platform/sim/SimClock.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimIniFile.h"
#include "platform/sim/SimLocale.h"
#include "platform/sim/SimRegistry.h"
#include "platform/sim/SimShell.h"
#include "profile/DM.h"
#include "profile/ProfileTestSupport.h"
#include "shared/ConfigAppInterface.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <vector>

namespace vanto {
namespace {

constexpr char16_t PROFILE_FOLDER[] = u"C:\\Users\\Ann\\Documents\\Vanto Gaming Mouse";

std::vector<std::uint8_t> NoiseBytes(std::size_t ASize) {
    std::mt19937 Random(7);
    std::vector<std::uint8_t> Bytes(ASize);
    for (auto& Byte : Bytes) {
        Byte = static_cast<std::uint8_t>(Random());
    }
    return Bytes;
}

TEST(FactoryGameProfile, IsTheDoubleClickProfileWithRecordAndPlayButtons) {
    auto Profile = std::make_unique<TMouseProfileInfo>();
    RestoreGameProfileDefaults(*Profile, 46000.25, u"User Recorded");

    EXPECT_EQ(Profile->ProfileHeader.FFileVersion, 259);
    EXPECT_EQ(Profile->ProfileHeader.FProfileUID.DataTime, 46000.25);
    const TMOUSECONFIGINFO& Config = Profile->ConfigInfo;
    EXPECT_EQ(Config.ButtonCount, 7);
    const TMACROKEYINFOLIST& Macros = Profile->MacroKeyInfoList;
    ASSERT_EQ(Macros.nMacroInfoCount, 1);
    const TMACROKEYINFO& Macro = Macros.MacroInfos[0];
    EXPECT_EQ(ReadRecordText(Macro.szMacroName), u"User Recorded");
    ASSERT_EQ(Macro.MacroListCount, 7);
    EXPECT_EQ(Macro.nAutoAddDelay, 1);
    EXPECT_EQ(Macro.Version, 0u);
    const std::uint8_t Expected[7][4] = {{1, 1, 1, 1}, {6, 0, 6, 0}, {1, 0, 1, 1}, {6, 0, 15, 0},
                                         {1, 1, 1, 1}, {6, 0, 6, 0}, {1, 0, 1, 1}};
    for (int I = 0; I < 7; ++I) {
        const TMACROKEY& Step = Macro.MacroList[I];
        EXPECT_EQ(Step.nKeyType, Expected[I][0]) << I;
        EXPECT_EQ(Step.nKeyState, Expected[I][1]) << I;
        EXPECT_EQ(Step.Value1, Expected[I][2]) << I;
        EXPECT_EQ(Step.Value2, Expected[I][3]) << I;
    }

    EXPECT_EQ(Config.ButtonFuncInfo[2].nDeviceFunction, 3);
    EXPECT_EQ(Config.ButtonFuncInfo[4].nSingleKeyValue, 0xA0);
    const TBUTTONFUNCINFO& Play = Config.ButtonFuncInfo[6];
    EXPECT_EQ(Play.nFunctionType, 31);
    EXPECT_EQ(Play.nFunctionGroup, MACRO_GROUP);
    EXPECT_EQ(std::memcmp(&Play.MacroKeyInfo, &Macro, sizeof(Macro)), 0);
    const TBUTTONFUNCINFO& Record = Config.ButtonFuncInfo[7];
    EXPECT_EQ(Record.nFunctionType, 32);
    EXPECT_EQ(Record.nDeviceFunction, 19);
    EXPECT_EQ(Record.ReportCode[0], 0x80);
    EXPECT_EQ(Record.ReportCode[1], 0x00);
    EXPECT_EQ(Config.ButtonFuncInfo[8].nDeviceFunction, 8);

    EXPECT_EQ(Config.CPILevel, 4);
    EXPECT_EQ(Config.CPIState[3].X, 8200);
    EXPECT_EQ(Config.CPIState[3].Enabled, 1);
    EXPECT_EQ(Config.CurrentCPIIndex, 1);
    EXPECT_EQ(Config.UseDiffentXY[3], 1);
    EXPECT_EQ(Config.ReportRate, 500);
    EXPECT_EQ(Config.LEDConfig.B, 255);
    EXPECT_EQ(Config.LEDConfig.R, 0);
}

TEST(FactoryGameProfile, AResetKeepsWhatItDoesNotName) {
    auto Bytes = NoiseBytes(sizeof(TMouseProfileInfo));
    auto Loaded = std::make_unique<TMouseProfileInfo>();
    std::memcpy(Loaded.get(), Bytes.data(), Bytes.size());
    auto Reset = std::make_unique<TMouseProfileInfo>();
    std::memcpy(Reset.get(), Loaded.get(), sizeof(*Loaded));
    RestoreGameProfileDefaults(*Reset, 1.0, u"User Recorded");

    auto Same = [&](const auto& AOld, const auto& ANew) {
        return std::memcmp(&AOld, &ANew, sizeof(AOld)) == 0;
    };
    for (int K = 10; K < 15; ++K) {
        EXPECT_TRUE(
            Same(Loaded->ConfigInfo.ButtonFuncInfo[K], Reset->ConfigInfo.ButtonFuncInfo[K]));
    }
    EXPECT_TRUE(
        Same(Loaded->ConfigInfo.VWheelButtonFuncInfo, Reset->ConfigInfo.VWheelButtonFuncInfo));
    EXPECT_TRUE(Same(Loaded->ConfigInfo.ApplicationList, Reset->ConfigInfo.ApplicationList));
    EXPECT_TRUE(Same(Loaded->FunctionList, Reset->FunctionList));
    EXPECT_TRUE(Same(Loaded->ConfigInfo.CPIState[10], Reset->ConfigInfo.CPIState[10]));
    // Button 9 loses its parameters but keeps its header.
    const TBUTTONFUNCINFO& Nine = Reset->ConfigInfo.ButtonFuncInfo[9];
    EXPECT_EQ(Nine.nFunctionType, Loaded->ConfigInfo.ButtonFuncInfo[9].nFunctionType);
    EXPECT_EQ(Nine.nDeviceParam3, 0);
    EXPECT_EQ(Nine.ReportCode[0], 0);
    // Macros after the factory one are not counted any more, but their bytes stay.
    EXPECT_EQ(Reset->MacroKeyInfoList.nMacroInfoCount, 1);
    EXPECT_TRUE(
        Same(Loaded->MacroKeyInfoList.MacroInfos[5], Reset->MacroKeyInfoList.MacroInfos[5]));
}

TEST(FactoryTestProfile, ReportsButtonsFiveToNineToTheHost) {
    auto Profile = std::make_unique<TMouseProfileInfo>();
    auto Bytes = NoiseBytes(sizeof(TMouseProfileInfo));
    std::memcpy(Profile.get(), Bytes.data(), Bytes.size());
    RestoreTestProfileDefaults(*Profile, 2.0);
    EXPECT_EQ(Profile->ConfigInfo.ButtonCount, 10);
    EXPECT_EQ(Profile->ConfigInfo.ButtonFuncInfo[3].nDeviceFunction, 5);
    EXPECT_EQ(Profile->ConfigInfo.ButtonFuncInfo[4].nDeviceFunction, 4);
    const TBUTTONFUNCINFO& Nine = Profile->ConfigInfo.ButtonFuncInfo[9];
    EXPECT_EQ(Nine.nFunctionType, 14);
    EXPECT_EQ(Nine.nFunctionGroup, HOST_REPORTED_GROUP);
    EXPECT_EQ(Nine.ReportCode[0], 0x00);
    EXPECT_EQ(Nine.ReportCode[1], 0x02);
    EXPECT_EQ(Profile->ConfigInfo.ButtonFuncInfo[5].ReportCode[0], 0x20);
    EXPECT_EQ(Profile->MacroKeyInfoList.nMacroInfoCount, 0);
    EXPECT_EQ(Profile->FunctionList.FunctionInfo[0], 0); // the whole record was cleared first
    EXPECT_EQ(Profile->ConfigInfo.ButtonFuncInfo[14].nFunctionType, 0);
}

TEST(FactorySettings, TheLanguageFollowsTheSystemAndTheGroupNamesFiveFiles) {
    auto All = std::make_unique<TALLGAMESINFO>();
    for (auto [LangID, Language] :
         {std::pair{0x0407, 1}, {0x040C, 2}, {0x0411, 3}, {0x0409, 0}, {0x0807, 0}}) {
        RestoreAllSettingDefaults(*All, static_cast<std::uint16_t>(LangID));
        EXPECT_EQ(All->CurrentLanguage, Language) << LangID;
    }
    EXPECT_EQ(All->Allgameset[0].nFlag, 1);
    EXPECT_EQ(All->Allgameset[1].nFlag, 0);

    auto Group = std::make_unique<TProfileSettingGroup>();
    Group->CurrentProfileGroup = 1;
    RestoreSettingGroupDefaults(*Group, PROFILE_FOLDER);
    const TPROFILESETTINGINFO& Third = Group->ProfileSettingList[2];
    EXPECT_EQ(ReadRecordText(Third.szFileName), u"VantoProfile3.pfd");
    EXPECT_EQ(ReadRecordText(Third.szFilePath), PROFILE_FOLDER);
    EXPECT_EQ(ReadRecordText(Third.szMacroPath),
              std::u16string(PROFILE_FOLDER) + u"\\VantoProfile3_Macros");
    EXPECT_EQ(ReadRecordText(Third.szKeyPath), u"software\\VantoGamingMouse");
    EXPECT_EQ(Third.nStorageType, STORAGE_FILE);
    EXPECT_EQ(Group->CurrentProfileGroup, 0);
    EXPECT_EQ(Group->ProfileIndexOfProfileGroup[1], 1);
}

TEST(FactoryMacroName, ATranslationThatDoesNotFitKeepsTheEnglishName) {
    EXPECT_EQ(FactoryMacroName(u"Aufnahme"), u"Aufnahme");
    EXPECT_EQ(FactoryMacroName(std::u16string(49, u'x')), std::u16string(49, u'x'));
    EXPECT_EQ(FactoryMacroName(std::u16string(50, u'x')), u"User Recorded");
}

class FactoryHandlersTest : public testing::Test {
protected:
    FactoryHandlersTest() : FSimFiles(FRoot.Path()) {
        for (const char16_t* Folder :
             {u"C:", u"C:\\Users", u"C:\\Users\\Ann", u"C:\\Users\\Ann\\Documents"}) {
            FSimFiles.MakeFolder(Folder);
        }
    }
    test::TTempRoot FRoot;
    sim::TSimFileSystem FSimFiles;
    sim::TSimRegistry FRegistry;
    sim::TSimShell FShell{u"C:\\Users\\Ann\\Documents", u"C:\\Program Files\\Vanto"};
    sim::TSimIniFile FIni{FSimFiles};
    sim::TSimLocale FLocale;
    sim::TSimClock FClock;
    TDM FDM{FRegistry, FSimFiles, FShell, FIni, FLocale, FClock};
};

TEST_F(FactoryHandlersTest, HandlersFillTheStreamsTheyAreGiven) {
    FLocale.SetSystemDefaultLangID(0x040C);
    FDM.DataModuleCreate();
    EXPECT_EQ(FDM.AllProfileSettingInfo().CurrentLanguage, 2);
    EXPECT_EQ(FDM.CurrentProfileInfo().ProfileHeader.FProfileUID.DataTime, FClock.LocalDateTime());

    std::vector<std::uint8_t> Empty;
    FDM.uiProfileTestRestoreToDefault(Empty);
    EXPECT_TRUE(Empty.empty());

    // A short stream becomes a whole factory record, not a mix of the two.
    std::vector<std::uint8_t> Short(100, 0xEE);
    FDM.uiProfileGame1RestoreToDefault(Short);
    ASSERT_EQ(Short.size(), sizeof(TMouseProfileInfo));
    auto Profile = std::make_unique<TMouseProfileInfo>();
    std::memcpy(Profile.get(), Short.data(), Short.size());
    EXPECT_EQ(Profile->ConfigInfo.ButtonCount, 7);
    EXPECT_EQ(Profile->ProfileHeader.FFileType[0], 0xEE);

    FDM.InitTestDefaultValue();
    EXPECT_EQ(FDM.TestProfileInfo().ConfigInfo.ButtonCount, 10);
    EXPECT_EQ(FDM.DefaultProfileInfo().ConfigInfo.ButtonCount, 7);
}

} // namespace
} // namespace vanto
