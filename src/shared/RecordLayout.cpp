#include "shared/RecordLayout.h"

#include "shared/pubunit_quorvin.h"

namespace vanto {

namespace {

// One line per field; kept by hand.
// clang-format off
#define VANTO_FIELD(R, F) TFieldLayout{#F, offsetof(R, F), sizeof(R::F)}
#define VANTO_RECORD(R, FIELDS) TRecordLayout{#R, sizeof(R), FIELDS}

constexpr TFieldLayout ProfileUIDDataFields[] = {
    VANTO_FIELD(TProfileUIDData, RawData),
    VANTO_FIELD(TProfileUIDData, DataTime),
    VANTO_FIELD(TProfileUIDData, DoubleData),
};

constexpr TFieldLayout ProfileHeaderFields[] = {
    VANTO_FIELD(TProfileHeader, FFileVersion),
    VANTO_FIELD(TProfileHeader, FFileType),
    VANTO_FIELD(TProfileHeader, FFileName),
    VANTO_FIELD(TProfileHeader, FProfileSize),
    VANTO_FIELD(TProfileHeader, Padding60),
    VANTO_FIELD(TProfileHeader, FProfileUID),
};

constexpr TFieldLayout MacroKeyFields[] = {
    VANTO_FIELD(TMACROKEY, nKeyType),
    VANTO_FIELD(TMACROKEY, nKeyState),
    VANTO_FIELD(TMACROKEY, Value1),
    VANTO_FIELD(TMACROKEY, Value2),
};

constexpr TFieldLayout MacroKeyInfoFields[] = {
    VANTO_FIELD(TMACROKEYINFO, MacroList),
    VANTO_FIELD(TMACROKEYINFO, MacroListCount),
    VANTO_FIELD(TMACROKEYINFO, nAutoAddDelay),
    VANTO_FIELD(TMACROKEYINFO, nLoopCount),
    VANTO_FIELD(TMACROKEYINFO, nMacroIndex),
    VANTO_FIELD(TMACROKEYINFO, MacroUse),
    VANTO_FIELD(TMACROKEYINFO, Padding779),
    VANTO_FIELD(TMACROKEYINFO, szMacroName),
    VANTO_FIELD(TMACROKEYINFO, Version),
    VANTO_FIELD(TMACROKEYINFO, HaveErrors),
    VANTO_FIELD(TMACROKEYINFO, ErrorCount),
};

constexpr TFieldLayout MacroKeyInfoListFields[] = {
    VANTO_FIELD(TMACROKEYINFOLIST, MacroInfos),
    VANTO_FIELD(TMACROKEYINFOLIST, nMacroInfoCount),
    VANTO_FIELD(TMACROKEYINFOLIST, Padding18734),
};

constexpr TFieldLayout MacroInfoListToDeviceFields[] = {
    VANTO_FIELD(TMACROINFOLIST_TO_DEVICE, MacroInfos),
    VANTO_FIELD(TMACROINFOLIST_TO_DEVICE, nMacroInfoCount),
    VANTO_FIELD(TMACROINFOLIST_TO_DEVICE, Padding4462),
};

constexpr TFieldLayout ComboKeyInfoFields[] = {
    VANTO_FIELD(TCOMBOKEYINFO, nKeyValue1),
    VANTO_FIELD(TCOMBOKEYINFO, nKey1Extended),
    VANTO_FIELD(TCOMBOKEYINFO, nKeyValue2),
    VANTO_FIELD(TCOMBOKEYINFO, nKey2Extended),
    VANTO_FIELD(TCOMBOKEYINFO, nModifier),
};

constexpr TFieldLayout ButtonFuncInfoFields[] = {
    VANTO_FIELD(TBUTTONFUNCINFO, Reserved0),
    VANTO_FIELD(TBUTTONFUNCINFO, nSingleKeyValue),
    VANTO_FIELD(TBUTTONFUNCINFO, nSingleKeyExtended),
    VANTO_FIELD(TBUTTONFUNCINFO, ComboKeyInfo),
    VANTO_FIELD(TBUTTONFUNCINFO, nMediaKeyL),
    VANTO_FIELD(TBUTTONFUNCINFO, nMediaKeyH),
    VANTO_FIELD(TBUTTONFUNCINFO, Reserved20),
    VANTO_FIELD(TBUTTONFUNCINFO, MacroKeyInfo),
    VANTO_FIELD(TBUTTONFUNCINFO, nDeviceParam1),
    VANTO_FIELD(TBUTTONFUNCINFO, nDeviceParam2),
    VANTO_FIELD(TBUTTONFUNCINFO, Reserved920),
    VANTO_FIELD(TBUTTONFUNCINFO, nDeviceParam3),
    VANTO_FIELD(TBUTTONFUNCINFO, Reserved928),
    VANTO_FIELD(TBUTTONFUNCINFO, ReportCode),
    VANTO_FIELD(TBUTTONFUNCINFO, Reserved3751),
    VANTO_FIELD(TBUTTONFUNCINFO, nButtonIndex),
    VANTO_FIELD(TBUTTONFUNCINFO, nFunctionType),
    VANTO_FIELD(TBUTTONFUNCINFO, nFunctionGroup),
    VANTO_FIELD(TBUTTONFUNCINFO, Padding3757),
    VANTO_FIELD(TBUTTONFUNCINFO, nDeviceFunction),
    VANTO_FIELD(TBUTTONFUNCINFO, nFunctionID),
    VANTO_FIELD(TBUTTONFUNCINFO, Reserved3768),
};

constexpr TFieldLayout FunctionListFields[] = {
    VANTO_FIELD(TFUNCTIONLIST, FunctionInfo),
};

constexpr TFieldLayout LedConfigFields[] = {
    VANTO_FIELD(TLEDCONFIG, R),
    VANTO_FIELD(TLEDCONFIG, G),
    VANTO_FIELD(TLEDCONFIG, B),
    VANTO_FIELD(TLEDCONFIG, BRIGHT_LEVEL),
    VANTO_FIELD(TLEDCONFIG, BREATH_SPEED),
    VANTO_FIELD(TLEDCONFIG, BREATH_SECOND),
};

constexpr TFieldLayout SensorLiftFields[] = {
    VANTO_FIELD(TSENSORLIFT, SensorLift),
};

constexpr TFieldLayout ProfileMacroPathFields[] = {
    VANTO_FIELD(TPROFILE_MACRO_PATH, FilePath),
};

constexpr TFieldLayout CpiStateFields[] = {
    VANTO_FIELD(TCPISTATE, X),
    VANTO_FIELD(TCPISTATE, Y),
    VANTO_FIELD(TCPISTATE, Enabled),
};

constexpr TFieldLayout MouseConfigInfoFields[] = {
    VANTO_FIELD(TMOUSECONFIGINFO, ButtonFuncInfo),
    VANTO_FIELD(TMOUSECONFIGINFO, VWheelButtonFuncInfo),
    VANTO_FIELD(TMOUSECONFIGINFO, HWheelButtonFuncInfo),
    VANTO_FIELD(TMOUSECONFIGINFO, VWheelType),
    VANTO_FIELD(TMOUSECONFIGINFO, HWheelType),
    VANTO_FIELD(TMOUSECONFIGINFO, VWheelSpeed),
    VANTO_FIELD(TMOUSECONFIGINFO, HWheelSpeed),
    VANTO_FIELD(TMOUSECONFIGINFO, DoubleClickSpeed),
    VANTO_FIELD(TMOUSECONFIGINFO, PointerSpeed),
    VANTO_FIELD(TMOUSECONFIGINFO, PointerAcceleration),
    VANTO_FIELD(TMOUSECONFIGINFO, UseSystemPointerSpeedSetting),
    VANTO_FIELD(TMOUSECONFIGINFO, ReportRate),
    VANTO_FIELD(TMOUSECONFIGINFO, Padding71686),
    VANTO_FIELD(TMOUSECONFIGINFO, CurrentCPIIndex),
    VANTO_FIELD(TMOUSECONFIGINFO, CurrentCPIX),
    VANTO_FIELD(TMOUSECONFIGINFO, CurrentCPIY),
    VANTO_FIELD(TMOUSECONFIGINFO, MinCPI),
    VANTO_FIELD(TMOUSECONFIGINFO, MaxCPI),
    VANTO_FIELD(TMOUSECONFIGINFO, UseDiffentXY),
    VANTO_FIELD(TMOUSECONFIGINFO, UseCPIOnScreenFlyShow),
    VANTO_FIELD(TMOUSECONFIGINFO, CPIState),
    VANTO_FIELD(TMOUSECONFIGINFO, CPILevel),
    VANTO_FIELD(TMOUSECONFIGINFO, AutoSwitchProfileWhenAppRun),
    VANTO_FIELD(TMOUSECONFIGINFO, ApplicationList),
    VANTO_FIELD(TMOUSECONFIGINFO, LEDConfig),
    VANTO_FIELD(TMOUSECONFIGINFO, Sensorlift),
    VANTO_FIELD(TMOUSECONFIGINFO, Padding82061),
    VANTO_FIELD(TMOUSECONFIGINFO, ButtonCount),
    VANTO_FIELD(TMOUSECONFIGINFO, ProfilePath),
    VANTO_FIELD(TMOUSECONFIGINFO, MacroPath),
};

constexpr TFieldLayout OtherConfigFields[] = {
    VANTO_FIELD(TOtherConfig, ShowNumLock),
    VANTO_FIELD(TOtherConfig, ShowCapsLock),
    VANTO_FIELD(TOtherConfig, ShowScrollLock),
    VANTO_FIELD(TOtherConfig, ShowLockStatePop),
    VANTO_FIELD(TOtherConfig, HelpFile),
    VANTO_FIELD(TOtherConfig, Nologo),
};

constexpr TFieldLayout MouseProfileInfoFields[] = {
    VANTO_FIELD(TMouseProfileInfo, ProfileHeader),
    VANTO_FIELD(TMouseProfileInfo, FunctionList),
    VANTO_FIELD(TMouseProfileInfo, ConfigInfo),
    VANTO_FIELD(TMouseProfileInfo, HWheelFunctionList),
    VANTO_FIELD(TMouseProfileInfo, VWheelFunctionList),
    VANTO_FIELD(TMouseProfileInfo, MacroKeyInfoList),
    VANTO_FIELD(TMouseProfileInfo, MacroInfoToDevice),
    VANTO_FIELD(TMouseProfileInfo, OtherConfig),
};

constexpr TFieldLayout ProfileSettingInfoFields[] = {
    VANTO_FIELD(TPROFILESETTINGINFO, nFlag),
    VANTO_FIELD(TPROFILESETTINGINFO, szFilePath),
    VANTO_FIELD(TPROFILESETTINGINFO, szKeyPath),
    VANTO_FIELD(TPROFILESETTINGINFO, szFileName),
    VANTO_FIELD(TPROFILESETTINGINFO, szMacroPath),
    VANTO_FIELD(TPROFILESETTINGINFO, nStorageType),
    VANTO_FIELD(TPROFILESETTINGINFO, Padding6189),
};

constexpr TFieldLayout AllGamesInfoFields[] = {
    VANTO_FIELD(TALLGAMESINFO, Allgameset),
    VANTO_FIELD(TALLGAMESINFO, CurrentGame),
    VANTO_FIELD(TALLGAMESINFO, CurrentLanguage),
    VANTO_FIELD(TALLGAMESINFO, Padding30953),
};

constexpr TFieldLayout ProfileSettingGroupFields[] = {
    VANTO_FIELD(TProfileSettingGroup, CurrentProfileGroup),
    VANTO_FIELD(TProfileSettingGroup, ProfileIndexOfProfileGroup),
    VANTO_FIELD(TProfileSettingGroup, ProfileSettingList),
    VANTO_FIELD(TProfileSettingGroup, Padding30962),
};

constexpr TRecordLayout Records[] = {
    VANTO_RECORD(TProfileUIDData, ProfileUIDDataFields),
    VANTO_RECORD(TProfileHeader, ProfileHeaderFields),
    VANTO_RECORD(TMACROKEY, MacroKeyFields),
    VANTO_RECORD(TMACROKEYINFO, MacroKeyInfoFields),
    VANTO_RECORD(TMACROKEYINFOLIST, MacroKeyInfoListFields),
    VANTO_RECORD(TMACROINFOLIST_TO_DEVICE, MacroInfoListToDeviceFields),
    VANTO_RECORD(TCOMBOKEYINFO, ComboKeyInfoFields),
    VANTO_RECORD(TBUTTONFUNCINFO, ButtonFuncInfoFields),
    VANTO_RECORD(TFUNCTIONLIST, FunctionListFields),
    VANTO_RECORD(TLEDCONFIG, LedConfigFields),
    VANTO_RECORD(TSENSORLIFT, SensorLiftFields),
    VANTO_RECORD(TPROFILE_MACRO_PATH, ProfileMacroPathFields),
    VANTO_RECORD(TCPISTATE, CpiStateFields),
    VANTO_RECORD(TMOUSECONFIGINFO, MouseConfigInfoFields),
    VANTO_RECORD(TOtherConfig, OtherConfigFields),
    VANTO_RECORD(TMouseProfileInfo, MouseProfileInfoFields),
    VANTO_RECORD(TPROFILESETTINGINFO, ProfileSettingInfoFields),
    VANTO_RECORD(TALLGAMESINFO, AllGamesInfoFields),
    VANTO_RECORD(TProfileSettingGroup, ProfileSettingGroupFields),
};

#undef VANTO_RECORD
#undef VANTO_FIELD
// clang-format on

// A forgotten field in a list above shows as a gap: the fields of each structure, in declaration
// order, must follow each other without gap and end at the record's end. The views of the union
// each cover the whole record.
constexpr bool FieldsCoverRecord(const TRecordLayout& ARecord, bool AIsUnion) {
    std::size_t End = 0;
    for (const TFieldLayout& Field : ARecord.FFields) {
        if (AIsUnion) {
            if (Field.FOffset != 0 || Field.FSize != ARecord.FSize) {
                return false;
            }
            End = Field.FSize;
        } else {
            if (Field.FOffset != End) {
                return false;
            }
            End += Field.FSize;
        }
    }
    return End == ARecord.FSize;
}

constexpr bool AllRecordsCovered() {
    for (const TRecordLayout& Record : Records) {
        if (!FieldsCoverRecord(Record, &Record == &Records[0])) {
            return false;
        }
    }
    return true;
}

static_assert(std::is_union_v<TProfileUIDData>, "Records[0] is the one union");
static_assert(AllRecordsCovered(), "every record's field list covers its bytes exactly");

} // namespace

std::span<const TRecordLayout> RecordLayouts() {
    return Records;
}

} // namespace vanto
