#pragma once

#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/IniFile.h"
#include "platform/Locale.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "profile/uiProfile.h"
#include "shared/UsageAndPage.h"
#include "shared/pubunit_quorvin.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vanto {

// The single owner of all profile state: the five stored game profiles, the table of where
// each is kept, the settings shared by all profiles, the working copy of the current profile
// and the last on-the-fly recording. Each stored record lives in its own TuiProfile blob; the
// record fields below are copies taken out of and put back into those blobs.
//
// The constructor only wires the components; DataModuleCreate does the loading.
class TDM {
public:
    TDM(platform::IRegistry& ARegistry, platform::IFileSystem& AFiles, platform::IShell& AShell,
        platform::IIniFile& AIni, platform::ILocale& ALocale, platform::IClock& AClock);
    TDM(const TDM&) = delete;
    TDM& operator=(const TDM&) = delete;

    void DataModuleCreate();
    void DataModuleDestroy();

    std::u16string GetProfileFolder();

    static bool IsProfileGroupIndexInRange(int AProfileGroupIndex);
    static bool IsProfileIndexInRange(int AProfileIndex);

    bool SwitchToProfileGroup(int AProfileGroupIndex);
    bool SwitchToProfile(int AProfileIndex);

    void LoadProfileGroupSettingInfoFromRegistry();
    void LoadAllProfileInfoFromRegistry();
    bool LoadCurrentProfileInfoFromRegistry();
    bool LoadCurrentProfileInfoFromFile(const std::u16string& AFile);
    bool LoadProfileInfoFromRegistry(int AProfileIndex);
    void LoadRecordMacroInfoFromRegistry();
    bool ReadCurrentProfileInfo();
    bool ReadProfileInfo(TMouseProfileInfo& AProfileInfo, int AProfileIndex);

    void SaveBackToCurrentProfileInfo();
    // False when the slot has no registry place or its key cannot be created; a refused write
    // throws EProfileError.
    bool SaveCurrentProfileInfoToRegistry();
    // Stores the slot's blob as last written back, not FCurrentProfileInfo.
    void SaveCurrentProfileInfoToFile(const std::u16string& AFile);
    void SaveCurrentProfileInfoToFile();
    bool SaveBackToProfileInfo(const TMouseProfileInfo& AProfileInfo, int AProfileIndex);
    bool SaveProfileInfoToRegistry(int AProfileIndex);
    // Stores game profile AProfileIndex as last written back, for another program that replaces
    // it while the monitor runs: always its registry value, since that is where the monitor
    // reloads the current profile from, and its file too when the setting group keeps it in one.
    // False, with nothing written, for an index out of range, a profile without a registry
    // place, or a file where no profile file belongs; a failed write throws EProfileError.
    bool StoreProfileInfo(int AProfileIndex);
    void SaveBackAllProfileInfo();
    void SaveBackAllProfileInfoToRegistry();
    void SaveBackAllProfileInfoToFile();
    void SaveBackAllProfileSettingInfo();
    void SaveBackToProfileGroupSettingInfo();
    void SaveProfileGroupSettingInfoToRegistry();
    void SaveBackRecordMacroInfoToRegistry(const TMACROKEYINFO& ARecordMacroInfo);
    // Stores nothing: the caller saves the setting group afterwards.
    bool ChangeCurrentProfileFileNameAndPath(const std::u16string& AProfileFilePath);

    void RestoreCurrentProfileInfoToDefault();
    bool RestoreProfileInfoToDefault(int AProfileIndex);
    bool RestoreProfileGroupToDefault(int AProfileGroupIndex);
    void RestoreProfileSettingGroupToDefault();
    void RestoreToDefaultCPISetting();
    void RestoreToDefaultLightAndReportAdvancedSetting();
    void InitTestDefaultValue();

    void uiProfileAllSettingInfoRestoreToDefault(std::vector<std::uint8_t>& AStream);
    void uiProfileGame1RestoreToDefault(std::vector<std::uint8_t>& AStream);
    void uiProfileSettingGroupRestoreToDefault(std::vector<std::uint8_t>& AStream);
    void uiProfileTestRestoreToDefault(std::vector<std::uint8_t>& AStream);

    TuiProfile uiProfileAllSettingInfo;
    TuiProfile uiProfileGame1;
    TuiProfile uiProfileGame2;
    TuiProfile uiProfileGame3;
    TuiProfile uiProfileGame4;
    TuiProfile uiProfileGame5;
    TuiProfile uiProfileSettingGroup;
    TuiProfile uiProfileDefaultGame;
    TuiProfile uiProfileTest;
    TuiProfile uiProfileRecordMacroInfo;

    TALLGAMESINFO FAllProfileSettingInfo{};
    // Slot p is the blob of game profile p; the sixth slot stays empty.
    std::array<TuiProfile*, GAME_PROFILE_COUNT + 1> FProfileGroup{};
    TProfileSettingGroup FProfileSettingGroup{};
    int FProfileGroupIndex = 0;
    int FProfileIndex = 0;
    TMouseProfileInfo FCurrentProfileInfo{};
    TOtherConfig FOtherConfig{};
    // The help files named in "config.ini"; kept here because the record's HelpFile bytes are
    // stored with profiles and must never act as a reference.
    platform::TIniPairs FHelpFiles;
    TMouseProfileInfo FDefaultProfileInfo{};
    TMouseProfileInfo FTestProfileInfo{};
    TMACROKEYINFO FRecordMacroInfo{};
    // The HID collection every device operation of this process addresses.
    USAGE_AND_PAGE FHidSelector{};

private:
    void InitProfileSettingGroup();
    void InitAllProfileSettingInfo();
    void InitGameProfiles();
    void InitGameProfile(int AProfileIndex);
    void LoadGameProfileFile(TuiProfile& ASlot, const TPROFILESETTINGINFO& AEntry);
    void ReadOtherConfig();

    void ConfigureBlob(TuiProfile& ABlob, const std::u16string& AFileName);
    void LoadOrRestoreAtStartUp(TuiProfile& ABlob);
    void UseStoredGroupSelection();
    int StoredProfileGroup() const;
    int StoredProfileIndexOfGroup(int AProfileGroupIndex) const;
    bool IsAllowedProfileFile(std::u16string_view AFolder, std::u16string_view AName);
    bool HasUsableProfileFile(const TuiProfile& ASlot);
    TuiProfile& Slot(int AProfileIndex) { return *FProfileGroup[AProfileIndex]; }

    platform::IFileSystem& FFiles;
    platform::IShell& FShell;
    platform::IIniFile& FIni;
    platform::ILocale& FLocale;
    platform::IClock& FClock;
};

} // namespace vanto
