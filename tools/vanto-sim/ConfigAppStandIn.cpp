#include "ConfigAppStandIn.h"

#include "shared/ConfigAppInterface.h"
#include "shared/pubunit_quorvin.h"

#include <cstring>
#include <memory>

namespace vanto::simrun {

using platform::TLParam;
using platform::TMessageId;
using platform::TWParam;

TConfigAppStandIn::TConfigAppStandIn(platform::IWindowSystem& AWindows,
                                     platform::IRegistry& ARegistry, platform::IFileSystem& AFiles,
                                     TTrace& ATrace)
    : FWindows(AWindows), FRegistry(ARegistry), FFiles(AFiles), FTrace(ATrace) {}

TConfigAppStandIn::~TConfigAppStandIn() {
    if (FWindow != 0) {
        FWindows.DestroyHiddenWindow(FWindow);
    }
}

void TConfigAppStandIn::Start() {
    if (FWindow != 0) {
        return;
    }
    FWindow = FWindows.CreateHiddenWindow(
        CONFIG_APP_WINDOW_CLASS, u"", [this](TMessageId AMsg, TWParam AWParam, TLParam ALParam) {
            return Receive(AMsg, AWParam, ALParam);
        });
    FTrace.Line("cfg: running");
}

void TConfigAppStandIn::Stop() {
    if (FWindow == 0) {
        return;
    }
    FWindows.DestroyHiddenWindow(FWindow);
    FWindow = 0;
    FTrace.Line("cfg: stopped");
}

bool TConfigAppStandIn::SendToMonitor(TMessageId AMsg, TWParam AWParam, TLParam ALParam) {
    const platform::TWindowHandle Monitor = FWindows.FindTopWindow(MONITOR_WINDOW_CLASS);
    if (Monitor == 0) {
        return false;
    }
    FTrace.Line("cfg -> " + DescribeMessage(AMsg, AWParam, ALParam));
    FWindows.Send(Monitor, AMsg, AWParam, ALParam);
    return true;
}

platform::TMessageResult TConfigAppStandIn::Receive(TMessageId AMsg, TWParam AWParam,
                                                    TLParam ALParam) {
    FReceived.push_back({AMsg, AWParam, ALParam});
    FTrace.Line("cfg <- " + DescribeMessage(AMsg, AWParam, ALParam));
    if (AMsg == WM_PROFILE_SWITCH) {
        SwitchProfileGroup(AWParam);
    }
    return 0;
}

// The real program makes the selected group current, stores that, and tells the monitor, which
// then reloads from the registry. The answer goes out while the monitor still waits in its send.
void TConfigAppStandIn::SwitchProfileGroup(TWParam AGroup) {
    const bool Stored = ChangeRecord<TProfileSettingGroup>(
        SETTING_GROUP_VALUE_NAME, [AGroup](TProfileSettingGroup& AGroupRecord) {
            AGroupRecord.CurrentProfileGroup = static_cast<std::int32_t>(AGroup);
        });
    FTrace.Line(Stored ? "cfg: stored CurrentProfileGroup = " + std::to_string(AGroup) + " in " +
                             Utf8(SETTING_GROUP_VALUE_NAME)
                       : "cfg: no setting group stored to switch");
    SendToMonitor(WM_CFG_PROFILE_CHANGED, 0, static_cast<TLParam>(AGroup));
}

bool TConfigAppStandIn::StoreLanguage(std::uint8_t ALanguage) {
    const bool Stored =
        ChangeRecord<TALLGAMESINFO>(ALL_SETTING_VALUE_NAME, [ALanguage](TALLGAMESINFO& AAll) {
            AAll.CurrentLanguage = ALanguage;
        });
    if (Stored) {
        FTrace.Line("cfg: stored CurrentLanguage = " + std::to_string(ALanguage) + " in " +
                    Utf8(ALL_SETTING_VALUE_NAME));
    }
    return Stored;
}

// The setting group names the current game profile's value and file. A profile the monitor has
// never stored in the registry is still only in its file, as the first start wrote it.
bool TConfigAppStandIn::AssignButton(std::size_t AKey, std::uint16_t AFunctionType,
                                     const std::string& AName) {
    std::optional<platform::TRegValue> GroupValue =
        FRegistry.ReadValue(VANTO_REGISTRY_KEY, SETTING_GROUP_VALUE_NAME);
    if (!GroupValue || GroupValue->FData.size() != sizeof(TProfileSettingGroup) ||
        AKey >= BUTTON_COUNT) {
        return false;
    }
    auto Group = std::make_unique<TProfileSettingGroup>();
    std::memcpy(Group.get(), GroupValue->FData.data(), sizeof(TProfileSettingGroup));
    // Out of range reads as the first, as the monitor reads it.
    const auto InRange = [](std::int32_t AValue, std::size_t ACount) {
        return AValue >= 0 && static_cast<std::size_t>(AValue) < ACount
                   ? static_cast<std::size_t>(AValue)
                   : 0;
    };
    const std::size_t GroupIndex = InRange(Group->CurrentProfileGroup, PROFILE_GROUP_COUNT);
    const std::size_t Index =
        InRange(Group->ProfileIndexOfProfileGroup[GroupIndex], GAME_PROFILE_COUNT);
    const TPROFILESETTINGINFO& Entry = Group->ProfileSettingList[Index];
    const std::u16string Name = ReadRecordText(Entry.szFileName);
    const std::u16string KeyPath = ReadRecordText(Entry.szKeyPath);
    std::optional<std::vector<std::uint8_t>> Bytes;
    if (const auto Value = FRegistry.ReadValue(KeyPath, Name)) {
        Bytes = Value->FData;
    } else {
        Bytes = FFiles.ReadWholeFile(ReadRecordText(Entry.szFilePath) + u"\\" + Name);
    }
    if (!Bytes || Bytes->size() != sizeof(TMouseProfileInfo)) {
        return false;
    }
    auto Profile = std::make_unique<TMouseProfileInfo>();
    std::memcpy(Profile.get(), Bytes->data(), sizeof(TMouseProfileInfo));
    Profile->ConfigInfo.ButtonFuncInfo[AKey].nFunctionType = AFunctionType;
    if (!FRegistry.WriteBinaryValue(KeyPath, Name, Profile.get(), sizeof(TMouseProfileInfo))) {
        return false;
    }
    FTrace.Line("cfg: stored button " + std::to_string(AKey) + " = " + AName + " in " + Utf8(Name));
    SendToMonitor(WM_CFG_PROFILE_CHANGED, 0, static_cast<TLParam>(GroupIndex));
    return true;
}

template <typename TRecord, typename TChange>
bool TConfigAppStandIn::ChangeRecord(const std::u16string& AValueName, TChange AChange) {
    std::optional<platform::TRegValue> Value = FRegistry.ReadValue(VANTO_REGISTRY_KEY, AValueName);
    if (!Value || Value->FType != platform::TRegValueType::Binary ||
        Value->FData.size() != sizeof(TRecord)) {
        return false;
    }
    // The records are tens of kilobytes: too big for the stack of a message handler.
    auto Record = std::make_unique<TRecord>();
    std::memcpy(Record.get(), Value->FData.data(), sizeof(TRecord));
    AChange(*Record);
    return FRegistry.WriteBinaryValue(VANTO_REGISTRY_KEY, AValueName, Record.get(),
                                      sizeof(TRecord));
}

} // namespace vanto::simrun
