// The profile store when the registry or the disk refuses: the monitor comes up and keeps
// running, every stored profile stays whole (the old one or the new one, never a mix or a cut
// file), and a save that did not happen is not taken for one that did.

#include "ProfileTestSupport.h"
#include "app/ConfigAppInterface.h"
#include "platform/sim/SimPlatform.h"
#include "profile/DM.h"
#include "profile/FactoryDefaults.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <optional>
#include <vector>

namespace vanto {
namespace {

constexpr std::uint16_t FACTORY_RECORD_BUTTON_TYPE = FUNCTION_TYPE_RECORD_MACRO;

std::u16string ProfileFile(int AProfile) {
    return std::u16string(sim::TSimPlatform::DOCUMENTS) + u"\\Vanto Gaming Mouse\\VantoProfile" +
           static_cast<char16_t>(u'1' + AProfile) + u".pfd";
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

    std::unique_ptr<TDM> StartProfiles() {
        auto DM = std::make_unique<TDM>(FSim.FRegistry, FSim.FFiles, FSim.FShell, FSim.FIni,
                                        FSim.FLocale, FSim.FClock);
        DM->DataModuleCreate();
        return DM;
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
            Changed.push_back(ADM.FProfileGroup[P]->Stream());
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
    EXPECT_EQ(DM->FCurrentProfileInfo.ConfigInfo.ButtonFuncInfo[7].nFunctionType,
              FACTORY_RECORD_BUTTON_TYPE);
    EXPECT_EQ(DM->FProfileSettingGroup.ProfileSettingList[0].nStorageType, STORAGE_FILE);
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
        FSim.FRegistry.ReadValue(VANTO_REGISTRY_KEY, DM->FProfileGroup[0]->FileName());
    ASSERT_TRUE(Stored);

    FSim.FRegistry.SetRefuseWrites(true);
    DM->FCurrentProfileInfo.ConfigInfo.ReportRate = 1000;
    EXPECT_THROW(DM->SaveCurrentProfileInfoToRegistry(), EProfileError);
    EXPECT_EQ(FSim.FRegistry.ReadValue(VANTO_REGISTRY_KEY, DM->FProfileGroup[0]->FileName())->FData,
              Stored->FData);

    // Without a key that can be made there is no place at all: refused, not thrown.
    FSim.FRegistry.SetRefuseWrites(false);
    FSim.FRegistry.SetRefuseKeyCreation(true);
    DM->FProfileGroup[0]->SetKeyPath(u"software\\Elsewhere");
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
        EXPECT_EQ(DM->FCurrentProfileInfo.ConfigInfo.ButtonFuncInfo[7].nFunctionType,
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
    EXPECT_EQ(std::memcmp(&Again->FCurrentProfileInfo, Old.data(), PROFILE_BLOCK_SIZE), 0);
}

TEST_F(ProfileStoreFaultTest, AProfileFolderThatCannotBeMadeLeavesFactoryProfilesInMemoryOnly) {
    FSim.FFiles.SetRefuseFolders(true);
    std::unique_ptr<TDM> DM;
    ASSERT_NO_THROW(DM = StartProfiles());
    EXPECT_EQ(DM->FCurrentProfileInfo.ConfigInfo.ButtonFuncInfo[7].nFunctionType,
              FACTORY_RECORD_BUTTON_TYPE);
    for (int P = 0; P < static_cast<int>(GAME_PROFILE_COUNT); ++P) {
        EXPECT_FALSE(FSim.FFiles.FileExists(ProfileFile(P)));
    }
    // Saving names no folder that exists: nothing is written and nothing claims it was.
    EXPECT_NO_THROW(DM->SaveCurrentProfileInfoToFile());
    EXPECT_FALSE(DM->FProfileGroup[0]->SaveStreamToFile(ProfileFile(0)));
    EXPECT_FALSE(FSim.FFiles.FileExists(ProfileFile(0)));

    FSim.FFiles.SetRefuseFolders(false);
    StartProfiles();
    EXPECT_EQ(FileBytes(0).size(), PROFILE_BLOCK_SIZE);
}

} // namespace
} // namespace vanto
