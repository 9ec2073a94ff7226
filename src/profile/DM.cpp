#include "profile/DM.h"

#include "i18n/Translate.h"
#include "platform/Utf16.h"
#include "profile/FactoryDefaults.h"
#include "profile/ProfileFilePlace.h"
#include "shared/ConfigAppInterface.h"

#include <cstring>
#include <memory>

#include <iterator>
#include <string_view>

namespace vanto {

namespace {

constexpr char16_t TEST_PROFILE_NAME[] = u"K7260ProfileTest.pfd";
constexpr char16_t DEFAULT_PROFILE_NAME[] = u"K7260ProfileDef.pfd";
constexpr char16_t PROFILE_FOLDER_NAME[] = u"Vanto Gaming Mouse";

// A new blob is sized with zero bytes; the largest record bounds every such write.
const std::array<std::uint8_t, PROFILE_BLOCK_SIZE> ZeroBlock{};

template <typename TRecord> void WriteRecord(TuiProfile& ABlob, const TRecord& ARecord) {
    ABlob.Write(&ARecord, static_cast<int>(sizeof(TRecord)));
}

template <typename TRecord> void ReadRecord(TuiProfile& ABlob, TRecord& ARecord) {
    ABlob.Read(&ARecord, static_cast<int>(sizeof(TRecord)));
}

// Factory values are written over the stream's bytes in place. A stream shorter than its record
// (a short value loaded from the registry) is first completed with zeros: a reset gives a whole
// record, never factory values mixed with whatever the reader's buffer held before.
template <typename TRecord, typename TFill>
void FillInPlace(std::vector<std::uint8_t>& AStream, TFill AFill) {
    if (AStream.size() < sizeof(TRecord)) {
        AStream.resize(sizeof(TRecord), 0);
    }
    auto Record = std::make_unique<TRecord>();
    std::memcpy(Record.get(), AStream.data(), sizeof(TRecord));
    AFill(*Record);
    std::memcpy(AStream.data(), Record.get(), sizeof(TRecord));
}

void WriteZeros(TuiProfile& ABlob, std::size_t ASize) {
    ABlob.Write(ZeroBlock.data(), static_cast<int>(ASize));
}

std::u16string WithBackslash(std::u16string APath) {
    if (!APath.empty() && APath.back() != u'\\') {
        APath += u'\\';
    }
    return APath;
}

enum class TStartUpLoad { Loaded, Missing, Unusable };

// Start-up must come up even when a stored value has the wrong type; it then counts as missing.
// A value far too large to read is there, only not for this monitor: it is kept.
TStartUpLoad LoadFromRegistryAtStartUp(TuiProfile& ABlob) {
    try {
        return ABlob.LoadStreamFromRegistry() ? TStartUpLoad::Loaded : TStartUpLoad::Missing;
    } catch (const EStoredRecordTooLarge&) {
        return TStartUpLoad::Unusable;
    } catch (const EProfileError&) {
        return TStartUpLoad::Missing;
    }
}

// Nor does a registry that refuses the factory record stop it: the monitor runs on that record
// in memory, and the next start-up stores it again.
void SaveToRegistryAtStartUp(TuiProfile& ABlob) {
    try {
        ABlob.SaveStreamToRegistry();
    } catch (const EProfileError&) {
    }
}

// The values of the shared key that are not game profiles. A game profile stored under one of
// these names (they come from the setting table another program writes) would overwrite it.
bool IsSharedValueName(std::u16string_view AName) {
    for (std::u16string_view Shared :
         {std::u16string_view(SETTING_GROUP_VALUE_NAME),
          std::u16string_view(ALL_SETTING_VALUE_NAME), std::u16string_view(RECORD_MACRO_VALUE_NAME),
          std::u16string_view(PROFILE_ID_VALUE_NAME)}) {
        if (SameTextIgnoringCase(AName, Shared)) {
            return true;
        }
    }
    return false;
}

} // namespace

TDM::TDM(platform::IRegistry& ARegistry, platform::IFileSystem& AFiles, platform::IShell& AShell,
         platform::IIniFile& AIni, platform::ILocale& ALocale, platform::IClock& AClock)
    : uiProfileAllSettingInfo(ARegistry, AFiles), uiProfileGame1(ARegistry, AFiles),
      uiProfileGame2(ARegistry, AFiles), uiProfileGame3(ARegistry, AFiles),
      uiProfileGame4(ARegistry, AFiles), uiProfileGame5(ARegistry, AFiles),
      uiProfileSettingGroup(ARegistry, AFiles), uiProfileDefaultGame(ARegistry, AFiles),
      uiProfileTest(ARegistry, AFiles),
      uiProfileRecordMacroInfo(ARegistry, AFiles), FProfileGroup{&uiProfileGame1, &uiProfileGame2,
                                                                 &uiProfileGame3, &uiProfileGame4,
                                                                 &uiProfileGame5, nullptr},
      FFiles(AFiles), FShell(AShell), FIni(AIni), FLocale(ALocale), FClock(AClock) {
    uiProfileAllSettingInfo.OnRestoreToDefault = [this](std::vector<std::uint8_t>& AStream) {
        uiProfileAllSettingInfoRestoreToDefault(AStream);
    };
    auto GameDefaults = [this](std::vector<std::uint8_t>& AStream) {
        uiProfileGame1RestoreToDefault(AStream);
    };
    for (int P = 0; P < static_cast<int>(GAME_PROFILE_COUNT); ++P) {
        TuiProfile& Game = Slot(P);
        Game.OnRestoreToDefault = GameDefaults;
        // Such a profile has no place in the registry: it is neither read from nor written to
        // the record it is named after.
        const auto OwnValueOnly = [&Game](std::vector<std::uint8_t>&, bool& AContinue) {
            AContinue = !IsSharedValueName(Game.FileName());
        };
        Game.OnBeforeLoadFromRegistry = OwnValueOnly;
        Game.OnBeforeSaveToRegistry = OwnValueOnly;
    }
    uiProfileDefaultGame.OnRestoreToDefault = GameDefaults;
    uiProfileSettingGroup.OnRestoreToDefault = [this](std::vector<std::uint8_t>& AStream) {
        uiProfileSettingGroupRestoreToDefault(AStream);
    };
    uiProfileTest.OnRestoreToDefault = [this](std::vector<std::uint8_t>& AStream) {
        uiProfileTestRestoreToDefault(AStream);
    };
}

// --- Start-up ---

void TDM::DataModuleCreate() {
    FProfileGroupIndex = 0;
    InitProfileSettingGroup();
    InitAllProfileSettingInfo();
    InitGameProfiles();
    SwitchToProfileGroup(FProfileGroupIndex);
    FHidSelector = VANTO_MOUSE_COLLECTION;
    ReadOtherConfig();
}

// Nothing is saved at exit: every change was stored when its operation ran.
void TDM::DataModuleDestroy() {}

void TDM::ConfigureBlob(TuiProfile& ABlob, const std::u16string& AFileName) {
    ABlob.SetRootKey(HKEY_CURRENT_USER_ROOT);
    ABlob.SetFileName(AFileName);
    ABlob.SetKeyPath(VANTO_REGISTRY_KEY);
}

void TDM::LoadOrRestoreAtStartUp(TuiProfile& ABlob) {
    const TStartUpLoad Load = LoadFromRegistryAtStartUp(ABlob);
    if (Load != TStartUpLoad::Loaded) {
        ABlob.RestoreToDefault();
    }
    if (Load == TStartUpLoad::Missing) {
        SaveToRegistryAtStartUp(ABlob);
    }
}

void TDM::InitProfileSettingGroup() {
    ConfigureBlob(uiProfileSettingGroup, SETTING_GROUP_VALUE_NAME);
    WriteZeros(uiProfileSettingGroup, PROFILE_SETTING_GROUP_BLOCK_SIZE);
    LoadOrRestoreAtStartUp(uiProfileSettingGroup);
    ReadRecord(uiProfileSettingGroup, FProfileSettingGroup);
    UseStoredGroupSelection();
}

void TDM::InitAllProfileSettingInfo() {
    ConfigureBlob(uiProfileAllSettingInfo, ALL_SETTING_VALUE_NAME);
    WriteRecord(uiProfileAllSettingInfo, FAllProfileSettingInfo);
    LoadOrRestoreAtStartUp(uiProfileAllSettingInfo);
    ReadRecord(uiProfileAllSettingInfo, FAllProfileSettingInfo);

    ConfigureBlob(uiProfileRecordMacroInfo, RECORD_MACRO_VALUE_NAME);
    WriteRecord(uiProfileRecordMacroInfo, FRecordMacroInfo);
}

void TDM::InitGameProfiles() {
    for (int P = 0; P < static_cast<int>(GAME_PROFILE_COUNT); ++P) {
        InitGameProfile(P);
    }
}

void TDM::InitGameProfile(int AProfileIndex) {
    const TPROFILESETTINGINFO& Entry = FProfileSettingGroup.ProfileSettingList[AProfileIndex];
    TuiProfile& Game = Slot(AProfileIndex);
    const std::u16string Folder = ReadRecordText(Entry.szFilePath);
    ConfigureBlob(Game, ReadRecordText(Entry.szFileName));
    // Taking the folder looks it up, and looking at a share already connects to its server.
    if (IsAllowedProfileFile(Folder, Game.FileName())) {
        Game.SetFilePath(Folder);
    }
    WriteZeros(Game, PROFILE_BLOCK_SIZE);
    if (Entry.nStorageType == STORAGE_REGISTRY) {
        if (LoadFromRegistryAtStartUp(Game) != TStartUpLoad::Loaded) {
            Game.RestoreToDefault();
        }
    } else if (Entry.nStorageType == STORAGE_FILE) {
        LoadGameProfileFile(Game, Entry);
    }
}

// A profile file that cannot be used, read or written leaves that profile at factory contents
// in memory for this run. An unreadable file, or one far too large to read, is not overwritten:
// the fault may pass, a newer configuration application may have written it, and the file is
// the user's only copy.
void TDM::LoadGameProfileFile(TuiProfile& ASlot, const TPROFILESETTINGINFO& AEntry) {
    const std::u16string Folder = ReadRecordText(AEntry.szFilePath);
    const std::u16string Name = ReadRecordText(AEntry.szFileName);
    if (!IsAllowedProfileFile(Folder, Name)) {
        ASlot.RestoreToDefault();
        return;
    }
    const std::u16string Full = WithBackslash(Folder) + Name;
    const bool Exists = FFiles.FileExists(Full);
    try {
        if (Exists && ASlot.LoadStreamFromFile(Full)) {
            return;
        }
        ASlot.RestoreToDefault();
        if (Exists) {
            ASlot.SaveStreamToFile();
        } else {
            ASlot.SaveStreamToFile(Full);
        }
    } catch (const EProfileError&) {
        ASlot.RestoreToDefault();
    }
}

void TDM::ReadOtherConfig() {
    const std::u16string Ini = FShell.ExecutableFolder() + u"\\config.ini";
    FOtherConfig = TOtherConfig{};
    FOtherConfig.Nologo = FIni.ReadInteger(Ini, u"OtherConfig", u"NoLogo", 0);
    FHelpFiles = FIni.ReadSection(Ini, u"HelpFiles");
}

// Without a Documents folder there is no profile folder: an empty result, so that file-stored
// profiles built on it are treated as unusable rather than written at a drive's root.
std::u16string TDM::GetProfileFolder() {
    std::u16string Documents = FShell.DocumentsFolder().value_or(u"");
    if (Documents.empty()) {
        return u"";
    }
    return WithBackslash(std::move(Documents)) + PROFILE_FOLDER_NAME;
}

// --- Group selection ---

// The configuration application writes these values. An out-of-range group falls back to
// group 0 and an out-of-range profile of a group to the group's own number, the factory
// mapping: both groups then stay on distinct profiles and no index leaves the records.
int TDM::StoredProfileGroup() const {
    const int Group = FProfileSettingGroup.CurrentProfileGroup;
    return IsProfileGroupIndexInRange(Group) ? Group : 0;
}

int TDM::StoredProfileIndexOfGroup(int AProfileGroupIndex) const {
    const int Profile = FProfileSettingGroup.ProfileIndexOfProfileGroup[AProfileGroupIndex];
    return IsProfileIndexInRange(Profile) ? Profile : AProfileGroupIndex;
}

void TDM::UseStoredGroupSelection() {
    FProfileGroupIndex = StoredProfileGroup();
    FProfileIndex = StoredProfileIndexOfGroup(FProfileGroupIndex);
}

bool TDM::IsProfileGroupIndexInRange(int AProfileGroupIndex) {
    return AProfileGroupIndex >= 0 && AProfileGroupIndex < static_cast<int>(PROFILE_GROUP_COUNT);
}

bool TDM::IsProfileIndexInRange(int AProfileIndex) {
    return AProfileIndex >= 0 && AProfileIndex < static_cast<int>(GAME_PROFILE_COUNT);
}

bool TDM::SwitchToProfileGroup(int AProfileGroupIndex) {
    if (!IsProfileGroupIndexInRange(AProfileGroupIndex)) {
        return false;
    }
    FProfileSettingGroup.CurrentProfileGroup = AProfileGroupIndex;
    FProfileGroupIndex = AProfileGroupIndex;
    FProfileIndex = StoredProfileIndexOfGroup(AProfileGroupIndex);
    SwitchToProfile(FProfileIndex);
    return true;
}

bool TDM::SwitchToProfile(int AProfileIndex) {
    if (!IsProfileIndexInRange(AProfileIndex)) {
        return false;
    }
    FProfileIndex = AProfileIndex;
    ReadRecord(Slot(FProfileIndex), FCurrentProfileInfo);
    FAllProfileSettingInfo.CurrentGame = static_cast<std::uint16_t>(AProfileIndex);
    return true;
}

// --- Loading ---

void TDM::LoadProfileGroupSettingInfoFromRegistry() {
    if (!uiProfileSettingGroup.LoadStreamFromRegistry()) {
        uiProfileSettingGroup.RestoreToDefault();
        uiProfileSettingGroup.SaveStreamToRegistry();
    }
    ReadRecord(uiProfileSettingGroup, FProfileSettingGroup);
    UseStoredGroupSelection();
}

void TDM::LoadAllProfileInfoFromRegistry() {
    if (!uiProfileAllSettingInfo.LoadStreamFromRegistry()) {
        uiProfileAllSettingInfo.RestoreToDefault();
        uiProfileAllSettingInfo.SaveStreamToRegistry();
    }
    ReadRecord(uiProfileAllSettingInfo, FAllProfileSettingInfo);
}

bool TDM::LoadCurrentProfileInfoFromRegistry() {
    const bool Loaded = Slot(FProfileIndex).LoadStreamFromRegistry();
    ReadRecord(Slot(FProfileIndex), FCurrentProfileInfo);
    return Loaded;
}

bool TDM::LoadCurrentProfileInfoFromFile(const std::u16string& AFile) {
    const bool Loaded = Slot(FProfileIndex).LoadStreamFromFile(AFile);
    ReadRecord(Slot(FProfileIndex), FCurrentProfileInfo);
    return Loaded;
}

bool TDM::LoadProfileInfoFromRegistry(int AProfileIndex) {
    return IsProfileIndexInRange(AProfileIndex) && Slot(AProfileIndex).LoadStreamFromRegistry();
}

void TDM::LoadRecordMacroInfoFromRegistry() {
    uiProfileRecordMacroInfo.LoadStreamFromRegistry();
    ReadRecord(uiProfileRecordMacroInfo, FRecordMacroInfo);
}

bool TDM::ReadCurrentProfileInfo() {
    ReadRecord(Slot(FProfileIndex), FCurrentProfileInfo);
    return true;
}

bool TDM::ReadProfileInfo(TMouseProfileInfo& AProfileInfo, int AProfileIndex) {
    if (!IsProfileIndexInRange(AProfileIndex)) {
        return false;
    }
    ReadRecord(Slot(AProfileIndex), AProfileInfo);
    return true;
}

// --- Saving ---

void TDM::SaveBackToCurrentProfileInfo() {
    WriteRecord(Slot(FProfileIndex), FCurrentProfileInfo);
}

bool TDM::SaveCurrentProfileInfoToRegistry() {
    SaveBackToCurrentProfileInfo();
    return Slot(FProfileIndex).SaveStreamToRegistry();
}

void TDM::SaveCurrentProfileInfoToFile(const std::u16string& AFile) {
    Slot(FProfileIndex).SaveStreamToFile(AFile);
}

bool TDM::IsAllowedProfileFile(std::u16string_view AFolder, std::u16string_view AName) {
    return IsAllowedProfileFilePlace(AFolder, AName, FShell.DocumentsFolder().value_or(u""),
                                     FFiles);
}

bool TDM::HasUsableProfileFile(const TuiProfile& ASlot) {
    return IsAllowedProfileFile(ASlot.FilePath(), ASlot.FileName());
}

void TDM::SaveCurrentProfileInfoToFile() {
    if (HasUsableProfileFile(Slot(FProfileIndex))) {
        Slot(FProfileIndex).SaveStreamToFile();
    }
}

bool TDM::SaveBackToProfileInfo(const TMouseProfileInfo& AProfileInfo, int AProfileIndex) {
    if (!IsProfileIndexInRange(AProfileIndex)) {
        return false;
    }
    WriteRecord(Slot(AProfileIndex), AProfileInfo);
    return true;
}

bool TDM::SaveProfileInfoToRegistry(int AProfileIndex) {
    if (!IsProfileIndexInRange(AProfileIndex)) {
        return false;
    }
    Slot(AProfileIndex).SaveStreamToRegistry();
    return true;
}

bool TDM::StoreProfileInfo(int AProfileIndex) {
    if (!IsProfileIndexInRange(AProfileIndex)) {
        return false;
    }
    TuiProfile& Game = Slot(AProfileIndex);
    const bool InFile =
        FProfileSettingGroup.ProfileSettingList[AProfileIndex].nStorageType == STORAGE_FILE;
    if (InFile && !HasUsableProfileFile(Game)) {
        return false;
    }
    if (!Game.SaveStreamToRegistry()) {
        return false;
    }
    if (InFile) {
        Game.SaveStreamToFile();
    }
    return true;
}

void TDM::SaveBackAllProfileInfo() {
    for (int P = 0; P < static_cast<int>(GAME_PROFILE_COUNT); ++P) {
        Slot(P).SaveStreamToRegistry();
    }
}

void TDM::SaveBackAllProfileInfoToRegistry() {
    SaveBackAllProfileInfo();
}

void TDM::SaveBackAllProfileInfoToFile() {
    for (int P = 0; P < static_cast<int>(GAME_PROFILE_COUNT); ++P) {
        if (HasUsableProfileFile(Slot(P))) {
            Slot(P).SaveStreamToFile();
        }
    }
}

void TDM::SaveBackAllProfileSettingInfo() {
    FAllProfileSettingInfo.CurrentGame = static_cast<std::uint16_t>(FProfileIndex);
    WriteRecord(uiProfileAllSettingInfo, FAllProfileSettingInfo);
    uiProfileAllSettingInfo.SaveStreamToRegistry();
}

void TDM::SaveBackToProfileGroupSettingInfo() {
    WriteRecord(uiProfileSettingGroup, FProfileSettingGroup);
}

void TDM::SaveProfileGroupSettingInfoToRegistry() {
    SaveBackToProfileGroupSettingInfo();
    uiProfileSettingGroup.SaveStreamToRegistry();
}

void TDM::SaveBackRecordMacroInfoToRegistry(const TMACROKEYINFO& ARecordMacroInfo) {
    WriteRecord(uiProfileRecordMacroInfo, ARecordMacroInfo);
    uiProfileRecordMacroInfo.SaveStreamToRegistry();
}

// A name or folder that does not fit its setting entry, or a place where no profile file
// belongs, is refused whole: a cut name would point at some other file.
bool TDM::ChangeCurrentProfileFileNameAndPath(const std::u16string& AProfileFilePath) {
    const TFolderAndName Parts = SplitFolderAndName(AProfileFilePath);
    if (Parts.FName.size() >= PROFILE_FILE_NAME_CAPACITY ||
        Parts.FFolder.size() >= SETTING_PATH_CAPACITY ||
        !IsAllowedProfileFile(Parts.FFolder, Parts.FName)) {
        return false;
    }
    TuiProfile& Game = Slot(FProfileIndex);
    Game.SetFileName(Parts.FName);
    Game.SetFilePath(Parts.FFolder);
    TPROFILESETTINGINFO& Entry = FProfileSettingGroup.ProfileSettingList[FProfileIndex];
    WriteRecordText(Entry.szFileName, Parts.FName);
    WriteRecordText(Entry.szFilePath, Parts.FFolder);
    return true;
}

// --- Factory contents ---

void TDM::RestoreCurrentProfileInfoToDefault() {
    Slot(FProfileIndex).RestoreToDefault();
    ReadRecord(Slot(FProfileIndex), FCurrentProfileInfo);
}

bool TDM::RestoreProfileInfoToDefault(int AProfileIndex) {
    if (!IsProfileIndexInRange(AProfileIndex)) {
        return false;
    }
    Slot(AProfileIndex).RestoreToDefault();
    return true;
}

bool TDM::RestoreProfileGroupToDefault(int AProfileGroupIndex) {
    if (!IsProfileGroupIndexInRange(AProfileGroupIndex)) {
        return false;
    }
    const int Profile = StoredProfileIndexOfGroup(AProfileGroupIndex);
    if (Profile == FProfileIndex) {
        RestoreCurrentProfileInfoToDefault();
    } else {
        Slot(Profile).RestoreToDefault();
    }
    return true;
}

void TDM::RestoreProfileSettingGroupToDefault() {
    uiProfileSettingGroup.RestoreToDefault();
    uiProfileSettingGroup.SaveStreamToRegistry();
}

// Unlike the factory profile, this reset tops out at 8000 with X and Y tied.
void TDM::RestoreToDefaultCPISetting() {
    SetCpiLevels(FCurrentProfileInfo.ConfigInfo, 8000, 0);
}

void TDM::RestoreToDefaultLightAndReportAdvancedSetting() {
    SetReportRateAndLight(FCurrentProfileInfo.ConfigInfo);
}

void TDM::InitTestDefaultValue() {
    ConfigureBlob(uiProfileTest, TEST_PROFILE_NAME);
    WriteRecord(uiProfileTest, FTestProfileInfo);
    uiProfileTest.RestoreToDefault();
    ReadRecord(uiProfileTest, FTestProfileInfo);

    ConfigureBlob(uiProfileDefaultGame, DEFAULT_PROFILE_NAME);
    WriteRecord(uiProfileDefaultGame, FDefaultProfileInfo);
    uiProfileDefaultGame.RestoreToDefault();
    ReadRecord(uiProfileDefaultGame, FDefaultProfileInfo);
}

void TDM::uiProfileAllSettingInfoRestoreToDefault(std::vector<std::uint8_t>& AStream) {
    FillInPlace<TALLGAMESINFO>(AStream, [this](TALLGAMESINFO& AAll) {
        RestoreAllSettingDefaults(AAll, FLocale.SystemDefaultLangID());
    });
}

void TDM::uiProfileGame1RestoreToDefault(std::vector<std::uint8_t>& AStream) {
    FillInPlace<TMouseProfileInfo>(AStream, [this](TMouseProfileInfo& AProfile) {
        RestoreGameProfileDefaults(AProfile, FClock.LocalDateTime(),
                                   FactoryMacroName(Translate(u"User Recorded")));
    });
}

void TDM::uiProfileSettingGroupRestoreToDefault(std::vector<std::uint8_t>& AStream) {
    FillInPlace<TProfileSettingGroup>(AStream, [this](TProfileSettingGroup& AGroup) {
        RestoreSettingGroupDefaults(AGroup, GetProfileFolder());
    });
}

void TDM::uiProfileTestRestoreToDefault(std::vector<std::uint8_t>& AStream) {
    if (AStream.empty()) {
        return;
    }
    FillInPlace<TMouseProfileInfo>(AStream, [this](TMouseProfileInfo& AProfile) {
        RestoreTestProfileDefaults(AProfile, FClock.LocalDateTime());
    });
}

} // namespace vanto
