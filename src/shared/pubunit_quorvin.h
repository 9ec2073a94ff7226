#pragma once

// The shared unit "pubunit_quorvin": the stored profile records.
//
// These records are a binary file format shared with the configuration application: they are
// stored byte for byte in registry values and ".pfd" files and copied as whole blocks. Every
// offset, width, array bound and padding byte below is part of that format, so each record is
// packed (no byte is added by the compiler), its padding is an explicit field named after its
// offset, and every size and field offset is checked at compile time.
//
// Each record also carries the natural alignment of its widest field (alignas). With the explicit
// padding every field already sits at a multiple of its own width, so this changes no offset and
// no size (both are asserted); it only makes every object of a record aligned, so references to
// fields (text arrays, nested records) are properly aligned references.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

namespace vanto {

// --- Block sizes: what storage and the device copy for one record. ---
inline constexpr std::size_t PROFILE_BLOCK_SIZE = 109816;              // TMouseProfileInfo
inline constexpr std::size_t ALLGAMESINFO_BLOCK_SIZE = 30954;          // TALLGAMESINFO
inline constexpr std::size_t PROFILE_SETTING_GROUP_BLOCK_SIZE = 30964; // TProfileSettingGroup
inline constexpr std::size_t MACRO_BLOCK_SIZE = 892;                   // TMACROKEYINFO

// --- Limits of the layout (index ranges are 0 .. count-1). ---
inline constexpr std::size_t BUTTON_COUNT = 15;
inline constexpr std::size_t WHEEL_BUTTON_COUNT = 2; // per wheel, vertical and horizontal
inline constexpr std::size_t MACRO_COUNT = 21;
inline constexpr std::size_t DEVICE_MACRO_COUNT = 5; // entries of MacroInfoToDevice
inline constexpr std::size_t MACRO_STEP_COUNT = 128;
inline constexpr std::size_t CPI_LEVEL_COUNT = 11;
inline constexpr std::size_t APPLICATION_PATH_COUNT = 10;
inline constexpr std::size_t GAME_PROFILE_COUNT = 5;
inline constexpr std::size_t PROFILE_GROUP_COUNT = 2;

// Capacities of the text fields in UTF-16 units, terminating NUL included.
inline constexpr std::size_t MACRO_NAME_CAPACITY = 50;          // 49 characters
inline constexpr std::size_t PROFILE_MACRO_PATH_CAPACITY = 513; // 512 characters
inline constexpr std::size_t SETTING_PATH_CAPACITY = 1024;      // 1023 characters
inline constexpr std::size_t PROFILE_FILE_NAME_CAPACITY = 21;   // 20 characters

// Other block sizes that callers need.
inline constexpr std::size_t FUNCTION_LIST_SIZE = 800;
// Bytes 0 .. 3751 of a TBUTTONFUNCINFO, cleared as a whole when a button's function is reset.
inline constexpr std::size_t BUTTON_FUNC_PARAMS_SIZE = 3752;
inline constexpr std::size_t BUTTON_FUNC_INFO_SIZE = 3772;

// --- Values with a fixed meaning. ---
inline constexpr std::int32_t PROFILE_FORMAT_VERSION = 259; // TProfileHeader.FFileVersion
inline constexpr std::uint32_t MACRO_FORMAT_VERSION = 259;  // TMACROKEYINFO.Version

// TBUTTONFUNCINFO.nFunctionGroup values written by this system.
inline constexpr std::uint8_t NO_GROUP = 0;             // type 30
inline constexpr std::uint8_t MOUSE_BUTTON_GROUP = 1;   // types 0..4
inline constexpr std::uint8_t MACRO_GROUP = 4;          // the button carries a macro
inline constexpr std::uint8_t SINGLE_KEY_GROUP = 8;     // type 5
inline constexpr std::uint8_t HOST_REPORTED_GROUP = 11; // type 32, host-reported buttons

// Function types (TBUTTONFUNCINFO.nFunctionType) that the monitor acts on.
inline constexpr std::uint16_t FUNCTION_TYPE_MICROPHONE_MUTE = 28;
inline constexpr std::uint16_t FUNCTION_TYPE_MACRO_BY_INDEX = 29;
inline constexpr std::uint16_t FUNCTION_TYPE_PLAY_MACRO = 31;
inline constexpr std::uint16_t FUNCTION_TYPE_RECORD_MACRO = 32;

// TPROFILESETTINGINFO.nStorageType values.
inline constexpr std::uint8_t STORAGE_REGISTRY = 0;
inline constexpr std::uint8_t STORAGE_FILE = 1;

#pragma pack(push, 1)

// Three views of the same 8 bytes.
union alignas(8) TProfileUIDData {
    std::uint8_t RawData[8];
    double DataTime; // days since 1899-12-30, time of day as fraction, local time
    double DoubleData;
};

struct alignas(8) TProfileHeader {
    std::int32_t FFileVersion;  // PROFILE_FORMAT_VERSION in every profile this system creates
    std::uint8_t FFileType[8];  // not interpreted
    std::uint8_t FFileName[44]; // not interpreted
    std::uint32_t FProfileSize; // not interpreted
    std::uint8_t Padding60[4];
    TProfileUIDData FProfileUID; // creation stamp of the factory values
};

// One macro step. The step type decides how the two value bytes are read.
struct alignas(2) TMACROKEY {
    std::uint16_t nKeyType;
    std::uint16_t nKeyState;
    std::uint8_t Value1;
    std::uint8_t Value2;
};

// One macro.
struct alignas(4) TMACROKEYINFO {
    TMACROKEY MacroList[MACRO_STEP_COUNT];
    std::int32_t MacroListCount; // valid steps, 0..128
    std::uint16_t nAutoAddDelay;
    std::uint16_t nLoopCount;
    std::uint16_t nMacroIndex; // identifier of the macro within its profile
    std::uint8_t MacroUse;
    std::uint8_t Padding779;
    char16_t szMacroName[MACRO_NAME_CAPACITY];
    std::uint32_t Version; // MACRO_FORMAT_VERSION marks the current format
    std::int32_t HaveErrors;
    std::int32_t ErrorCount;
};

// The macros of one profile.
struct alignas(4) TMACROKEYINFOLIST {
    TMACROKEYINFO MacroInfos[MACRO_COUNT]; // entry 0 receives the on-the-fly recording
    std::uint16_t nMacroInfoCount;         // valid entries, 0..21
    std::uint8_t Padding18734[2];
};

// Carried in every profile, not interpreted by this system.
struct alignas(4) TMACROINFOLIST_TO_DEVICE {
    TMACROKEYINFO MacroInfos[DEVICE_MACRO_COUNT];
    std::uint16_t nMacroInfoCount;
    std::uint8_t Padding4462[2];
};

// A key combination.
struct alignas(2) TCOMBOKEYINFO {
    std::uint16_t nKeyValue1;
    std::uint16_t nKey1Extended;
    std::uint16_t nKeyValue2;
    std::uint16_t nKey2Extended;
    std::uint16_t nModifier;
};

// The function assigned to one physical button: the parameter block (bytes 0 .. 3751,
// BUTTON_FUNC_PARAMS_SIZE) followed by the header that names the function.
struct alignas(4) TBUTTONFUNCINFO {
    std::uint16_t Reserved0; // not interpreted
    std::uint16_t nSingleKeyValue;
    std::uint16_t nSingleKeyExtended;
    TCOMBOKEYINFO ComboKeyInfo;
    std::uint16_t nMediaKeyL;
    std::uint16_t nMediaKeyH;
    std::uint8_t Reserved20[4]; // not interpreted
    TMACROKEYINFO MacroKeyInfo;
    std::uint16_t nDeviceParam1;
    std::uint16_t nDeviceParam2;
    std::uint8_t Reserved920[4]; // not interpreted
    std::int32_t nDeviceParam3;
    std::uint8_t Reserved928[2820]; // not interpreted
    std::uint8_t ReportCode[3];
    std::uint8_t Reserved3751; // not interpreted
    // Header.
    std::uint16_t nButtonIndex;
    std::uint16_t nFunctionType; // first column of FunctionTypeTable
    std::uint8_t nFunctionGroup; // MACRO_GROUP: the button carries a macro
    std::uint8_t Padding3757[3];
    std::int32_t nDeviceFunction;
    std::int32_t nFunctionID;
    std::uint8_t Reserved3768[4]; // not interpreted
};

struct TFUNCTIONLIST {
    std::uint8_t FunctionInfo[FUNCTION_LIST_SIZE]; // not interpreted
};

struct TLEDCONFIG {
    std::uint8_t R;
    std::uint8_t G;
    std::uint8_t B;
    std::uint8_t BRIGHT_LEVEL;
    std::uint8_t BREATH_SPEED;
    std::uint8_t BREATH_SECOND;
};

struct TSENSORLIFT {
    std::uint8_t SensorLift;
};

struct alignas(2) TPROFILE_MACRO_PATH {
    char16_t FilePath[PROFILE_MACRO_PATH_CAPACITY];
};

// One CPI level.
struct alignas(2) TCPISTATE {
    std::uint16_t X;
    std::uint16_t Y;
    std::uint16_t Enabled; // 1 when the level is in use
};

struct alignas(4) TMOUSECONFIGINFO {
    TBUTTONFUNCINFO ButtonFuncInfo[BUTTON_COUNT];
    TBUTTONFUNCINFO VWheelButtonFuncInfo[WHEEL_BUTTON_COUNT];
    TBUTTONFUNCINFO HWheelButtonFuncInfo[WHEEL_BUTTON_COUNT];
    std::uint16_t VWheelType;
    std::uint16_t HWheelType;
    std::uint16_t VWheelSpeed;
    std::uint16_t HWheelSpeed;
    std::uint16_t DoubleClickSpeed;
    std::uint16_t PointerSpeed;
    std::uint16_t PointerAcceleration;
    std::uint16_t UseSystemPointerSpeedSetting;
    std::uint16_t ReportRate; // Hz
    std::uint8_t Padding71686[2];
    std::int32_t CurrentCPIIndex;
    std::uint16_t CurrentCPIX;
    std::uint16_t CurrentCPIY;
    std::uint16_t MinCPI;
    std::uint16_t MaxCPI;
    std::uint16_t UseDiffentXY[CPI_LEVEL_COUNT];
    std::uint16_t UseCPIOnScreenFlyShow;
    TCPISTATE CPIState[CPI_LEVEL_COUNT];
    std::uint16_t CPILevel;
    std::uint16_t AutoSwitchProfileWhenAppRun;
    TPROFILE_MACRO_PATH ApplicationList[APPLICATION_PATH_COUNT];
    TLEDCONFIG LEDConfig;
    TSENSORLIFT Sensorlift;
    std::uint8_t Padding82061[3];
    std::int32_t ButtonCount; // buttons in use, counted from index 0
    TPROFILE_MACRO_PATH ProfilePath;
    TPROFILE_MACRO_PATH MacroPath;
};

struct alignas(4) TOtherConfig {
    std::int32_t ShowNumLock;
    std::int32_t ShowCapsLock;
    std::int32_t ShowScrollLock;
    std::int32_t ShowLockStatePop;
    // Four bytes without meaning in a stored profile, never used as a reference; the in-memory
    // help-file list is kept beside the record, not in it.
    std::uint32_t HelpFile;
    std::int32_t Nologo;
};

// One complete profile.
struct alignas(8) TMouseProfileInfo {
    TProfileHeader ProfileHeader;
    TFUNCTIONLIST FunctionList;
    TMOUSECONFIGINFO ConfigInfo;
    TFUNCTIONLIST HWheelFunctionList;
    TFUNCTIONLIST VWheelFunctionList;
    TMACROKEYINFOLIST MacroKeyInfoList;
    TMACROINFOLIST_TO_DEVICE MacroInfoToDevice;
    TOtherConfig OtherConfig;
};

// Where and how one game profile is stored.
struct alignas(2) TPROFILESETTINGINFO {
    std::uint16_t nFlag; // not interpreted by the profile manager
    char16_t szFilePath[SETTING_PATH_CAPACITY];
    char16_t szKeyPath[SETTING_PATH_CAPACITY];
    char16_t szFileName[PROFILE_FILE_NAME_CAPACITY];
    char16_t szMacroPath[SETTING_PATH_CAPACITY];
    std::uint8_t nStorageType; // STORAGE_REGISTRY or STORAGE_FILE
    std::uint8_t Padding6189;
};

struct alignas(2) TALLGAMESINFO {
    TPROFILESETTINGINFO Allgameset[GAME_PROFILE_COUNT];
    std::uint16_t CurrentGame;    // 0..4
    std::uint8_t CurrentLanguage; // index into the translation component's language list
    std::uint8_t Padding30953;
};

struct alignas(4) TProfileSettingGroup {
    std::int32_t CurrentProfileGroup;                             // 0 or 1
    std::int32_t ProfileIndexOfProfileGroup[PROFILE_GROUP_COUNT]; // game profile 0..4 per group
    TPROFILESETTINGINFO ProfileSettingList[GAME_PROFILE_COUNT];
    std::uint8_t Padding30962[2];
};

#pragma pack(pop)

// --- Compile-time checks of the layout. ---

#define VANTO_CHECK_RECORD(R, SIZE, ALIGN)                                                         \
    static_assert(std::is_trivially_copyable_v<R>, #R " is copied as a byte block");               \
    static_assert(std::is_standard_layout_v<R>, #R " has the layout of its declaration");          \
    static_assert(sizeof(R) == (SIZE), "size of " #R);                                             \
    static_assert(alignof(R) == (ALIGN), "alignment of " #R)
#define VANTO_CHECK_FIELD(R, F, OFFSET, SIZE)                                                      \
    static_assert(offsetof(R, F) == (OFFSET), "offset of " #R "." #F);                             \
    static_assert(sizeof(R::F) == (SIZE), "size of " #R "." #F)

VANTO_CHECK_RECORD(TProfileUIDData, 8, 8);
static_assert(std::is_union_v<TProfileUIDData>);
VANTO_CHECK_FIELD(TProfileUIDData, RawData, 0, 8);
VANTO_CHECK_FIELD(TProfileUIDData, DataTime, 0, 8);
VANTO_CHECK_FIELD(TProfileUIDData, DoubleData, 0, 8);

VANTO_CHECK_RECORD(TProfileHeader, 72, 8);
VANTO_CHECK_FIELD(TProfileHeader, FFileVersion, 0, 4);
VANTO_CHECK_FIELD(TProfileHeader, FFileType, 4, 8);
VANTO_CHECK_FIELD(TProfileHeader, FFileName, 12, 44);
VANTO_CHECK_FIELD(TProfileHeader, FProfileSize, 56, 4);
VANTO_CHECK_FIELD(TProfileHeader, Padding60, 60, 4);
VANTO_CHECK_FIELD(TProfileHeader, FProfileUID, 64, 8);

VANTO_CHECK_RECORD(TMACROKEY, 6, 2);
VANTO_CHECK_FIELD(TMACROKEY, nKeyType, 0, 2);
VANTO_CHECK_FIELD(TMACROKEY, nKeyState, 2, 2);
VANTO_CHECK_FIELD(TMACROKEY, Value1, 4, 1);
VANTO_CHECK_FIELD(TMACROKEY, Value2, 5, 1);

VANTO_CHECK_RECORD(TMACROKEYINFO, MACRO_BLOCK_SIZE, 4);
VANTO_CHECK_FIELD(TMACROKEYINFO, MacroList, 0, 768);
VANTO_CHECK_FIELD(TMACROKEYINFO, MacroListCount, 768, 4);
VANTO_CHECK_FIELD(TMACROKEYINFO, nAutoAddDelay, 772, 2);
VANTO_CHECK_FIELD(TMACROKEYINFO, nLoopCount, 774, 2);
VANTO_CHECK_FIELD(TMACROKEYINFO, nMacroIndex, 776, 2);
VANTO_CHECK_FIELD(TMACROKEYINFO, MacroUse, 778, 1);
VANTO_CHECK_FIELD(TMACROKEYINFO, Padding779, 779, 1);
VANTO_CHECK_FIELD(TMACROKEYINFO, szMacroName, 780, 100);
VANTO_CHECK_FIELD(TMACROKEYINFO, Version, 880, 4);
VANTO_CHECK_FIELD(TMACROKEYINFO, HaveErrors, 884, 4);
VANTO_CHECK_FIELD(TMACROKEYINFO, ErrorCount, 888, 4);

VANTO_CHECK_RECORD(TMACROKEYINFOLIST, 18736, 4);
VANTO_CHECK_FIELD(TMACROKEYINFOLIST, MacroInfos, 0, 18732);
VANTO_CHECK_FIELD(TMACROKEYINFOLIST, nMacroInfoCount, 18732, 2);
VANTO_CHECK_FIELD(TMACROKEYINFOLIST, Padding18734, 18734, 2);

VANTO_CHECK_RECORD(TMACROINFOLIST_TO_DEVICE, 4464, 4);
VANTO_CHECK_FIELD(TMACROINFOLIST_TO_DEVICE, MacroInfos, 0, 4460);
VANTO_CHECK_FIELD(TMACROINFOLIST_TO_DEVICE, nMacroInfoCount, 4460, 2);
VANTO_CHECK_FIELD(TMACROINFOLIST_TO_DEVICE, Padding4462, 4462, 2);

VANTO_CHECK_RECORD(TCOMBOKEYINFO, 10, 2);
VANTO_CHECK_FIELD(TCOMBOKEYINFO, nKeyValue1, 0, 2);
VANTO_CHECK_FIELD(TCOMBOKEYINFO, nKey1Extended, 2, 2);
VANTO_CHECK_FIELD(TCOMBOKEYINFO, nKeyValue2, 4, 2);
VANTO_CHECK_FIELD(TCOMBOKEYINFO, nKey2Extended, 6, 2);
VANTO_CHECK_FIELD(TCOMBOKEYINFO, nModifier, 8, 2);

VANTO_CHECK_RECORD(TBUTTONFUNCINFO, BUTTON_FUNC_INFO_SIZE, 4);
VANTO_CHECK_FIELD(TBUTTONFUNCINFO, Reserved0, 0, 2);
VANTO_CHECK_FIELD(TBUTTONFUNCINFO, nSingleKeyValue, 2, 2);
VANTO_CHECK_FIELD(TBUTTONFUNCINFO, nSingleKeyExtended, 4, 2);
VANTO_CHECK_FIELD(TBUTTONFUNCINFO, ComboKeyInfo, 6, 10);
VANTO_CHECK_FIELD(TBUTTONFUNCINFO, nMediaKeyL, 16, 2);
VANTO_CHECK_FIELD(TBUTTONFUNCINFO, nMediaKeyH, 18, 2);
VANTO_CHECK_FIELD(TBUTTONFUNCINFO, Reserved20, 20, 4);
VANTO_CHECK_FIELD(TBUTTONFUNCINFO, MacroKeyInfo, 24, 892);
VANTO_CHECK_FIELD(TBUTTONFUNCINFO, nDeviceParam1, 916, 2);
VANTO_CHECK_FIELD(TBUTTONFUNCINFO, nDeviceParam2, 918, 2);
VANTO_CHECK_FIELD(TBUTTONFUNCINFO, Reserved920, 920, 4);
VANTO_CHECK_FIELD(TBUTTONFUNCINFO, nDeviceParam3, 924, 4);
VANTO_CHECK_FIELD(TBUTTONFUNCINFO, Reserved928, 928, 2820);
VANTO_CHECK_FIELD(TBUTTONFUNCINFO, ReportCode, 3748, 3);
VANTO_CHECK_FIELD(TBUTTONFUNCINFO, Reserved3751, 3751, 1);
VANTO_CHECK_FIELD(TBUTTONFUNCINFO, nButtonIndex, 3752, 2);
VANTO_CHECK_FIELD(TBUTTONFUNCINFO, nFunctionType, 3754, 2);
VANTO_CHECK_FIELD(TBUTTONFUNCINFO, nFunctionGroup, 3756, 1);
VANTO_CHECK_FIELD(TBUTTONFUNCINFO, Padding3757, 3757, 3);
VANTO_CHECK_FIELD(TBUTTONFUNCINFO, nDeviceFunction, 3760, 4);
VANTO_CHECK_FIELD(TBUTTONFUNCINFO, nFunctionID, 3764, 4);
VANTO_CHECK_FIELD(TBUTTONFUNCINFO, Reserved3768, 3768, 4);
static_assert(offsetof(TBUTTONFUNCINFO, nButtonIndex) == BUTTON_FUNC_PARAMS_SIZE,
              "the parameter block ends where the header starts");
// The button's macro index lies at button offset 800.
static_assert(offsetof(TBUTTONFUNCINFO, MacroKeyInfo.nMacroIndex) == 800);

VANTO_CHECK_RECORD(TFUNCTIONLIST, FUNCTION_LIST_SIZE, 1);
VANTO_CHECK_FIELD(TFUNCTIONLIST, FunctionInfo, 0, 800);

VANTO_CHECK_RECORD(TLEDCONFIG, 6, 1);
VANTO_CHECK_FIELD(TLEDCONFIG, R, 0, 1);
VANTO_CHECK_FIELD(TLEDCONFIG, G, 1, 1);
VANTO_CHECK_FIELD(TLEDCONFIG, B, 2, 1);
VANTO_CHECK_FIELD(TLEDCONFIG, BRIGHT_LEVEL, 3, 1);
VANTO_CHECK_FIELD(TLEDCONFIG, BREATH_SPEED, 4, 1);
VANTO_CHECK_FIELD(TLEDCONFIG, BREATH_SECOND, 5, 1);

VANTO_CHECK_RECORD(TSENSORLIFT, 1, 1);
VANTO_CHECK_FIELD(TSENSORLIFT, SensorLift, 0, 1);

VANTO_CHECK_RECORD(TPROFILE_MACRO_PATH, 1026, 2);
VANTO_CHECK_FIELD(TPROFILE_MACRO_PATH, FilePath, 0, 1026);

VANTO_CHECK_RECORD(TCPISTATE, 6, 2);
VANTO_CHECK_FIELD(TCPISTATE, X, 0, 2);
VANTO_CHECK_FIELD(TCPISTATE, Y, 2, 2);
VANTO_CHECK_FIELD(TCPISTATE, Enabled, 4, 2);

VANTO_CHECK_RECORD(TMOUSECONFIGINFO, 84120, 4);
VANTO_CHECK_FIELD(TMOUSECONFIGINFO, ButtonFuncInfo, 0, 56580);
VANTO_CHECK_FIELD(TMOUSECONFIGINFO, VWheelButtonFuncInfo, 56580, 7544);
VANTO_CHECK_FIELD(TMOUSECONFIGINFO, HWheelButtonFuncInfo, 64124, 7544);
VANTO_CHECK_FIELD(TMOUSECONFIGINFO, VWheelType, 71668, 2);
VANTO_CHECK_FIELD(TMOUSECONFIGINFO, HWheelType, 71670, 2);
VANTO_CHECK_FIELD(TMOUSECONFIGINFO, VWheelSpeed, 71672, 2);
VANTO_CHECK_FIELD(TMOUSECONFIGINFO, HWheelSpeed, 71674, 2);
VANTO_CHECK_FIELD(TMOUSECONFIGINFO, DoubleClickSpeed, 71676, 2);
VANTO_CHECK_FIELD(TMOUSECONFIGINFO, PointerSpeed, 71678, 2);
VANTO_CHECK_FIELD(TMOUSECONFIGINFO, PointerAcceleration, 71680, 2);
VANTO_CHECK_FIELD(TMOUSECONFIGINFO, UseSystemPointerSpeedSetting, 71682, 2);
VANTO_CHECK_FIELD(TMOUSECONFIGINFO, ReportRate, 71684, 2);
VANTO_CHECK_FIELD(TMOUSECONFIGINFO, Padding71686, 71686, 2);
VANTO_CHECK_FIELD(TMOUSECONFIGINFO, CurrentCPIIndex, 71688, 4);
VANTO_CHECK_FIELD(TMOUSECONFIGINFO, CurrentCPIX, 71692, 2);
VANTO_CHECK_FIELD(TMOUSECONFIGINFO, CurrentCPIY, 71694, 2);
VANTO_CHECK_FIELD(TMOUSECONFIGINFO, MinCPI, 71696, 2);
VANTO_CHECK_FIELD(TMOUSECONFIGINFO, MaxCPI, 71698, 2);
VANTO_CHECK_FIELD(TMOUSECONFIGINFO, UseDiffentXY, 71700, 22);
VANTO_CHECK_FIELD(TMOUSECONFIGINFO, UseCPIOnScreenFlyShow, 71722, 2);
VANTO_CHECK_FIELD(TMOUSECONFIGINFO, CPIState, 71724, 66);
VANTO_CHECK_FIELD(TMOUSECONFIGINFO, CPILevel, 71790, 2);
VANTO_CHECK_FIELD(TMOUSECONFIGINFO, AutoSwitchProfileWhenAppRun, 71792, 2);
VANTO_CHECK_FIELD(TMOUSECONFIGINFO, ApplicationList, 71794, 10260);
VANTO_CHECK_FIELD(TMOUSECONFIGINFO, LEDConfig, 82054, 6);
VANTO_CHECK_FIELD(TMOUSECONFIGINFO, Sensorlift, 82060, 1);
VANTO_CHECK_FIELD(TMOUSECONFIGINFO, Padding82061, 82061, 3);
VANTO_CHECK_FIELD(TMOUSECONFIGINFO, ButtonCount, 82064, 4);
VANTO_CHECK_FIELD(TMOUSECONFIGINFO, ProfilePath, 82068, 1026);
VANTO_CHECK_FIELD(TMOUSECONFIGINFO, MacroPath, 83094, 1026);

VANTO_CHECK_RECORD(TOtherConfig, 24, 4);
VANTO_CHECK_FIELD(TOtherConfig, ShowNumLock, 0, 4);
VANTO_CHECK_FIELD(TOtherConfig, ShowCapsLock, 4, 4);
VANTO_CHECK_FIELD(TOtherConfig, ShowScrollLock, 8, 4);
VANTO_CHECK_FIELD(TOtherConfig, ShowLockStatePop, 12, 4);
VANTO_CHECK_FIELD(TOtherConfig, HelpFile, 16, 4);
VANTO_CHECK_FIELD(TOtherConfig, Nologo, 20, 4);

VANTO_CHECK_RECORD(TMouseProfileInfo, PROFILE_BLOCK_SIZE, 8);
VANTO_CHECK_FIELD(TMouseProfileInfo, ProfileHeader, 0, 72);
VANTO_CHECK_FIELD(TMouseProfileInfo, FunctionList, 72, 800);
VANTO_CHECK_FIELD(TMouseProfileInfo, ConfigInfo, 872, 84120);
VANTO_CHECK_FIELD(TMouseProfileInfo, HWheelFunctionList, 84992, 800);
VANTO_CHECK_FIELD(TMouseProfileInfo, VWheelFunctionList, 85792, 800);
VANTO_CHECK_FIELD(TMouseProfileInfo, MacroKeyInfoList, 86592, 18736);
VANTO_CHECK_FIELD(TMouseProfileInfo, MacroInfoToDevice, 105328, 4464);
VANTO_CHECK_FIELD(TMouseProfileInfo, OtherConfig, 109792, 24);

VANTO_CHECK_RECORD(TPROFILESETTINGINFO, 6190, 2);
VANTO_CHECK_FIELD(TPROFILESETTINGINFO, nFlag, 0, 2);
VANTO_CHECK_FIELD(TPROFILESETTINGINFO, szFilePath, 2, 2048);
VANTO_CHECK_FIELD(TPROFILESETTINGINFO, szKeyPath, 2050, 2048);
VANTO_CHECK_FIELD(TPROFILESETTINGINFO, szFileName, 4098, 42);
VANTO_CHECK_FIELD(TPROFILESETTINGINFO, szMacroPath, 4140, 2048);
VANTO_CHECK_FIELD(TPROFILESETTINGINFO, nStorageType, 6188, 1);
VANTO_CHECK_FIELD(TPROFILESETTINGINFO, Padding6189, 6189, 1);

VANTO_CHECK_RECORD(TALLGAMESINFO, ALLGAMESINFO_BLOCK_SIZE, 2);
VANTO_CHECK_FIELD(TALLGAMESINFO, Allgameset, 0, 30950);
VANTO_CHECK_FIELD(TALLGAMESINFO, CurrentGame, 30950, 2);
VANTO_CHECK_FIELD(TALLGAMESINFO, CurrentLanguage, 30952, 1);
VANTO_CHECK_FIELD(TALLGAMESINFO, Padding30953, 30953, 1);

VANTO_CHECK_RECORD(TProfileSettingGroup, PROFILE_SETTING_GROUP_BLOCK_SIZE, 4);
VANTO_CHECK_FIELD(TProfileSettingGroup, CurrentProfileGroup, 0, 4);
VANTO_CHECK_FIELD(TProfileSettingGroup, ProfileIndexOfProfileGroup, 4, 8);
VANTO_CHECK_FIELD(TProfileSettingGroup, ProfileSettingList, 12, 30950);
VANTO_CHECK_FIELD(TProfileSettingGroup, Padding30962, 30962, 2);

#undef VANTO_CHECK_FIELD
#undef VANTO_CHECK_RECORD

// No record holds a byte the compiler added: every byte is a field (records holding a double
// are left out, because the trait is false for any floating-point member).
static_assert(std::has_unique_object_representations_v<TMACROKEYINFO>);
static_assert(std::has_unique_object_representations_v<TMACROKEYINFOLIST>);
static_assert(std::has_unique_object_representations_v<TMACROINFOLIST_TO_DEVICE>);
static_assert(std::has_unique_object_representations_v<TBUTTONFUNCINFO>);
static_assert(std::has_unique_object_representations_v<TMOUSECONFIGINFO>);
static_assert(std::has_unique_object_representations_v<TOtherConfig>);
static_assert(std::has_unique_object_representations_v<TALLGAMESINFO>);
static_assert(std::has_unique_object_representations_v<TProfileSettingGroup>);

// Derived facts the other Parts rely on: button k of a profile starts at 872 + 3772 * k, and the
// function type of button 14 lies at 57434.
inline constexpr std::size_t PROFILE_FIRST_BUTTON_OFFSET = 872;
static_assert(offsetof(TMouseProfileInfo, ConfigInfo.ButtonFuncInfo[0]) ==
              PROFILE_FIRST_BUTTON_OFFSET);
static_assert(offsetof(TMouseProfileInfo, ConfigInfo.ButtonFuncInfo[1]) ==
              PROFILE_FIRST_BUTTON_OFFSET + BUTTON_FUNC_INFO_SIZE);
static_assert(offsetof(TMouseProfileInfo, ConfigInfo.ButtonFuncInfo[14]) ==
              PROFILE_FIRST_BUTTON_OFFSET + BUTTON_FUNC_INFO_SIZE * 14);
static_assert(offsetof(TMouseProfileInfo, ConfigInfo.ButtonFuncInfo[14].nFunctionType) == 57434);
static_assert(offsetof(TMouseProfileInfo, MacroKeyInfoList.MacroInfos[20].szMacroName) == 105212);
static_assert(offsetof(TALLGAMESINFO, Allgameset[4].nStorageType) == 30948);

// --- FunctionTypeTable: device function and function ID of each function type. ---

struct TFunctionTypeRow {
    std::uint16_t FFunctionType;  // TBUTTONFUNCINFO.nFunctionType
    std::int32_t FDeviceFunction; // TBUTTONFUNCINFO.nDeviceFunction, executed by the mouse
    std::int32_t FFunctionID;     // TBUTTONFUNCINFO.nFunctionID
};

inline constexpr std::size_t FUNCTION_TYPE_COUNT = 37;

// clang-format off
inline constexpr std::array<TFunctionTypeRow, FUNCTION_TYPE_COUNT> FunctionTypeTable{{
    {0, 1, 1},       {1, 2, 2},       {2, 3, 3},       {3, 5, 4},       {4, 4, 5},
    {5, 16, 6},      {6, 15, 7},
    {7, 15, 801},    {8, 15, 802},    {9, 15, 803},    {10, 15, 804},   {11, 15, 805},
    {12, 15, 806},   {13, 15, 807},   {14, 15, 808},
    {15, 15, 901},   {16, 15, 902},   {17, 15, 903},   {18, 15, 904},   {19, 15, 905},
    {20, 15, 906},
    {21, 14, 1001},  {22, 14, 1002},  {23, 14, 1003},  {24, 14, 1004},  {25, 14, 1005},
    {26, 14, 1006},  {27, 14, 1007},
    {28, 19, 1008},  {29, 17, 11},    {30, 8, 12},     {31, 17, 13},    {32, 19, 14},
    {33, 10, 15},    {34, 9, 16},     {35, 13, 17},    {36, 14, 18},
}};
// clang-format on

// The row of a function type, nullptr when the type is unknown.
constexpr const TFunctionTypeRow* FindFunctionType(std::uint16_t AType) {
    for (const TFunctionTypeRow& Row : FunctionTypeTable) {
        if (Row.FFunctionType == AType) {
            return &Row;
        }
    }
    return nullptr;
}

static_assert(FindFunctionType(7)->FFunctionID == 801);
static_assert(FindFunctionType(20)->FFunctionID == 906);
static_assert(FindFunctionType(27)->FFunctionID == 1007);
static_assert(FindFunctionType(36)->FFunctionID == 18);
static_assert(FindFunctionType(FUNCTION_TYPE_PLAY_MACRO)->FDeviceFunction == 17);
static_assert(FindFunctionType(FUNCTION_TYPE_RECORD_MACRO)->FDeviceFunction == 19);
static_assert(FindFunctionType(37) == nullptr);

// --- Text fields: NUL-terminated UTF-16 in fixed arrays whose capacity includes the NUL. ---

// The text of a field: up to the first NUL, or all N units when the field holds no NUL.
template <std::size_t N> std::u16string ReadRecordText(const char16_t (&AField)[N]) {
    std::size_t Length = 0;
    while (Length < N && AField[Length] != u'\0') {
        ++Length;
    }
    return std::u16string(AField, Length);
}

// Stores AText cut to at most N-1 units, followed by a NUL. A cut never splits a surrogate pair:
// the high half of a pair whose low half does not fit is dropped too.
//
// Only the text and its terminator are written. The units after the terminator are not
// significant, so clearing them would be allowed as well; leaving them keeps a record that was
// read from storage byte-identical outside the text, as the configuration application wrote it
// (records this system creates start zero-filled anyway).
template <std::size_t N> void WriteRecordText(char16_t (&AField)[N], std::u16string_view AText) {
    static_assert(N > 0, "a text field holds at least its terminator");
    std::size_t Length = AText.size() < N ? AText.size() : N - 1;
    if (Length < AText.size() && Length > 0 && AText[Length - 1] >= 0xD800 &&
        AText[Length - 1] <= 0xDBFF && AText[Length] >= 0xDC00 && AText[Length] <= 0xDFFF) {
        --Length;
    }
    for (std::size_t I = 0; I < Length; ++I) {
        AField[I] = AText[I];
    }
    AField[Length] = u'\0';
}

} // namespace vanto
