#include "platform/win32/WideText.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32IniFile.h"
#include "platform/win32/Win32Locale.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Shell.h"
#include "profile/DM.h"
#include "shared/ConfigAppInterface.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

namespace vanto::win32 {
namespace {

void RemoveFolderTree(const std::u16string& AFolder) {
    WIN32_FIND_DATAW Found;
    HANDLE Search = FindFirstFileW(AsWide(AFolder + u"\\*"), &Found);
    if (Search != INVALID_HANDLE_VALUE) {
        do {
            std::u16string Name = FromWide(Found.cFileName);
            if (Name != u"." && Name != u"..") {
                std::u16string Path = AFolder + u"\\" + Name;
                (Found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    ? RemoveFolderTree(Path)
                    : void(DeleteFileW(AsWide(Path)));
            }
        } while (FindNextFileW(Search, &Found));
        FindClose(Search);
    }
    RemoveDirectoryW(AsWide(AFolder));
}

// The profile store against the real registry and Documents folder of the test prefix. The
// prefix is private to the build, so the test may clear what a first run would find.
class Win32ProfileStoreTest : public testing::Test {
protected:
    Win32ProfileStoreTest() {
        RegDeleteTreeW(HKEY_CURRENT_USER, AsWide(VANTO_REGISTRY_KEY));
        RegDeleteKeyW(HKEY_CURRENT_USER, AsWide(VANTO_REGISTRY_KEY));
        RemoveFolderTree(*FShell.DocumentsFolder() + u"\\Vanto Gaming Mouse");
    }

    std::unique_ptr<TDM> Start() {
        auto DM = std::make_unique<TDM>(FRegistry, FFiles, FShell, FIni, FLocale, FClock);
        DM->DataModuleCreate();
        return DM;
    }

    TWin32Registry FRegistry;
    TWin32FileSystem FFiles;
    TWin32Shell FShell;
    TWin32IniFile FIni;
    TWin32Locale FLocale;
    TWin32Clock FClock;
};

TEST_F(Win32ProfileStoreTest,
       AFirstRunStoresTheSharedRecordsAndFiveProfilesAndASecondRunLoadsThem) {
    auto First = Start();
    EXPECT_EQ(First->ProfileGroupIndex(), 0);
    EXPECT_EQ(First->ProfileIndex(), 0);
    auto Group = FRegistry.ReadValue(VANTO_REGISTRY_KEY, u"VantoProfileSettingGroup.pfd");
    auto All = FRegistry.ReadValue(VANTO_REGISTRY_KEY, u"VantoProfile.pfd");
    ASSERT_TRUE(Group && All);
    EXPECT_EQ(Group->FType, platform::TRegValueType::Binary);
    EXPECT_EQ(Group->FData.size(), PROFILE_SETTING_GROUP_BLOCK_SIZE);
    EXPECT_EQ(All->FData.size(), ALLGAMESINFO_BLOCK_SIZE);
    // Wine reports the Documents folder with a trailing separator; the profile folder has one.
    std::u16string Documents = *FShell.DocumentsFolder();
    EXPECT_EQ(First->GetProfileFolder(),
              Documents + (Documents.ends_with(u'\\') ? u"" : u"\\") + u"Vanto Gaming Mouse");

    // The factory setting group keeps the five game profiles as files in the profile folder.
    for (char16_t N = u'1'; N <= u'5'; ++N) {
        auto Bytes =
            FFiles.ReadWholeFile(First->GetProfileFolder() + u"\\VantoProfile" + N + u".pfd");
        ASSERT_TRUE(Bytes) << static_cast<char>(N);
        EXPECT_EQ(Bytes->size(), PROFILE_BLOCK_SIZE);
    }
    EXPECT_EQ(First->CurrentProfileInfo().ConfigInfo.ButtonCount, 7);

    // What the configuration application stores, and the monitor then saves, is what the next
    // start finds.
    auto Stored = std::make_unique<TProfileSettingGroup>(First->ProfileSettingGroup());
    Stored->ProfileIndexOfProfileGroup[1] = 3;
    ASSERT_TRUE(FRegistry.WriteBinaryValue(VANTO_REGISTRY_KEY, u"VantoProfileSettingGroup.pfd",
                                           Stored.get(), sizeof(*Stored)));
    First->LoadProfileGroupSettingInfoFromRegistry();
    ASSERT_TRUE(First->SwitchToProfileGroup(1));
    First->SaveProfileGroupSettingInfoToRegistry();
    auto Second = Start();
    EXPECT_EQ(Second->ProfileGroupIndex(), 1);
    EXPECT_EQ(Second->ProfileIndex(), 3);
}

TEST_F(Win32ProfileStoreTest, ProfileFilesAreSavedWholeInTheDocumentsFolder) {
    auto DM = Start();
    DM->EditCurrentProfileInfo().ConfigInfo.ButtonFuncInfo[14].nFunctionType = 32;
    DM->SaveBackToCurrentProfileInfo();
    std::u16string File = DM->GetProfileFolder() + u"\\VantoProfile1.pfd";
    DM->SaveCurrentProfileInfoToFile(File);
    auto Bytes = FFiles.ReadWholeFile(File);
    ASSERT_TRUE(Bytes);
    ASSERT_EQ(Bytes->size(), PROFILE_BLOCK_SIZE);
    EXPECT_EQ((*Bytes)[57434], 32);
    EXPECT_FALSE(FFiles.FileExists(File + u".tmp"));
}

} // namespace
} // namespace vanto::win32
