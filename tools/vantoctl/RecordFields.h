#pragma once

// The fields of the stored records as their text form names them, in the order "dump" prints
// them. Printing and reading walk the same lists, so the two cannot drift apart: whatever is not
// listed here (regions the monitor does not interpret, padding, the device's macro copy, the help
// file reference, steps past a macro's count) is not carried by the text form.
//
// A visitor offers Number(key, field[, min, max]), Real, Text, Object, Objects (an array of
// records), Numbers (an array of numbers) and Steps (a macro's valid steps). The ranges are the
// values the monitor or the mouse reads correctly; a printer shows any value as it is stored.

#include "shared/pubunit_quorvin.h"

namespace vanto::ctl {

template <typename V> void Fields(V& AV, TMACROKEY& AStep) {
    AV.Number("nKeyType", AStep.nKeyType);
    AV.Number("nKeyState", AStep.nKeyState);
    AV.Number("Value1", AStep.Value1);
    AV.Number("Value2", AStep.Value2);
}

template <typename V> void Fields(V& AV, TMACROKEYINFO& AMacro) {
    AV.Steps("MacroList", AMacro.MacroList, AMacro.MacroListCount);
    AV.Number("MacroListCount", AMacro.MacroListCount, 0, MACRO_STEP_COUNT);
    AV.Number("nAutoAddDelay", AMacro.nAutoAddDelay);
    AV.Number("nLoopCount", AMacro.nLoopCount);
    AV.Number("nMacroIndex", AMacro.nMacroIndex);
    AV.Number("MacroUse", AMacro.MacroUse);
    AV.Text("szMacroName", AMacro.szMacroName);
    AV.Number("Version", AMacro.Version);
    AV.Number("HaveErrors", AMacro.HaveErrors);
    AV.Number("ErrorCount", AMacro.ErrorCount);
}

template <typename V> void Fields(V& AV, TCOMBOKEYINFO& ACombo) {
    AV.Number("nKeyValue1", ACombo.nKeyValue1);
    AV.Number("nKey1Extended", ACombo.nKey1Extended);
    AV.Number("nKeyValue2", ACombo.nKeyValue2);
    AV.Number("nKey2Extended", ACombo.nKey2Extended);
    AV.Number("nModifier", ACombo.nModifier);
}

template <typename V> void Fields(V& AV, TBUTTONFUNCINFO& AButton) {
    AV.Number("nSingleKeyValue", AButton.nSingleKeyValue);
    AV.Number("nSingleKeyExtended", AButton.nSingleKeyExtended);
    AV.Object("ComboKeyInfo", AButton.ComboKeyInfo);
    AV.Number("nMediaKeyL", AButton.nMediaKeyL);
    AV.Number("nMediaKeyH", AButton.nMediaKeyH);
    AV.Object("MacroKeyInfo", AButton.MacroKeyInfo);
    AV.Number("nDeviceParam1", AButton.nDeviceParam1);
    AV.Number("nDeviceParam2", AButton.nDeviceParam2);
    AV.Number("nDeviceParam3", AButton.nDeviceParam3);
    AV.Numbers("ReportCode", AButton.ReportCode);
    AV.Number("nButtonIndex", AButton.nButtonIndex);
    AV.Number("nFunctionType", AButton.nFunctionType);
    AV.Number("nFunctionGroup", AButton.nFunctionGroup);
    AV.Number("nDeviceFunction", AButton.nDeviceFunction);
    AV.Number("nFunctionID", AButton.nFunctionID);
}

template <typename V> void Fields(V& AV, TCPISTATE& AState) {
    AV.Number("X", AState.X);
    AV.Number("Y", AState.Y);
    AV.Number("Enabled", AState.Enabled);
}

template <typename V> void Fields(V& AV, TPROFILE_MACRO_PATH& APath) {
    AV.Text("FilePath", APath.FilePath);
}

template <typename V> void Fields(V& AV, TLEDCONFIG& ALight) {
    AV.Number("R", ALight.R);
    AV.Number("G", ALight.G);
    AV.Number("B", ALight.B);
    AV.Number("BRIGHT_LEVEL", ALight.BRIGHT_LEVEL);
    AV.Number("BREATH_SPEED", ALight.BREATH_SPEED);
    AV.Number("BREATH_SECOND", ALight.BREATH_SECOND);
}

template <typename V> void Fields(V& AV, TSENSORLIFT& ALift) {
    AV.Number("SensorLift", ALift.SensorLift);
}

template <typename V> void WheelAndPointerFields(V& AV, TMOUSECONFIGINFO& AConfig) {
    AV.Number("VWheelType", AConfig.VWheelType);
    AV.Number("HWheelType", AConfig.HWheelType);
    AV.Number("VWheelSpeed", AConfig.VWheelSpeed);
    AV.Number("HWheelSpeed", AConfig.HWheelSpeed);
    AV.Number("DoubleClickSpeed", AConfig.DoubleClickSpeed);
    AV.Number("PointerSpeed", AConfig.PointerSpeed);
    AV.Number("PointerAcceleration", AConfig.PointerAcceleration);
    AV.Number("UseSystemPointerSpeedSetting", AConfig.UseSystemPointerSpeedSetting);
    AV.Number("ReportRate", AConfig.ReportRate);
}

template <typename V> void CpiFields(V& AV, TMOUSECONFIGINFO& AConfig) {
    AV.Number("CurrentCPIIndex", AConfig.CurrentCPIIndex, 0, CPI_LEVEL_COUNT - 1);
    AV.Number("CurrentCPIX", AConfig.CurrentCPIX);
    AV.Number("CurrentCPIY", AConfig.CurrentCPIY);
    AV.Number("MinCPI", AConfig.MinCPI);
    AV.Number("MaxCPI", AConfig.MaxCPI);
    AV.Numbers("UseDiffentXY", AConfig.UseDiffentXY);
    AV.Number("UseCPIOnScreenFlyShow", AConfig.UseCPIOnScreenFlyShow);
    AV.Objects("CPIState", AConfig.CPIState);
    AV.Number("CPILevel", AConfig.CPILevel, 0, CPI_LEVEL_COUNT);
}

template <typename V> void Fields(V& AV, TMOUSECONFIGINFO& AConfig) {
    AV.Objects("ButtonFuncInfo", AConfig.ButtonFuncInfo);
    AV.Objects("VWheelButtonFuncInfo", AConfig.VWheelButtonFuncInfo);
    AV.Objects("HWheelButtonFuncInfo", AConfig.HWheelButtonFuncInfo);
    WheelAndPointerFields(AV, AConfig);
    CpiFields(AV, AConfig);
    AV.Number("AutoSwitchProfileWhenAppRun", AConfig.AutoSwitchProfileWhenAppRun);
    AV.Objects("ApplicationList", AConfig.ApplicationList);
    AV.Object("LEDConfig", AConfig.LEDConfig);
    AV.Object("Sensorlift", AConfig.Sensorlift);
    // The upload walks this many button records; there are no more than fifteen.
    AV.Number("ButtonCount", AConfig.ButtonCount, 0, BUTTON_COUNT);
    AV.Object("ProfilePath", AConfig.ProfilePath);
    AV.Object("MacroPath", AConfig.MacroPath);
}

template <typename V> void Fields(V& AV, TProfileHeader& AHeader) {
    AV.Number("FFileVersion", AHeader.FFileVersion);
    AV.Real("FProfileUID", AHeader.FProfileUID.DataTime);
}

template <typename V> void Fields(V& AV, TMACROKEYINFOLIST& AList) {
    AV.Objects("MacroInfos", AList.MacroInfos);
    AV.Number("nMacroInfoCount", AList.nMacroInfoCount, 0, MACRO_COUNT);
}

template <typename V> void Fields(V& AV, TOtherConfig& AOther) {
    AV.Number("ShowNumLock", AOther.ShowNumLock);
    AV.Number("ShowCapsLock", AOther.ShowCapsLock);
    AV.Number("ShowScrollLock", AOther.ShowScrollLock);
    AV.Number("ShowLockStatePop", AOther.ShowLockStatePop);
    AV.Number("Nologo", AOther.Nologo);
}

template <typename V> void Fields(V& AV, TMouseProfileInfo& AProfile) {
    AV.Object("ProfileHeader", AProfile.ProfileHeader);
    AV.Object("ConfigInfo", AProfile.ConfigInfo);
    AV.Object("MacroKeyInfoList", AProfile.MacroKeyInfoList);
    AV.Object("OtherConfig", AProfile.OtherConfig);
}

template <typename V> void Fields(V& AV, TPROFILESETTINGINFO& AEntry) {
    AV.Number("nFlag", AEntry.nFlag);
    AV.Text("szFilePath", AEntry.szFilePath);
    AV.Text("szKeyPath", AEntry.szKeyPath);
    AV.Text("szFileName", AEntry.szFileName);
    AV.Text("szMacroPath", AEntry.szMacroPath);
    AV.Number("nStorageType", AEntry.nStorageType, STORAGE_REGISTRY, STORAGE_FILE);
}

template <typename V> void Fields(V& AV, TProfileSettingGroup& AGroup) {
    AV.Number("CurrentProfileGroup", AGroup.CurrentProfileGroup, 0, PROFILE_GROUP_COUNT - 1);
    AV.Numbers("ProfileIndexOfProfileGroup", AGroup.ProfileIndexOfProfileGroup, 0,
               GAME_PROFILE_COUNT - 1);
    AV.Objects("ProfileSettingList", AGroup.ProfileSettingList);
}

template <typename V> void Fields(V& AV, TALLGAMESINFO& AAll) {
    AV.Objects("Allgameset", AAll.Allgameset);
    AV.Number("CurrentGame", AAll.CurrentGame, 0, GAME_PROFILE_COUNT - 1);
    AV.Number("CurrentLanguage", AAll.CurrentLanguage);
}

} // namespace vanto::ctl
