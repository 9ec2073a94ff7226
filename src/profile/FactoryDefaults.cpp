#include "profile/FactoryDefaults.h"

#include "macro/uiMacroClass.h"
#include "shared/ButtonReports.h"
#include "shared/ConfigAppInterface.h"

#include <cstring>
#include <iterator>

namespace vanto {

namespace {

constexpr char16_t FACTORY_MACRO_NAME[] = u"User Recorded";

std::u16string Decimal(int AValue) {
    return std::u16string(1, static_cast<char16_t>(u'0' + AValue));
}

// A double click: left down, 6 ms, left up, 15 ms, left down, 6 ms, left up.
constexpr TMACROKEY FACTORY_MACRO_STEPS[] = {{1, 1, 1, 1},  {6, 0, 6, 0}, {1, 0, 1, 1},
                                             {6, 0, 15, 0}, {1, 1, 1, 1}, {6, 0, 6, 0},
                                             {1, 0, 1, 1}};

// Built the way the configuration application builds it: through the macro list manager.
void BuildFactoryMacro(TMouseProfileInfo& AProfile, std::u16string_view AMacroName) {
    AProfile.MacroKeyInfoList.nMacroInfoCount = 0;
    TuiMacroClass Manager(AProfile.MacroKeyInfoList);
    Manager.CreateNewMacro(std::u16string(AMacroName));
    Manager.SetMacroListIndex(0);
    TMACROKEYINFO Macro{};
    Manager.GetCurrentMacroKeyItem(Macro);
    std::memset(Macro.MacroList, 0, sizeof(Macro.MacroList));
    std::copy(std::begin(FACTORY_MACRO_STEPS), std::end(FACTORY_MACRO_STEPS), Macro.MacroList);
    Macro.MacroListCount = static_cast<std::int32_t>(std::size(FACTORY_MACRO_STEPS));
    Macro.nAutoAddDelay = 1;
    Macro.nLoopCount = 0;
    Macro.nMacroIndex = 0;
    Macro.MacroUse = 0;
    Macro.Version = 0;
    Macro.HaveErrors = 0;
    Macro.ErrorCount = 0;
    Manager.SaveBackCurrentMacroKeyInfo(Macro);
    Manager.GetMacroKeyInfoList(AProfile.MacroKeyInfoList);
}

void SetButton(TBUTTONFUNCINFO& AButton, std::uint16_t AIndex, std::uint8_t AGroup,
               std::uint16_t AType, std::int32_t ADeviceFunction, std::int32_t AFunctionID) {
    AButton.nButtonIndex = AIndex;
    AButton.nFunctionGroup = AGroup;
    AButton.nFunctionType = AType;
    AButton.nDeviceFunction = ADeviceFunction;
    AButton.nFunctionID = AFunctionID;
}

std::int32_t DeviceFunctionOf(std::uint16_t AType) {
    return FindFunctionType(AType)->FDeviceFunction;
}

void CopyReportCode(TBUTTONFUNCINFO& AButton, std::size_t AKeyIndex) {
    std::memcpy(AButton.ReportCode, ButtonReportCodes[AKeyIndex].data() + 1, 3);
}

void SetFactoryButtons(TMouseProfileInfo& AProfile) {
    TBUTTONFUNCINFO* Buttons = AProfile.ConfigInfo.ButtonFuncInfo;
    for (int K = 0; K < 10; ++K) {
        std::memset(&Buttons[K], 0, BUTTON_FUNC_PARAMS_SIZE);
    }
    for (std::uint16_t K = 0; K < 3; ++K) {
        SetButton(Buttons[K], K, MOUSE_BUTTON_GROUP, K, DeviceFunctionOf(K), K + 1);
    }
    constexpr std::uint16_t ModifierKeys[] = {0xA2, 0xA0, 0xA4}; // left Ctrl, Shift, Alt
    for (std::uint16_t K = 3; K < 6; ++K) {
        SetButton(Buttons[K], K, SINGLE_KEY_GROUP, 5, 16, 6);
        Buttons[K].nSingleKeyValue = ModifierKeys[K - 3];
        Buttons[K].nSingleKeyExtended = 0;
    }
    SetButton(Buttons[6], 6, MACRO_GROUP, FUNCTION_TYPE_PLAY_MACRO, 17, 13);
    Buttons[6].MacroKeyInfo = AProfile.MacroKeyInfoList.MacroInfos[0];
    Buttons[6].MacroKeyInfo.nMacroIndex = 0;
    SetButton(Buttons[7], 7, HOST_REPORTED_GROUP, FUNCTION_TYPE_RECORD_MACRO, 19, 14);
    CopyReportCode(Buttons[7], 7);
    SetButton(Buttons[8], 8, NO_GROUP, 30, 8, 12);
}

void SetFactoryPointerAndLight(TMOUSECONFIGINFO& AConfig) {
    AConfig.VWheelSpeed = 3;
    AConfig.DoubleClickSpeed = 550;
    AConfig.PointerSpeed = 10;
    AConfig.CPILevel = 4;
    AConfig.PointerAcceleration = 0;
    SetReportRateAndLight(AConfig);
}

} // namespace

void SetReportRateAndLight(TMOUSECONFIGINFO& AConfig) {
    AConfig.ReportRate = 500;
    AConfig.LEDConfig.BRIGHT_LEVEL = 1;
    AConfig.LEDConfig.BREATH_SPEED = 1;
    AConfig.LEDConfig.R = 0;
    AConfig.LEDConfig.G = 0;
    AConfig.LEDConfig.B = 255;
}

void SetCpiLevels(TMOUSECONFIGINFO& AConfig, std::uint16_t AFourthLevel,
                  std::uint16_t AUseDifferentXY) {
    for (std::size_t Level = 0; Level < 10; ++Level) {
        AConfig.CPIState[Level] = TCPISTATE{};
    }
    const std::uint16_t Levels[] = {1000, 2000, 4000, AFourthLevel};
    for (std::size_t Level = 0; Level < std::size(Levels); ++Level) {
        AConfig.CPIState[Level] = TCPISTATE{Levels[Level], Levels[Level], 1};
        AConfig.UseDiffentXY[Level] = AUseDifferentXY;
    }
    AConfig.CurrentCPIIndex = 1;
}

namespace {

void SetFactoryCpi(TMOUSECONFIGINFO& AConfig) {
    SetCpiLevels(AConfig, 8200, 1);
}

void SetFactoryHeader(TMouseProfileInfo& AProfile, double ANow) {
    AProfile.ProfileHeader.FProfileUID.DataTime = ANow;
    AProfile.ProfileHeader.FFileVersion = PROFILE_FORMAT_VERSION;
}

} // namespace

std::u16string FactoryMacroName(std::u16string_view ATranslated) {
    // A translation too long for the name field would be cut in the middle of a word; the
    // English name is whole and still says what the macro is.
    if (ATranslated.empty() || ATranslated.size() > MACRO_NAME_CAPACITY - 1) {
        return FACTORY_MACRO_NAME;
    }
    return std::u16string(ATranslated);
}

void RestoreSettingGroupDefaults(TProfileSettingGroup& AGroup, std::u16string_view AProfileFolder) {
    for (int I = 0; I < static_cast<int>(GAME_PROFILE_COUNT); ++I) {
        TPROFILESETTINGINFO& Entry = AGroup.ProfileSettingList[I];
        const std::u16string N = Decimal(I + 1);
        Entry.nFlag = 0;
        Entry.nStorageType = STORAGE_FILE;
        WriteRecordText(Entry.szFileName, u"VantoProfile" + N + u".pfd");
        WriteRecordText(Entry.szKeyPath, VANTO_REGISTRY_KEY);
        WriteRecordText(Entry.szFilePath, AProfileFolder);
        WriteRecordText(Entry.szMacroPath,
                        std::u16string(AProfileFolder) + u"\\VantoProfile" + N + u"_Macros");
    }
    AGroup.CurrentProfileGroup = 0;
    AGroup.ProfileIndexOfProfileGroup[0] = 0;
    AGroup.ProfileIndexOfProfileGroup[1] = 1;
}

void RestoreAllSettingDefaults(TALLGAMESINFO& AAll, std::uint16_t ASystemLangID) {
    for (TPROFILESETTINGINFO& Entry : AAll.Allgameset) {
        Entry.nFlag = 0;
        Entry.nStorageType = STORAGE_REGISTRY;
        Entry.szFilePath[0] = u'\0';
    }
    AAll.CurrentGame = 0;
    AAll.Allgameset[0].nFlag = 1;
    switch (ASystemLangID) {
    case 0x0407: // German
        AAll.CurrentLanguage = 1;
        break;
    case 0x040C: // French
        AAll.CurrentLanguage = 2;
        break;
    case 0x0411: // Japanese
        AAll.CurrentLanguage = 3;
        break;
    default:
        AAll.CurrentLanguage = 0;
        break;
    }
}

void RestoreGameProfileDefaults(TMouseProfileInfo& AProfile, double ANow,
                                std::u16string_view AMacroName) {
    SetFactoryHeader(AProfile, ANow);
    AProfile.ConfigInfo.ButtonCount = 7;
    BuildFactoryMacro(AProfile, AMacroName);
    SetFactoryButtons(AProfile);
    SetFactoryPointerAndLight(AProfile.ConfigInfo);
    SetFactoryCpi(AProfile.ConfigInfo);
}

void RestoreTestProfileDefaults(TMouseProfileInfo& AProfile, double ANow) {
    std::memset(&AProfile, 0, sizeof(AProfile));
    SetFactoryHeader(AProfile, ANow);
    AProfile.ConfigInfo.ButtonCount = 10;
    TBUTTONFUNCINFO* Buttons = AProfile.ConfigInfo.ButtonFuncInfo;
    for (std::uint16_t K = 0; K < 5; ++K) {
        SetButton(Buttons[K], K, MOUSE_BUTTON_GROUP, K, DeviceFunctionOf(K), 0);
    }
    for (std::uint16_t K = 5; K < 10; ++K) {
        SetButton(Buttons[K], K, HOST_REPORTED_GROUP, 14, 19, 0);
        CopyReportCode(Buttons[K], K);
    }
    SetFactoryPointerAndLight(AProfile.ConfigInfo);
    SetFactoryCpi(AProfile.ConfigInfo);
    AProfile.MacroKeyInfoList.nMacroInfoCount = 0;
}

} // namespace vanto
