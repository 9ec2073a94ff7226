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
// records held here are copies taken out of and put back into those blobs, and the rest of the
// monitor reads them through the accessors below.
//
// The current profile exists in up to four copies, and none follows the others by itself.
// While the monitor runs, the working copy is the authoritative one: everything it does with
// the mouse reads it. The other copies are refreshed only at the moments named here.
// - The working copy FCurrentProfileInfo: button dispatch, playback and upload read it, and a
//   stored recording is edited into it (EditCurrentProfileInfo, the one writer). It is
//   refreshed from the slot's blob by SwitchToProfile / SwitchToProfileGroup,
//   ReadCurrentProfileInfo, RestoreCurrentProfileInfoToDefault and the
//   LoadCurrentProfileInfo... operations (also when they find nothing to load, so an unsaved
//   edit is lost; a load that throws refreshes nothing). LoadProfileGroupSettingInfoFromRegistry
//   moves FProfileIndex without refreshing it: until the caller reloads, it holds the profile
//   of the old index.
// - The slot's blob (FProfileGroup[FProfileIndex]): the last loaded, restored or written-back
//   state. An edit of the working copy reaches it only through SaveBackToCurrentProfileInfo
//   (SaveCurrentProfileInfoToRegistry writes back first); SaveBackToProfileInfo and the
//   restore operations change it without refreshing the working copy.
// - The registry value or profile file: the stored copy, which the configuration application
//   writes too. It changes only when a save stores the blob. The ...ToFile saves store the blob
//   as it is, never the working copy. The monitor reloads the current profile from the
//   registry whatever the profile's storage type, at the configuration application's
//   WM_CFG_PROFILE_CHANGED and before it stores a recording; where the registry holds no value
//   for it (a file-stored profile never saved there), the blob stays as it was. Storing a
//   recording writes the registry value, whatever the storage type.
// - The setting group's copy FProfileSettingGroup holds no profile contents, only where each
//   profile is stored and which profile each group selects. It is read at start-up and by
//   LoadProfileGroupSettingInfoFromRegistry; SwitchToProfileGroup and
//   ChangeCurrentProfileFileNameAndPath edit it in memory, and it reaches its blob and the
//   registry only through SaveBackToProfileGroupSettingInfo and
//   SaveProfileGroupSettingInfoToRegistry.
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

    const TMouseProfileInfo& CurrentProfileInfo() const { return FCurrentProfileInfo; }
    // The one writer of the working copy: storing a recording edits the button records and the
    // macro list in place before writing them back. Nothing is written back here.
    TMouseProfileInfo& EditCurrentProfileInfo() { return FCurrentProfileInfo; }
    int ProfileIndex() const { return FProfileIndex; }
    int ProfileGroupIndex() const { return FProfileGroupIndex; }
    const TALLGAMESINFO& AllProfileSettingInfo() const { return FAllProfileSettingInfo; }
    const TProfileSettingGroup& ProfileSettingGroup() const { return FProfileSettingGroup; }
    // The blob of game profile AProfileIndex, 0..4.
    const TuiProfile& ProfileGroup(int AProfileIndex) const {
        return *FProfileGroup.at(static_cast<std::size_t>(AProfileIndex));
    }
    const TOtherConfig& OtherConfig() const { return FOtherConfig; }
    const platform::TIniPairs& HelpFiles() const { return FHelpFiles; }
    const TMouseProfileInfo& DefaultProfileInfo() const { return FDefaultProfileInfo; }
    const TMouseProfileInfo& TestProfileInfo() const { return FTestProfileInfo; }
    const TMACROKEYINFO& RecordMacroInfo() const { return FRecordMacroInfo; }
    const USAGE_AND_PAGE& HidSelector() const { return FHidSelector; }

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

    platform::IFileSystem& FFiles;
    platform::IShell& FShell;
    platform::IIniFile& FIni;
    platform::ILocale& FLocale;
    platform::IClock& FClock;
};

} // namespace vanto
