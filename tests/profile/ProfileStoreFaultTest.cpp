// The profile store when the registry or the disk refuses: the monitor comes up and keeps
// running, every stored profile stays whole (the old one or the new one, never a mix or a cut
// file), and a save that did not happen is not taken for one that did.

#include "ProfileTestSupport.h"
#include "platform/Utf16.h"
#include "platform/sim/SimPlatform.h"
#include "profile/DM.h"
#include "profile/FactoryDefaults.h"
#include "shared/ConfigAppInterface.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

namespace vanto {
namespace {

constexpr std::uint16_t FACTORY_RECORD_BUTTON_TYPE = FUNCTION_TYPE_RECORD_MACRO;

std::u16string ProfileFolder() {
    return std::u16string(sim::TSimPlatform::DOCUMENTS) + u"\\Vanto Gaming Mouse";
}

std::u16string ProfileFile(int AProfile) {
    return ProfileFolder() + u"\\VantoProfile" + static_cast<char16_t>(u'1' + AProfile) + u".pfd";
}

// A stored record with AExtra bytes after it and AMark at AOffset.
std::vector<std::uint8_t> StoredRecord(std::size_t ASize, std::size_t AExtra, std::size_t AOffset,
                                       std::uint8_t AMark) {
    std::vector<std::uint8_t> Bytes(ASize + AExtra);
    Bytes[AOffset] = AMark;
    return Bytes;
}

class ProfileStoreFaultTest : public testing::Test {
protected:
    // A machine the monitor has run on before: the first start-up lays out the profile folder
    // and files, this one finds them (on the very first run profile 1 has no folder of its own
    // to save to, see DMTest.FileStoredProfilesAreCreatedAtStartUp).
    std::unique_ptr<TDM> StartProfilesAgain() {
        StartProfiles();
        return StartProfiles();
    }

    std::unique_ptr<TDM> StartProfiles() { return StartProfilesOn(FSim.FRegistry, FSim.FFiles); }

    std::unique_ptr<TDM> StartProfilesOn(platform::IRegistry& ARegistry,
                                         platform::IFileSystem& AFiles) {
        auto DM = std::make_unique<TDM>(ARegistry, AFiles, FSim.FShell, FSim.FIni, FSim.FLocale,
                                        FSim.FClock);
        DM->DataModuleCreate();
        return DM;
    }

    void StoreValue(const std::u16string& AName, const void* AData, std::size_t ASize) {
        ASSERT_TRUE(FSim.FRegistry.CreateKey(VANTO_REGISTRY_KEY));
        ASSERT_TRUE(FSim.FRegistry.WriteBinaryValue(VANTO_REGISTRY_KEY, AName, AData, ASize));
    }
    void StoreValue(const std::u16string& AName, const std::vector<std::uint8_t>& ABytes) {
        StoreValue(AName, ABytes.data(), ABytes.size());
    }
    std::vector<std::uint8_t> ValueBytes(const std::u16string& AName) {
        return FSim.FRegistry.ReadValue(VANTO_REGISTRY_KEY, AName)
            .value_or(platform::TRegValue{})
            .FData;
    }

    std::vector<std::uint8_t> FileBytes(int AProfile) {
        return FSim.FFiles.ReadWholeFile(ProfileFile(AProfile))
            .value_or(std::vector<std::uint8_t>{});
    }

    // Every game profile changed in memory to a record of its own.
    std::vector<std::vector<std::uint8_t>> ChangeEveryProfile(TDM& ADM) {
        std::vector<std::vector<std::uint8_t>> Changed;
        auto Profile = std::make_unique<TMouseProfileInfo>();
        for (int P = 0; P < static_cast<int>(GAME_PROFILE_COUNT); ++P) {
            ADM.ReadProfileInfo(*Profile, P);
            Profile->ProfileHeader.FFileName[0] = static_cast<std::uint8_t>(0xA0 + P);
            Profile->ConfigInfo.ReportRate = static_cast<std::uint16_t>(125 * (P + 1));
            ADM.SaveBackToProfileInfo(*Profile, P);
            Changed.push_back(ADM.ProfileGroup(P).Stream());
        }
        return Changed;
    }

