#include "StoredRecords.h"

#include "platform/sim/SimPlatform.h"
#include "profile/FactoryDefaults.h"
#include "shared/ConfigAppInterface.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <memory>

namespace vanto::fuzz {

namespace {

template <typename TRecord> std::vector<std::uint8_t> BytesOf(const TRecord& ARecord) {
    std::vector<std::uint8_t> Bytes(sizeof(TRecord));
    std::memcpy(Bytes.data(), &ARecord, sizeof(TRecord));
    return Bytes;
}

TFactoryRecords MakeFactoryRecords() {
    TFactoryRecords Records;
    auto Group = std::make_unique<TProfileSettingGroup>();
    RestoreSettingGroupDefaults(*Group, std::u16string(sim::TSimPlatform::DOCUMENTS) +
                                            u"\\Vanto Gaming Mouse");
    Records.FSettingGroup = BytesOf(*Group);
    auto All = std::make_unique<TALLGAMESINFO>();
    RestoreAllSettingDefaults(*All, 0x0409);
    Records.FAllSettings = BytesOf(*All);
    auto Game = std::make_unique<TMouseProfileInfo>();
    RestoreGameProfileDefaults(*Game, 46023.0, u"User Recorded");
    Records.FGameProfile = BytesOf(*Game);
    Records.FMacro = BytesOf(Game->MacroKeyInfoList.MacroInfos[0]);
    return Records;
}

// Where a changed byte most often changes what the monitor does.
std::vector<std::size_t> SteeringOffsets(TRecordKind AKind) {
    std::vector<std::size_t> Offsets;
    switch (AKind) {
    case TRecordKind::SettingGroup:
        Offsets = {offsetof(TProfileSettingGroup, CurrentProfileGroup),
                   offsetof(TProfileSettingGroup, ProfileIndexOfProfileGroup)};
        for (std::size_t P = 0; P < GAME_PROFILE_COUNT; ++P) {
            const std::size_t Entry = offsetof(TProfileSettingGroup, ProfileSettingList) +
                                      P * sizeof(TPROFILESETTINGINFO);
            Offsets.push_back(Entry + offsetof(TPROFILESETTINGINFO, nStorageType));
            Offsets.push_back(Entry + offsetof(TPROFILESETTINGINFO, szFileName));
            Offsets.push_back(Entry + offsetof(TPROFILESETTINGINFO, szFilePath));
            Offsets.push_back(Entry + offsetof(TPROFILESETTINGINFO, szFilePath) + 46);
        }
        break;
    case TRecordKind::AllSettings:
        Offsets = {offsetof(TALLGAMESINFO, CurrentGame), offsetof(TALLGAMESINFO, CurrentLanguage),
                   offsetof(TALLGAMESINFO, Allgameset)};
        break;
    case TRecordKind::GameProfile:
        for (std::size_t K = 0; K < BUTTON_COUNT; ++K) {
            const std::size_t Button = offsetof(TMouseProfileInfo, ConfigInfo.ButtonFuncInfo) +
                                       K * sizeof(TBUTTONFUNCINFO);
            Offsets.push_back(Button + offsetof(TBUTTONFUNCINFO, nFunctionType));
            Offsets.push_back(Button + offsetof(TBUTTONFUNCINFO, nFunctionGroup));
            Offsets.push_back(Button + offsetof(TBUTTONFUNCINFO, nDeviceFunction));
            Offsets.push_back(Button + offsetof(TBUTTONFUNCINFO, MacroKeyInfo.MacroListCount));
            Offsets.push_back(Button + offsetof(TBUTTONFUNCINFO, MacroKeyInfo.nMacroIndex));
            Offsets.push_back(Button + offsetof(TBUTTONFUNCINFO, MacroKeyInfo.nLoopCount));
        }
        Offsets.push_back(offsetof(TMouseProfileInfo, ConfigInfo.ButtonCount));
        Offsets.push_back(offsetof(TMouseProfileInfo, MacroKeyInfoList.nMacroInfoCount));
        for (std::size_t M = 0; M < 6; ++M) {
            const std::size_t Macro = offsetof(TMouseProfileInfo, MacroKeyInfoList.MacroInfos) +
                                      M * sizeof(TMACROKEYINFO);
            Offsets.push_back(Macro + offsetof(TMACROKEYINFO, MacroListCount));
            Offsets.push_back(Macro + offsetof(TMACROKEYINFO, nMacroIndex));
            Offsets.push_back(Macro + offsetof(TMACROKEYINFO, nLoopCount));
            Offsets.push_back(Macro + offsetof(TMACROKEYINFO, MacroList));
            Offsets.push_back(Macro + offsetof(TMACROKEYINFO, MacroList) + 60);
        }
        break;
    case TRecordKind::Macro:
        Offsets = {offsetof(TMACROKEYINFO, MacroListCount), offsetof(TMACROKEYINFO, nLoopCount),
                   offsetof(TMACROKEYINFO, MacroList), offsetof(TMACROKEYINFO, szMacroName)};
        break;
    }
    return Offsets;
}

const std::vector<std::uint8_t>& FactoryOf(TRecordKind AKind) {
    const TFactoryRecords& Records = FactoryRecords();
    switch (AKind) {
    case TRecordKind::SettingGroup:
        return Records.FSettingGroup;
    case TRecordKind::AllSettings:
        return Records.FAllSettings;
    case TRecordKind::GameProfile:
        return Records.FGameProfile;
    case TRecordKind::Macro:
        break;
    }
    return Records.FMacro;
}

void Patch(TFuzzInput& AInput, TRecordKind AKind, std::vector<std::uint8_t>& ABytes) {
    static const std::array<std::vector<std::size_t>, 4> Offsets = {
        SteeringOffsets(TRecordKind::SettingGroup), SteeringOffsets(TRecordKind::AllSettings),
        SteeringOffsets(TRecordKind::GameProfile), SteeringOffsets(TRecordKind::Macro)};
    const std::vector<std::size_t>& Steering = Offsets[static_cast<std::size_t>(AKind)];
    const std::size_t Count = AInput.Below(9);
    for (std::size_t I = 0; I < Count && !ABytes.empty(); ++I) {
        std::size_t At = 0;
        if (AInput.Flag()) {
            At = Steering[AInput.Below(static_cast<std::uint32_t>(Steering.size()))] +
                 AInput.Below(8);
        } else {
            At = AInput.Below(static_cast<std::uint32_t>(ABytes.size()));
        }
        const auto Bytes = AInput.Bytes(1 + AInput.Below(8));
        for (std::size_t B = 0; B < Bytes.size() && At + B < ABytes.size(); ++B) {
            ABytes[At + B] = Bytes[B];
        }
    }
}

} // namespace

const TFactoryRecords& FactoryRecords() {
    static const TFactoryRecords Records = MakeFactoryRecords();
    return Records;
}

std::optional<platform::TRegValue> ReadStoredRecord(TFuzzInput& AInput, TRecordKind AKind) {
    using platform::TRegValueType;
    const std::vector<std::uint8_t>& Factory = FactoryOf(AKind);
    switch (AInput.Below(6)) {
    case 0:
        return platform::TRegValue{TRegValueType::Binary, Factory};
    case 1:
        return std::nullopt;
    case 2: {
        constexpr TRegValueType OTHERS[] = {TRegValueType::DWord, TRegValueType::String,
                                            TRegValueType::None, TRegValueType::Other};
        const TRegValueType Type = OTHERS[AInput.Below(4)];
        const auto Bytes = AInput.Bytes(AInput.Below(16));
        return platform::TRegValue{Type, {Bytes.begin(), Bytes.end()}};
    }
    case 3: {
        std::vector<std::uint8_t> Bytes = Factory;
        Patch(AInput, AKind, Bytes);
        return platform::TRegValue{TRegValueType::Binary, std::move(Bytes)};
    }
    case 4: {
        // Any size up to a little past the record, the factory bytes as far as they reach.
        std::vector<std::uint8_t> Bytes = Factory;
        Bytes.resize(AInput.Below(static_cast<std::uint32_t>(Factory.size() + 64)), 0xA5);
        Patch(AInput, AKind, Bytes);
        return platform::TRegValue{TRegValueType::Binary, std::move(Bytes)};
    }
    default: {
        const auto Bytes = AInput.Bytes(AInput.U16());
        return platform::TRegValue{TRegValueType::Binary, {Bytes.begin(), Bytes.end()}};
    }
    }
}

std::vector<std::uint8_t> ReadRecordBytes(TFuzzInput& AInput, TRecordKind AKind) {
    std::optional<platform::TRegValue> Value = ReadStoredRecord(AInput, AKind);
    return Value ? Value->FData : std::vector<std::uint8_t>{};
}

void StoreRecords(TFuzzInput& AInput, sim::TSimRegistry& ARegistry, platform::IFileSystem& AFiles) {
    // The configuration application creates the key; without it, it never ran.
    if (AInput.Below(8) != 0) {
        ARegistry.CreateKey(VANTO_REGISTRY_KEY);
    }
    auto Store = [&](const char16_t* AName, TRecordKind AKind) {
        std::optional<platform::TRegValue> Value = ReadStoredRecord(AInput, AKind);
        if (Value) {
            ARegistry.WriteRawValue(VANTO_REGISTRY_KEY, AName, *Value);
        }
        return Value;
    };
    const auto Group = Store(SETTING_GROUP_VALUE_NAME, TRecordKind::SettingGroup);
    Store(ALL_SETTING_VALUE_NAME, TRecordKind::AllSettings);
    Store(RECORD_MACRO_VALUE_NAME, TRecordKind::Macro);

    // The game profiles go where the stored group says, as the configuration application put
    // them there; a group that does not read gives the factory places.
    auto Places = std::make_unique<TProfileSettingGroup>();
    const std::vector<std::uint8_t>& Bytes =
        Group && Group->FType == platform::TRegValueType::Binary ? Group->FData
                                                                 : FactoryRecords().FSettingGroup;
    std::copy_n(Bytes.begin(), std::min(Bytes.size(), sizeof(TProfileSettingGroup)),
                reinterpret_cast<std::uint8_t*>(Places.get()));
    for (const TPROFILESETTINGINFO& Entry : Places->ProfileSettingList) {
        std::optional<platform::TRegValue> Game =
            ReadStoredRecord(AInput, TRecordKind::GameProfile);
        const std::u16string Name = ReadRecordText(Entry.szFileName);
        if (!Game || Name.empty()) {
            continue;
        }
        if (Entry.nStorageType == STORAGE_REGISTRY) {
            ARegistry.WriteRawValue(VANTO_REGISTRY_KEY, Name, *Game);
        } else if (Entry.nStorageType == STORAGE_FILE) {
            const std::u16string Folder = ReadRecordText(Entry.szFilePath);
            MakeFolders(AFiles, Folder);
            AFiles.WriteWholeFile(Folder + u"\\" + Name, Game->FData.data(), Game->FData.size());
        }
    }
}

} // namespace vanto::fuzz
