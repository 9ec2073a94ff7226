#include "profile/DM.h"

#include "platform/sim/SimClock.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimIniFile.h"
#include "platform/sim/SimLocale.h"
#include "platform/sim/SimRegistry.h"
#include "platform/sim/SimShell.h"
#include "profile/ProfileTestSupport.h"
#include "shared/ConfigAppInterface.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace vanto {
namespace {

using testing::ElementsAre;
using testing::Pair;

constexpr char16_t DOCUMENTS[] = u"C:\\Users\\Ann\\Documents";
constexpr char16_t PROFILE_FOLDER[] = u"C:\\Users\\Ann\\Documents\\Vanto Gaming Mouse";

std::u16string GameFileName(int AProfileIndex) {
    return u"VantoProfile" + std::u16string(1, char16_t(u'1' + AProfileIndex)) + u".pfd";
}

std::u16string GameFile(int AProfileIndex) {
    return std::u16string(PROFILE_FOLDER) + u"\\" + GameFileName(AProfileIndex);
}

// A profile told apart from others by its format-version field.
std::unique_ptr<TMouseProfileInfo> MarkedProfile(std::int32_t AMark) {
    auto Profile = std::make_unique<TMouseProfileInfo>();
    Profile->ProfileHeader.FFileVersion = AMark;
    return Profile;
}

class DMTest : public testing::Test {
protected:
    DMTest() : FSimFiles(FRoot.Path()), FFiles(FSimFiles) {
        for (const char16_t* Folder : {u"C:", u"C:\\Users", u"C:\\Users\\Ann", DOCUMENTS}) {
            FSimFiles.MakeFolder(Folder);
        }
        FGroup = std::make_unique<TProfileSettingGroup>();
    }

    std::unique_ptr<TDM> Start() {
        auto DM = std::make_unique<TDM>(FRegistry, FFiles, FShell, FIni, FLocale, FClock);
        DM->DataModuleCreate();
        return DM;
    }

    template <typename TRecord> void Store(const std::u16string& AName, const TRecord& ARecord) {
        FRegistry.CreateKey(VANTO_REGISTRY_KEY);
        FRegistry.WriteBinaryValue(VANTO_REGISTRY_KEY, AName, &ARecord, sizeof(ARecord));
    }

    std::optional<platform::TRegValue> Stored(const std::u16string& AName) {
        return FRegistry.ReadValue(VANTO_REGISTRY_KEY, AName);
    }

    // The setting group as the configuration application writes it: every game profile under
    // its factory name, kept in AStorageType.
    void StoreGroup(std::uint8_t AStorageType, int ACurrentGroup = 0, int AGroup0 = 0,
                    int AGroup1 = 1) {
        FGroup->CurrentProfileGroup = ACurrentGroup;
        FGroup->ProfileIndexOfProfileGroup[0] = AGroup0;
        FGroup->ProfileIndexOfProfileGroup[1] = AGroup1;
        for (int P = 0; P < 5; ++P) {
            TPROFILESETTINGINFO& Entry = FGroup->ProfileSettingList[P];
            Entry.nStorageType = AStorageType;
            WriteRecordText(Entry.szFilePath, PROFILE_FOLDER);
            WriteRecordText(Entry.szFileName, GameFileName(P));
        }
        Store(u"VantoProfileSettingGroup.pfd", *FGroup);
    }

    std::int32_t MarkOfSlot(TDM& ADM, int AProfileIndex) {
        auto Profile = std::make_unique<TMouseProfileInfo>();
        EXPECT_TRUE(ADM.ReadProfileInfo(*Profile, AProfileIndex));
        return Profile->ProfileHeader.FFileVersion;
    }