    test::TTempRoot FRoot;
    sim::TSimPlatform FSim{FRoot.Path()};
};

// A locked key (no rights, a policy) once made the first start-up end the monitor.
TEST_F(ProfileStoreFaultTest, AFirstStartUpWhoseRegistryRefusesWritesRunsOnFactoryRecords) {
    ASSERT_TRUE(FSim.FRegistry.CreateKey(VANTO_REGISTRY_KEY));
    FSim.FRegistry.SetRefuseWrites(true);
    std::unique_ptr<TDM> DM;
    ASSERT_NO_THROW(DM = StartProfiles());
    EXPECT_EQ(DM->CurrentProfileInfo().ConfigInfo.ButtonFuncInfo[7].nFunctionType,
              FACTORY_RECORD_BUTTON_TYPE);
    EXPECT_EQ(DM->ProfileSettingGroup().ProfileSettingList[0].nStorageType, STORAGE_FILE);
    EXPECT_TRUE(FSim.FRegistry.Values(VANTO_REGISTRY_KEY).empty());

    // Once the registry takes writes again, the next start-up stores what was missing.
    FSim.FRegistry.SetRefuseWrites(false);
    StartProfiles();
    EXPECT_TRUE(FSim.FRegistry.ReadValue(VANTO_REGISTRY_KEY, SETTING_GROUP_VALUE_NAME));
}

TEST_F(ProfileStoreFaultTest, ARefusedRegistryWriteKeepsTheStoredProfileAndSaysSo) {
    std::unique_ptr<TDM> DM = StartProfiles();
    ASSERT_TRUE(DM->SaveCurrentProfileInfoToRegistry());
    const auto Stored =
        FSim.FRegistry.ReadValue(VANTO_REGISTRY_KEY, DM->ProfileGroup(0).FileName());
    ASSERT_TRUE(Stored);

    FSim.FRegistry.SetRefuseWrites(true);
    DM->EditCurrentProfileInfo().ConfigInfo.ReportRate = 1000;
    EXPECT_THROW(DM->SaveCurrentProfileInfoToRegistry(), EProfileError);
    EXPECT_EQ(FSim.FRegistry.ReadValue(VANTO_REGISTRY_KEY, DM->ProfileGroup(0).FileName())->FData,
              Stored->FData);

    // Without a key that can be made there is no place at all: refused, not thrown.
    FSim.FRegistry.SetRefuseWrites(false);
    FSim.FRegistry.SetRefuseKeyCreation(true);
    DM->uiProfileGame1.SetKeyPath(u"software\\Elsewhere");
    EXPECT_FALSE(DM->SaveCurrentProfileInfoToRegistry());
    EXPECT_FALSE(FSim.FRegistry.KeyExists(u"software\\Elsewhere"));
}

// A setting table that names a profile after a shared value once had the monitor store the
// profile over that value when a recording was saved.
TEST_F(ProfileStoreFaultTest, AProfileNamedAfterASharedValueNeverReadsOrOverwritesIt) {
    auto Group = std::make_unique<TProfileSettingGroup>();
    RestoreSettingGroupDefaults(*Group, u"C:\\Users\\Ann\\Documents\\Vanto Gaming Mouse");
    // The setting group's own name is longer than the name field holds.
    for (const char16_t* Shared : {u"vantoprofile.PFD", u"RecordRPROFILE.pfd", u"ProfileID"}) {
        SCOPED_TRACE(testing::PrintToString(std::u16string(Shared)));
        Group->ProfileSettingList[0].nStorageType = STORAGE_REGISTRY;
        WriteRecordText(Group->ProfileSettingList[0].szFileName, Shared);
        ASSERT_TRUE(FSim.FRegistry.CreateKey(VANTO_REGISTRY_KEY));
        ASSERT_TRUE(FSim.FRegistry.WriteBinaryValue(VANTO_REGISTRY_KEY, SETTING_GROUP_VALUE_NAME,
                                                    Group.get(), sizeof(*Group)));
        FSim.FRegistry.WriteDWordValue(VANTO_REGISTRY_KEY, u"ProfileID", 1);
        std::unique_ptr<TDM> DM = StartProfiles();
        const auto SharedValues = [this] {
            std::vector<std::optional<platform::TRegValue>> Values;
            for (const char16_t* Name : {u"VantoProfile.pfd", u"VantoProfileSettingGroup.pfd",
                                         u"RecordRPROFILE.pfd", u"ProfileID"}) {
                Values.push_back(FSim.FRegistry.ReadValue(VANTO_REGISTRY_KEY, Name));
            }
            return Values;
        };
        const auto Before = SharedValues();

        // Not read as the profile: the factory profile stands in for it.
        EXPECT_EQ(DM->CurrentProfileInfo().ConfigInfo.ButtonFuncInfo[7].nFunctionType,
                  FACTORY_RECORD_BUTTON_TYPE);
        EXPECT_FALSE(DM->SaveCurrentProfileInfoToRegistry());
        DM->SaveBackAllProfileInfo();
        const auto After = SharedValues();
        for (std::size_t I = 0; I < After.size(); ++I) {
            ASSERT_EQ(After[I].has_value(), Before[I].has_value());
            if (After[I]) {
                EXPECT_EQ(After[I]->FType, Before[I]->FType);
                EXPECT_EQ(After[I]->FData, Before[I]->FData);
            }
        }
    }
}

TEST_F(ProfileStoreFaultTest, ADiskThatFillsWhileTheProfilesAreSavedLeavesEachFileOldOrNew) {
    std::unique_ptr<TDM> DM = StartProfilesAgain();
    std::vector<std::vector<std::uint8_t>> Old;
    for (int P = 0; P < static_cast<int>(GAME_PROFILE_COUNT); ++P) {
        Old.push_back(FileBytes(P));
        ASSERT_EQ(Old.back().size(), PROFILE_BLOCK_SIZE);
    }
    const auto New = ChangeEveryProfile(*DM);
    // Room for the first save and half of the second.
    FSim.FFiles.SetFreeBytes(PROFILE_BLOCK_SIZE + PROFILE_BLOCK_SIZE / 2);
    EXPECT_THROW(DM->SaveBackAllProfileInfoToFile(), EProfileError);

    EXPECT_EQ(FileBytes(0), New[0]);
    for (int P = 1; P < static_cast<int>(GAME_PROFILE_COUNT); ++P) {
        EXPECT_EQ(FileBytes(P), Old[P]) << "profile " << P;
        EXPECT_FALSE(FSim.FFiles.FileExists(ProfileFile(P) + u".tmp"));
    }
    // The monitor comes up again on whole profiles.
    FSim.FFiles.SetFreeBytes(std::nullopt);
    std::unique_ptr<TDM> Again = StartProfiles();
    auto Loaded = std::make_unique<TMouseProfileInfo>();
    Again->ReadProfileInfo(*Loaded, 1);
    EXPECT_EQ(std::memcmp(Loaded.get(), Old[1].data(), PROFILE_BLOCK_SIZE), 0);
}

TEST_F(ProfileStoreFaultTest, AMediumTurnedReadOnlyInTheMiddleOfASaveKeepsTheOldFile) {
    std::unique_ptr<TDM> DM = StartProfilesAgain();
    const std::vector<std::uint8_t> Old = FileBytes(0);
    ChangeEveryProfile(*DM);
    // The new contents are written beside the profile, then the medium refuses to swap them in.
    FSim.FFiles.ReadOnlyAfter(1);
    EXPECT_THROW(DM->SaveCurrentProfileInfoToFile(), EProfileError);
    EXPECT_EQ(FileBytes(0), Old);

    FSim.FFiles.SetReadOnly(false);
    std::unique_ptr<TDM> Again = StartProfiles();
    EXPECT_EQ(std::memcmp(&Again->CurrentProfileInfo(), Old.data(), PROFILE_BLOCK_SIZE), 0);
}

TEST_F(ProfileStoreFaultTest, AProfileFolderThatCannotBeMadeLeavesFactoryProfilesInMemoryOnly) {
    FSim.FFiles.SetRefuseFolders(true);
    std::unique_ptr<TDM> DM;
    ASSERT_NO_THROW(DM = StartProfiles());
    EXPECT_EQ(DM->CurrentProfileInfo().ConfigInfo.ButtonFuncInfo[7].nFunctionType,
              FACTORY_RECORD_BUTTON_TYPE);
    for (int P = 0; P < static_cast<int>(GAME_PROFILE_COUNT); ++P) {
        EXPECT_FALSE(FSim.FFiles.FileExists(ProfileFile(P)));
    }
    // Saving names no folder that exists: nothing is written and nothing claims it was.
    EXPECT_NO_THROW(DM->SaveCurrentProfileInfoToFile());
    EXPECT_FALSE(DM->uiProfileGame1.SaveStreamToFile(ProfileFile(0)));
    EXPECT_FALSE(FSim.FFiles.FileExists(ProfileFile(0)));

    FSim.FFiles.SetRefuseFolders(false);
    StartProfiles();
    EXPECT_EQ(FileBytes(0).size(), PROFILE_BLOCK_SIZE);
}

// A newer configuration application, or a damaged disk, may leave a record of any size; reading
// a 400 MB value whole once ended the monitor at every logon.
TEST_F(ProfileStoreFaultTest, ARecordFarLargerThanItsSizeIsKeptUnreadUntilAnExplicitSave) {
    auto Group = std::make_unique<TProfileSettingGroup>();
    RestoreSettingGroupDefaults(*Group, ProfileFolder());
    Group->ProfileSettingList[0].nStorageType = STORAGE_REGISTRY;
    StoreValue(SETTING_GROUP_VALUE_NAME, Group.get(), sizeof(*Group));
    StartProfilesAgain();
    constexpr std::size_t LANGUAGE = offsetof(TALLGAMESINFO, CurrentLanguage);
    constexpr std::size_t VERSION = offsetof(TMouseProfileInfo, ProfileHeader.FFileVersion);

    // Up to 64 KiB past its record a value is still read.
    StoreValue(ALL_SETTING_VALUE_NAME,
               StoredRecord(ALLGAMESINFO_BLOCK_SIZE, STORED_SIZE_MARGIN, LANGUAGE, 1));
    EXPECT_EQ(StartProfiles()->AllProfileSettingInfo().CurrentLanguage, 1);

    const auto All = StoredRecord(ALLGAMESINFO_BLOCK_SIZE, STORED_SIZE_MARGIN + 1, LANGUAGE, 1);
    const auto Game = StoredRecord(PROFILE_BLOCK_SIZE, 400 * 1024, VERSION, 77);
    StoreValue(ALL_SETTING_VALUE_NAME, All);
    StoreValue(u"VantoProfile1.pfd", Game);
    ASSERT_TRUE(FSim.FFiles.WriteWholeFile(ProfileFile(1), Game.data(), Game.size()));
    test::TFlakyRegistry Registry(FSim.FRegistry);
    test::TFlakyFileSystem Files(FSim.FFiles);
    std::unique_ptr<TDM> DM = StartProfilesOn(Registry, Files);
    auto Second = std::make_unique<TMouseProfileInfo>();
    DM->ReadProfileInfo(*Second, 1);
    EXPECT_EQ(DM->AllProfileSettingInfo().CurrentLanguage, 0);
    EXPECT_EQ(DM->CurrentProfileInfo().ProfileHeader.FFileVersion, PROFILE_FORMAT_VERSION);
    EXPECT_EQ(Second->ProfileHeader.FFileVersion, PROFILE_FORMAT_VERSION);
    EXPECT_EQ(ValueBytes(ALL_SETTING_VALUE_NAME), All);
    EXPECT_EQ(ValueBytes(u"VantoProfile1.pfd"), Game);
    EXPECT_EQ(FileBytes(1), Game);
    EXPECT_THAT(Registry.FRead, testing::Not(testing::Contains(ALL_SETTING_VALUE_NAME)));
    EXPECT_THAT(Registry.FRead, testing::Not(testing::Contains(u"VantoProfile1.pfd")));
    EXPECT_THAT(Files.FRead, testing::Not(testing::Contains(ProfileFile(1))));

    // A recording reads the profile first, keeps what it has, and stores a whole record.
    EXPECT_THROW(DM->LoadCurrentProfileInfoFromRegistry(), EStoredRecordTooLarge);
    EXPECT_TRUE(DM->SaveCurrentProfileInfoToRegistry());
    DM->SaveBackAllProfileInfoToFile();
    DM->SaveBackAllProfileSettingInfo();
    EXPECT_EQ(ValueBytes(u"VantoProfile1.pfd").size(), PROFILE_BLOCK_SIZE);
    EXPECT_EQ(FileBytes(1).size(), PROFILE_BLOCK_SIZE);
    EXPECT_EQ(ValueBytes(ALL_SETTING_VALUE_NAME).size(), ALLGAMESINFO_BLOCK_SIZE);
}

// The setting group names folder and file of each game profile, and start-up creates the file
// there. Profile 1 names the place in each case; the others live in the registry without a
// folder, so every look at the disk and every write is profile 1's.
TEST_F(ProfileStoreFaultTest, ProfileFilesAreKeptOnlyBelowDocumentsOrOnALocalFixedDrive) {
    const std::u16string Documents = sim::TSimPlatform::DOCUMENTS;
    const std::u16string Share = u"\\\\server\\home\\Ann\\Documents";
    FSim.FFiles.SetDriveType(u'd', platform::TDriveType::Fixed);
    FSim.FFiles.SetDriveType(u'E', platform::TDriveType::Remote);
    FSim.FFiles.SetDriveType(u'F', platform::TDriveType::Removable);
    for (const char16_t* Folder :
         {u"C:\\Users\\j..doe", u"D:", u"D:\\Games", u"E:", u"F:", u"\\\\server",
          u"\\\\server\\home", u"\\\\server\\home\\Ann", u"\\\\server\\home\\Ann\\Documents"}) {
        ASSERT_TRUE(FSim.FFiles.MakeFolder(Folder));
    }
    struct TCase {
        std::u16string FFolder;
        std::u16string FName;
        bool FAccepted;
        std::u16string FDocuments;
    };
    const std::u16string Name = u"VantoProfile1.pfd";
    const TCase Cases[] = {
        {ProfileFolder(), Name, true, Documents},
        {ProfileFolder() + u"\\", u"Mine.PFD", true, Documents},
        {u"C:\\Users\\j..doe\\Documents", Name, true, Documents},
        {u"d:\\Games", Name, true, Documents},
        {Share + u"\\Vanto Gaming Mouse", Name, true, Share},
        {Share + u"\\Vanto Gaming Mouse", Name, false, Documents},
        {Share + u"2", Name, false, Share},
        {Share + u"\\x/../../../Bob", Name, false, Share},
        {u"\\\\server\\share", Name, false, Documents},
        {u"\\\\?\\C:\\Users\\Ann\\Documents", Name, false, Documents},
        {u"\\\\.\\C:\\Users\\Ann\\Documents", Name, false, Documents},
        {u"\\\\?\\C:\\Users\\Ann\\Documents", Name, false, u"\\\\?\\C:\\Users\\Ann\\Documents"},
        {u"E:\\Profiles", Name, false, Documents},
        {u"F:\\", Name, false, Documents},
        {u"C:", Name, false, Documents},
        {u"C:Users", Name, false, Documents},
        {u"\\Users\\Ann\\Documents", Name, false, Documents},
        {u"C:/Users/Ann/Documents", Name, false, Documents},
        {u"C:\\Users\\\\Ann\\Documents", Name, false, Documents},
        {Documents + u"\\..\\..\\Public", Name, false, Documents},
        {Documents + u"\\.", Name, false, Documents},
        {Documents + u"\\...", Name, false, Documents},
        {Documents, u"pwn.cmd", false, Documents},
        {Documents, u"COM1.pfd", false, Documents},
        {Documents, u"nul .pfd", false, Documents},
        {Documents, u"Lpt9.x.pfd", false, Documents},
        {Documents, u"x.pfd:y.pfd", false, Documents},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(EscapeForPrinting(Case.FFolder + u" | " + Case.FName));
        auto Group = std::make_unique<TProfileSettingGroup>();
        RestoreSettingGroupDefaults(*Group, u"");
        for (TPROFILESETTINGINFO& Entry : Group->ProfileSettingList) {
            Entry.nStorageType = STORAGE_REGISTRY;
        }
        Group->ProfileSettingList[0].nStorageType = STORAGE_FILE;
        WriteRecordText(Group->ProfileSettingList[0].szFilePath, Case.FFolder);
        WriteRecordText(Group->ProfileSettingList[0].szFileName, Case.FName);
        StoreValue(SETTING_GROUP_VALUE_NAME, Group.get(), sizeof(*Group));
        FSim.FShell.SetDocumentsFolder(Case.FDocuments);
        test::TFlakyFileSystem Files(FSim.FFiles);

        std::unique_ptr<TDM> DM = StartProfilesOn(FSim.FRegistry, Files);
        DM->SaveBackAllProfileInfoToFile();
        EXPECT_EQ(DM->CurrentProfileInfo().ConfigInfo.ButtonFuncInfo[7].nFunctionType,
                  FACTORY_RECORD_BUTTON_TYPE);
        if (!Case.FAccepted) {
            EXPECT_THAT(Files.FLookedAt, testing::IsEmpty());
            EXPECT_THAT(Files.FTouched, testing::IsEmpty());
            continue;
        }
        const std::u16string Folder =
            Case.FFolder.ends_with(u'\\') ? Case.FFolder : Case.FFolder + u"\\";
        EXPECT_EQ(FSim.FFiles.FileSize(Folder + Case.FName), PROFILE_BLOCK_SIZE);
        EXPECT_THAT(Files.FTouched, testing::Not(testing::IsEmpty()));
        for (const std::u16string& Touched : Files.FTouched) {
            EXPECT_TRUE(Touched.starts_with(Folder) &&
                        Touched.find(u'\\', Folder.size()) == std::u16string::npos)
                << EscapeForPrinting(Touched);
        }
    }
    // The configuration application's own change of place goes by the same rule.
    EXPECT_FALSE(StartProfiles()->ChangeCurrentProfileFileNameAndPath(u"\\\\server\\share\\a.pfd"));
}

} // namespace
} // namespace vanto