    test::TTempRoot FRoot;
    sim::TSimFileSystem FSimFiles;
    test::TFlakyFileSystem FFiles;
    sim::TSimRegistry FRegistry;
    sim::TSimShell FShell{DOCUMENTS, u"C:\\Program Files\\Vanto"};
    sim::TSimIniFile FIni{FSimFiles};
    sim::TSimLocale FLocale;
    sim::TSimClock FClock;
    std::unique_ptr<TProfileSettingGroup> FGroup;
};

TEST_F(DMTest, FirstRunStoresTheSharedRecordsAndFiveProfileFiles) {
    auto DM = Start();

    auto Group = Stored(u"VantoProfileSettingGroup.pfd");
    auto All = Stored(u"VantoProfile.pfd");
    ASSERT_TRUE(Group && All);
    EXPECT_EQ(Group->FData.size(), 30964u);
    EXPECT_EQ(All->FData.size(), 30954u);
    // The factory setting group keeps the game profiles in files in the profile folder.
    for (int P = 0; P < 5; ++P) {
        auto Data = FSimFiles.ReadWholeFile(GameFile(P));
        ASSERT_TRUE(Data) << P;
        EXPECT_EQ(Data->size(), 109816u);
    }
    EXPECT_FALSE(Stored(u"VantoProfile1.pfd"));
    EXPECT_FALSE(Stored(u"RecordRPROFILE.pfd"));
    EXPECT_EQ(DM->CurrentProfileInfo().ProfileHeader.FFileVersion, PROFILE_FORMAT_VERSION);
    EXPECT_EQ(DM->CurrentProfileInfo().ConfigInfo.ButtonCount, 7);
    EXPECT_EQ(DM->ProfileGroupIndex(), 0);
    EXPECT_EQ(DM->ProfileIndex(), 0);
    EXPECT_EQ(DM->HidSelector(), VANTO_MOUSE_COLLECTION);
    EXPECT_EQ(DM->GetProfileFolder(), PROFILE_FOLDER);
}

TEST_F(DMTest, FileStoredProfilesAreCreatedAtStartUp) {
    StoreGroup(STORAGE_FILE);
    auto DM = Start();

    for (int P = 0; P < 5; ++P) {
        auto Data = FSimFiles.ReadWholeFile(GameFile(P));
        ASSERT_TRUE(Data) << P;
        EXPECT_EQ(Data->size(), 109816u);
    }
    // The folder appeared only while profile 1 was being set up, so its component alone has
    // no folder this run and its own-path saves do nothing.
    EXPECT_EQ(DM->uiProfileGame1.FilePath(), u"");
    EXPECT_EQ(DM->uiProfileGame2.FilePath(), std::u16string(PROFILE_FOLDER) + u"\\");

    DM->EditCurrentProfileInfo().ProfileHeader.FFileVersion = 77;
    DM->SaveBackToCurrentProfileInfo();
    DM->EditCurrentProfileInfo().ProfileHeader.FFileVersion = 88; // not written back
    DM->SaveCurrentProfileInfoToFile();
    DM->SaveBackAllProfileInfoToFile();
    EXPECT_EQ((*FSimFiles.ReadWholeFile(GameFile(0)))[0], PROFILE_FORMAT_VERSION & 0xFF);

    DM->SaveCurrentProfileInfoToFile(std::u16string(DOCUMENTS) + u"\\Copy\\c.pfd");
    auto Copy = FSimFiles.ReadWholeFile(std::u16string(DOCUMENTS) + u"\\Copy\\c.pfd");
    ASSERT_TRUE(Copy);
    EXPECT_EQ((*Copy)[0], 77);
}

TEST_F(DMTest, SecondStartLoadsWhatWasStored) {
    StoreGroup(STORAGE_REGISTRY, 1, 2, 3);
    Store(u"VantoProfile4.pfd", *MarkedProfile(40));
    {
        auto DM = Start();
        EXPECT_EQ(DM->ProfileGroupIndex(), 1);
        EXPECT_EQ(DM->ProfileIndex(), 3);
        EXPECT_EQ(DM->CurrentProfileInfo().ProfileHeader.FFileVersion, 40);
        DM->EditCurrentProfileInfo().ProfileHeader.FFileVersion = 41;
        DM->SaveCurrentProfileInfoToRegistry();
        // The language in memory, not the one stored meanwhile, is what the save stores.
        auto All = std::make_unique<TALLGAMESINFO>(DM->AllProfileSettingInfo());
        All->CurrentLanguage = 5;
        Store(u"VantoProfile.pfd", *All);
        DM->LoadAllProfileInfoFromRegistry();
        All->CurrentLanguage = 0;
        Store(u"VantoProfile.pfd", *All);
        DM->SaveBackAllProfileSettingInfo();
    }
    auto DM = Start();
    EXPECT_EQ(DM->CurrentProfileInfo().ProfileHeader.FFileVersion, 41);
    EXPECT_EQ(DM->AllProfileSettingInfo().CurrentGame, 3);
    EXPECT_EQ(DM->AllProfileSettingInfo().CurrentLanguage, 5);
}

TEST_F(DMTest, SecondStartReadsProfileFiles) {
    StoreGroup(STORAGE_FILE);
    Start();
    auto Marked = MarkedProfile(30);
    FSimFiles.WriteWholeFile(GameFile(2), Marked.get(), sizeof(*Marked));

    auto DM = Start();
    EXPECT_EQ(MarkOfSlot(*DM, 2), 30);
    EXPECT_EQ(DM->uiProfileGame1.FilePath(), std::u16string(PROFILE_FOLDER) + u"\\");
}

TEST_F(DMTest, ProfileFilesThatFailStayInMemoryAndUntouched) {
    StoreGroup(STORAGE_FILE);
    FFiles.FFailWrite = true;
    ASSERT_NO_THROW(Start());
    EXPECT_FALSE(FSimFiles.FileExists(GameFile(0)));

    FFiles.FFailWrite = false;
    Start();
    auto Marked = MarkedProfile(30);
    FSimFiles.WriteWholeFile(GameFile(0), Marked.get(), sizeof(*Marked));
    FFiles.FFailRead = true;
    FFiles.FTouched.clear();
    std::unique_ptr<TDM> DM;
    ASSERT_NO_THROW(DM = Start());
    EXPECT_EQ(DM->CurrentProfileInfo().ProfileHeader.FFileVersion, PROFILE_FORMAT_VERSION);
    EXPECT_THAT(FFiles.FTouched, testing::IsEmpty()); // the unreadable file is kept as it is
}

TEST_F(DMTest, SwitchingFollowsTheGroupMapAndChecksRanges) {
    StoreGroup(STORAGE_REGISTRY, 0, 0, 4);
    Store(u"VantoProfile5.pfd", *MarkedProfile(50));
    auto DM = Start();

    EXPECT_TRUE(DM->SwitchToProfileGroup(1));
    EXPECT_EQ(DM->ProfileSettingGroup().CurrentProfileGroup, 1);
    EXPECT_EQ(DM->ProfileIndex(), 4);
    EXPECT_EQ(DM->CurrentProfileInfo().ProfileHeader.FFileVersion, 50);
    EXPECT_EQ(DM->AllProfileSettingInfo().CurrentGame, 4);

    auto Scratch = MarkedProfile(1);
    EXPECT_FALSE(DM->SwitchToProfileGroup(2));
    EXPECT_FALSE(DM->SwitchToProfileGroup(-1));
    EXPECT_FALSE(DM->SwitchToProfile(5));
    EXPECT_FALSE(DM->ReadProfileInfo(*Scratch, 5));
    EXPECT_FALSE(DM->SaveBackToProfileInfo(*Scratch, -1));
    EXPECT_FALSE(DM->SaveProfileInfoToRegistry(5));
    EXPECT_FALSE(DM->LoadProfileInfoFromRegistry(5));
    EXPECT_FALSE(DM->RestoreProfileInfoToDefault(5));
    EXPECT_FALSE(DM->RestoreProfileGroupToDefault(2));
    EXPECT_EQ(DM->ProfileGroupIndex(), 1);
    EXPECT_EQ(DM->ProfileIndex(), 4);
    EXPECT_EQ(DM->CurrentProfileInfo().ProfileHeader.FFileVersion, 50);
}

TEST_F(DMTest, WrongTypedValuesAreMissingAtStartUpAndErrorsLater) {
    FRegistry.CreateKey(VANTO_REGISTRY_KEY);
    for (const char16_t* Name :
         {u"VantoProfileSettingGroup.pfd", u"VantoProfile.pfd", u"VantoProfile1.pfd"}) {
        FRegistry.WriteDWordValue(VANTO_REGISTRY_KEY, Name, 1);
    }
    std::unique_ptr<TDM> DM;
    ASSERT_NO_THROW(DM = Start());
    auto Group = Stored(u"VantoProfileSettingGroup.pfd");
    ASSERT_TRUE(Group);
    EXPECT_EQ(Group->FType, platform::TRegValueType::Binary);
    EXPECT_EQ(Group->FData.size(), 30964u);

    FRegistry.WriteDWordValue(VANTO_REGISTRY_KEY, u"VantoProfileSettingGroup.pfd", 1);
    EXPECT_THROW(DM->LoadProfileGroupSettingInfoFromRegistry(), EProfileError);
    DM->uiProfileGame1.SetFileName(u"VantoProfile1.pfd");
    EXPECT_THROW(DM->LoadCurrentProfileInfoFromRegistry(), EProfileError);
}

TEST_F(DMTest, StoredSelectionOutOfRangeFallsBackInsideTheRecords) {
    StoreGroup(STORAGE_REGISTRY, 7, 9, -3);
    auto DM = Start();
    EXPECT_EQ(DM->ProfileGroupIndex(), 0);
    EXPECT_EQ(DM->ProfileIndex(), 0);

    EXPECT_TRUE(DM->SwitchToProfileGroup(1));
    EXPECT_EQ(DM->ProfileIndex(), 1);

    bool Restored = false;
    DM->uiProfileGame1.OnRestoreToDefault = [&](std::vector<std::uint8_t>&) { Restored = true; };
    EXPECT_TRUE(DM->RestoreProfileGroupToDefault(0));
    EXPECT_TRUE(Restored);

    StoreGroup(STORAGE_REGISTRY, 1, 0, 1000000);
    DM->LoadProfileGroupSettingInfoFromRegistry();
    EXPECT_EQ(DM->ProfileGroupIndex(), 1);
    EXPECT_EQ(DM->ProfileIndex(), 1);
}

TEST_F(DMTest, RestoringAGroupTouchesOnlyItsProfile) {
    StoreGroup(STORAGE_REGISTRY, 0, 0, 2);
    auto DM = Start();
    DM->uiProfileGame3.OnRestoreToDefault = [](std::vector<std::uint8_t>& AStream) {
        AStream[0] = 33;
    };
    DM->EditCurrentProfileInfo().ProfileHeader.FFileVersion = 99; // an edit not written back

    EXPECT_TRUE(DM->RestoreProfileGroupToDefault(1));
    EXPECT_EQ(MarkOfSlot(*DM, 2) & 0xFF, 33);
    EXPECT_EQ(DM->CurrentProfileInfo().ProfileHeader.FFileVersion, 99);

    EXPECT_TRUE(DM->RestoreProfileGroupToDefault(0));
    EXPECT_EQ(DM->CurrentProfileInfo().ProfileHeader.FFileVersion, PROFILE_FORMAT_VERSION);
}

TEST_F(DMTest, ChangingTheFileNameRefusesWhatDoesNotFit) {
    StoreGroup(STORAGE_FILE);
    auto DM = Start();
    const TPROFILESETTINGINFO& Entry = DM->ProfileSettingGroup().ProfileSettingList[0];

    EXPECT_FALSE(DM->ChangeCurrentProfileFileNameAndPath(u"C:\\Users\\TwentyOneCharacters.p"));
    EXPECT_FALSE(
        DM->ChangeCurrentProfileFileNameAndPath(u"C:\\" + std::u16string(1021, u'f') + u"\\a.pfd"));
    EXPECT_FALSE(DM->ChangeCurrentProfileFileNameAndPath(u"C:\\Users\\"));
    EXPECT_EQ(ReadRecordText(Entry.szFileName), u"VantoProfile1.pfd");
    EXPECT_EQ(DM->uiProfileGame1.FileName(), u"VantoProfile1.pfd");

    EXPECT_TRUE(DM->ChangeCurrentProfileFileNameAndPath(u"C:\\Users\\TwentyCharacters.pfd"));
    EXPECT_EQ(ReadRecordText(Entry.szFileName), u"TwentyCharacters.pfd");
    EXPECT_EQ(ReadRecordText(Entry.szFilePath), u"C:\\Users\\");
    EXPECT_EQ(DM->uiProfileGame1.FilePath(), u"C:\\Users\\");
    DM->SaveCurrentProfileInfoToFile();
    EXPECT_TRUE(FSimFiles.FileExists(u"C:\\Users\\TwentyCharacters.pfd"));
}

TEST_F(DMTest, FileNamesThatLeaveTheFolderAreNeverWritten) {
    FSimFiles.MakeFolder(PROFILE_FOLDER);
    StoreGroup(STORAGE_FILE);
    const char16_t* Names[] = {u"..\\evil.pfd", u"sub/evil.pfd", u"", u"..", u"D:evil.pfd"};
    for (int P = 0; P < 5; ++P) {
        WriteRecordText(FGroup->ProfileSettingList[P].szFileName, Names[P]);
    }
    Store(u"VantoProfileSettingGroup.pfd", *FGroup);

    std::unique_ptr<TDM> DM;
    ASSERT_NO_THROW(DM = Start());
    DM->SaveBackAllProfileInfoToFile();
    DM->SaveCurrentProfileInfoToFile();
    EXPECT_THAT(FFiles.FTouched, testing::IsEmpty());
}

TEST_F(DMTest, ConfigIniGivesNoLogoAndHelpFiles) {
    FSimFiles.MakeFolder(u"C:\\Program Files");
    FSimFiles.MakeFolder(u"C:\\Program Files\\Vanto");
    const std::string Ini =
        "[OtherConfig]\nNoLogo=1\n[HelpFiles]\nen=help_en.pdf\nde=help_de.pdf\n";
    FSimFiles.WriteWholeFile(u"C:\\Program Files\\Vanto\\config.ini", Ini.data(), Ini.size());

    auto DM = Start();
    EXPECT_EQ(DM->OtherConfig().Nologo, 1);
    EXPECT_EQ(DM->OtherConfig().HelpFile, 0u);
    EXPECT_THAT(DM->HelpFiles(),
                ElementsAre(Pair(u"en", u"help_en.pdf"), Pair(u"de", u"help_de.pdf")));
}

TEST_F(DMTest, RecordedMacroIsStoredWithoutTouchingTheLoadedCopy) {
    auto DM = Start();
    TMACROKEYINFO Macro{};
    Macro.MacroListCount = 3;
    DM->SaveBackRecordMacroInfoToRegistry(Macro);
    EXPECT_EQ(DM->RecordMacroInfo().MacroListCount, 0);
    EXPECT_EQ(Stored(u"RecordRPROFILE.pfd")->FData.size(), 892u);
    DM->LoadRecordMacroInfoFromRegistry();
    EXPECT_EQ(DM->RecordMacroInfo().MacroListCount, 3);
}

TEST_F(DMTest, CpiResetKeepsTheLastLevel) {
    auto DM = Start();
    for (TCPISTATE& Level : DM->EditCurrentProfileInfo().ConfigInfo.CPIState) {
        Level = TCPISTATE{300, 300, 1};
    }
    DM->RestoreToDefaultCPISetting();
    const TMOUSECONFIGINFO& Config = DM->CurrentProfileInfo().ConfigInfo;
    EXPECT_EQ(Config.CPIState[3].X, 8000);
    EXPECT_EQ(Config.CPIState[9].Enabled, 0);
    EXPECT_EQ(Config.CPIState[10].X, 300);
    EXPECT_EQ(Config.CurrentCPIIndex, 1);
    EXPECT_EQ(Config.UseDiffentXY[3], 0); // the factory profile has 1 here

    DM->EditCurrentProfileInfo().ConfigInfo.ReportRate = 125;
    DM->EditCurrentProfileInfo().ConfigInfo.LEDConfig.R = 200;
    DM->EditCurrentProfileInfo().ConfigInfo.DoubleClickSpeed = 77;
    DM->RestoreToDefaultLightAndReportAdvancedSetting();
    EXPECT_EQ(Config.ReportRate, 500);
    EXPECT_EQ(Config.LEDConfig.R, 0);
    EXPECT_EQ(Config.LEDConfig.B, 255);
    EXPECT_EQ(Config.DoubleClickSpeed, 77);
}

TEST_F(DMTest, NoDocumentsFolderMeansNoProfileFolder) {
    FShell.SetDocumentsFolder(std::nullopt);
    auto DM = Start();
    EXPECT_EQ(DM->GetProfileFolder(), u"");
}

} // namespace
} // namespace vanto
