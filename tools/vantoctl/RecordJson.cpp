#include "RecordJson.h"

#include "platform/Utf16.h"
#include "shared/pubunit_quorvin.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iomanip>
#include <memory>
#include <string>
#include <string_view>

namespace vanto::ctl {

namespace {

// A small streaming JSON writer: one member a line, two spaces an indent level.
class TJsonWriter {
public:
    explicit TJsonWriter(std::ostream& AOut) : FOut(AOut) {}

    void BeginObject(std::string_view AKey = {}) { Open(AKey, '{'); }
    void EndObject() { Close('}'); }
    void BeginArray(std::string_view AKey = {}) { Open(AKey, '['); }
    void EndArray() { Close(']'); }

    void Number(std::string_view AKey, long long AValue) {
        Member(AKey);
        FOut << AValue;
    }
    void Real(std::string_view AKey, double AValue) {
        Member(AKey);
        if (std::isfinite(AValue)) {
            FOut << std::setprecision(17) << AValue;
        } else {
            FOut << "null"; // JSON has no NaN or infinity
        }
    }
    template <std::size_t N> void Text(std::string_view AKey, const char16_t (&AField)[N]) {
        Member(AKey);
        FOut << '"' << EscapeForPrinting(ReadRecordText(AField)) << '"';
    }
    void Finish() { FOut << "\n"; }

private:
    void Member(std::string_view AKey) {
        if (FNeedComma) {
            FOut << ',';
        }
        if (FDepth > 0) {
            FOut << '\n' << std::string(FDepth * 2, ' ');
        }
        if (!AKey.empty()) {
            FOut << '"' << AKey << "\": ";
        }
        FNeedComma = true;
    }
    void Open(std::string_view AKey, char ABracket) {
        Member(AKey);
        FOut << ABracket;
        ++FDepth;
        FNeedComma = false;
    }
    void Close(char ABracket) {
        --FDepth;
        if (FNeedComma) {
            FOut << '\n' << std::string(FDepth * 2, ' ');
        }
        FOut << ABracket;
        FNeedComma = true;
    }

    std::ostream& FOut;
    int FDepth = 0;
    bool FNeedComma = false;
};

void Write(TJsonWriter& AJson, std::string_view AKey, const TMACROKEYINFO& AMacro) {
    AJson.BeginObject(AKey);
    AJson.BeginArray("MacroList");
    // Only the valid steps; a stored count outside 0..128 still shows as it is below.
    int Count = std::clamp<int>(AMacro.MacroListCount, 0, static_cast<int>(MACRO_STEP_COUNT));
    for (int I = 0; I < Count; ++I) {
        const TMACROKEY& Step = AMacro.MacroList[I];
        AJson.BeginObject();
        AJson.Number("nKeyType", Step.nKeyType);
        AJson.Number("nKeyState", Step.nKeyState);
        AJson.Number("Value1", Step.Value1);
        AJson.Number("Value2", Step.Value2);
        AJson.EndObject();
    }
    AJson.EndArray();
    AJson.Number("MacroListCount", AMacro.MacroListCount);
    AJson.Number("nAutoAddDelay", AMacro.nAutoAddDelay);
    AJson.Number("nLoopCount", AMacro.nLoopCount);
    AJson.Number("nMacroIndex", AMacro.nMacroIndex);
    AJson.Number("MacroUse", AMacro.MacroUse);
    AJson.Text("szMacroName", AMacro.szMacroName);
    AJson.Number("Version", AMacro.Version);
    AJson.Number("HaveErrors", AMacro.HaveErrors);
    AJson.Number("ErrorCount", AMacro.ErrorCount);
    AJson.EndObject();
}

void Write(TJsonWriter& AJson, std::string_view AKey, const TBUTTONFUNCINFO& AButton) {
    AJson.BeginObject(AKey);
    AJson.Number("nSingleKeyValue", AButton.nSingleKeyValue);
    AJson.Number("nSingleKeyExtended", AButton.nSingleKeyExtended);
    AJson.BeginObject("ComboKeyInfo");
    AJson.Number("nKeyValue1", AButton.ComboKeyInfo.nKeyValue1);
    AJson.Number("nKey1Extended", AButton.ComboKeyInfo.nKey1Extended);
    AJson.Number("nKeyValue2", AButton.ComboKeyInfo.nKeyValue2);
    AJson.Number("nKey2Extended", AButton.ComboKeyInfo.nKey2Extended);
    AJson.Number("nModifier", AButton.ComboKeyInfo.nModifier);
    AJson.EndObject();
    AJson.Number("nMediaKeyL", AButton.nMediaKeyL);
    AJson.Number("nMediaKeyH", AButton.nMediaKeyH);
    Write(AJson, "MacroKeyInfo", AButton.MacroKeyInfo);
    AJson.Number("nDeviceParam1", AButton.nDeviceParam1);
    AJson.Number("nDeviceParam2", AButton.nDeviceParam2);
    AJson.Number("nDeviceParam3", AButton.nDeviceParam3);
    AJson.BeginArray("ReportCode");
    for (std::uint8_t Byte : AButton.ReportCode) {
        AJson.Number({}, Byte);
    }
    AJson.EndArray();
    AJson.Number("nButtonIndex", AButton.nButtonIndex);
    AJson.Number("nFunctionType", AButton.nFunctionType);
    AJson.Number("nFunctionGroup", AButton.nFunctionGroup);
    AJson.Number("nDeviceFunction", AButton.nDeviceFunction);
    AJson.Number("nFunctionID", AButton.nFunctionID);
    AJson.EndObject();
}

template <typename TItem, std::size_t N>
void WriteArray(TJsonWriter& AJson, std::string_view AKey, const TItem (&AItems)[N]) {
    AJson.BeginArray(AKey);
    for (const TItem& Item : AItems) {
        Write(AJson, {}, Item);
    }
    AJson.EndArray();
}

void Write(TJsonWriter& AJson, std::string_view AKey, const TCPISTATE& AState) {
    AJson.BeginObject(AKey);
    AJson.Number("X", AState.X);
    AJson.Number("Y", AState.Y);
    AJson.Number("Enabled", AState.Enabled);
    AJson.EndObject();
}

void Write(TJsonWriter& AJson, std::string_view AKey, const TPROFILE_MACRO_PATH& APath) {
    AJson.BeginObject(AKey);
    AJson.Text("FilePath", APath.FilePath);
    AJson.EndObject();
}

void WriteWheelAndPointer(TJsonWriter& AJson, const TMOUSECONFIGINFO& AConfig) {
    AJson.Number("VWheelType", AConfig.VWheelType);
    AJson.Number("HWheelType", AConfig.HWheelType);
    AJson.Number("VWheelSpeed", AConfig.VWheelSpeed);
    AJson.Number("HWheelSpeed", AConfig.HWheelSpeed);
    AJson.Number("DoubleClickSpeed", AConfig.DoubleClickSpeed);
    AJson.Number("PointerSpeed", AConfig.PointerSpeed);
    AJson.Number("PointerAcceleration", AConfig.PointerAcceleration);
    AJson.Number("UseSystemPointerSpeedSetting", AConfig.UseSystemPointerSpeedSetting);
    AJson.Number("ReportRate", AConfig.ReportRate);
}

void WriteCpi(TJsonWriter& AJson, const TMOUSECONFIGINFO& AConfig) {
    AJson.Number("CurrentCPIIndex", AConfig.CurrentCPIIndex);
    AJson.Number("CurrentCPIX", AConfig.CurrentCPIX);
    AJson.Number("CurrentCPIY", AConfig.CurrentCPIY);
    AJson.Number("MinCPI", AConfig.MinCPI);
    AJson.Number("MaxCPI", AConfig.MaxCPI);
    AJson.BeginArray("UseDiffentXY");
    for (std::uint16_t Value : AConfig.UseDiffentXY) {
        AJson.Number({}, Value);
    }
    AJson.EndArray();
    AJson.Number("UseCPIOnScreenFlyShow", AConfig.UseCPIOnScreenFlyShow);
    WriteArray(AJson, "CPIState", AConfig.CPIState);
    AJson.Number("CPILevel", AConfig.CPILevel);
}

void Write(TJsonWriter& AJson, std::string_view AKey, const TMOUSECONFIGINFO& AConfig) {
    AJson.BeginObject(AKey);
    WriteArray(AJson, "ButtonFuncInfo", AConfig.ButtonFuncInfo);
    WriteArray(AJson, "VWheelButtonFuncInfo", AConfig.VWheelButtonFuncInfo);
    WriteArray(AJson, "HWheelButtonFuncInfo", AConfig.HWheelButtonFuncInfo);
    WriteWheelAndPointer(AJson, AConfig);
    WriteCpi(AJson, AConfig);
    AJson.Number("AutoSwitchProfileWhenAppRun", AConfig.AutoSwitchProfileWhenAppRun);
    WriteArray(AJson, "ApplicationList", AConfig.ApplicationList);
    AJson.BeginObject("LEDConfig");
    AJson.Number("R", AConfig.LEDConfig.R);
    AJson.Number("G", AConfig.LEDConfig.G);
    AJson.Number("B", AConfig.LEDConfig.B);
    AJson.Number("BRIGHT_LEVEL", AConfig.LEDConfig.BRIGHT_LEVEL);
    AJson.Number("BREATH_SPEED", AConfig.LEDConfig.BREATH_SPEED);
    AJson.Number("BREATH_SECOND", AConfig.LEDConfig.BREATH_SECOND);
    AJson.EndObject();
    AJson.BeginObject("Sensorlift");
    AJson.Number("SensorLift", AConfig.Sensorlift.SensorLift);
    AJson.EndObject();
    AJson.Number("ButtonCount", AConfig.ButtonCount);
    Write(AJson, "ProfilePath", AConfig.ProfilePath);
    Write(AJson, "MacroPath", AConfig.MacroPath);
    AJson.EndObject();
}

void Write(TJsonWriter& AJson, const TMouseProfileInfo& AProfile) {
    AJson.BeginObject();
    AJson.BeginObject("ProfileHeader");
    AJson.Number("FFileVersion", AProfile.ProfileHeader.FFileVersion);
    AJson.Real("FProfileUID", AProfile.ProfileHeader.FProfileUID.DataTime);
    AJson.EndObject();
    Write(AJson, "ConfigInfo", AProfile.ConfigInfo);
    AJson.BeginObject("MacroKeyInfoList");
    WriteArray(AJson, "MacroInfos", AProfile.MacroKeyInfoList.MacroInfos);
    AJson.Number("nMacroInfoCount", AProfile.MacroKeyInfoList.nMacroInfoCount);
    AJson.EndObject();
    AJson.BeginObject("OtherConfig");
    AJson.Number("ShowNumLock", AProfile.OtherConfig.ShowNumLock);
    AJson.Number("ShowCapsLock", AProfile.OtherConfig.ShowCapsLock);
    AJson.Number("ShowScrollLock", AProfile.OtherConfig.ShowScrollLock);
    AJson.Number("ShowLockStatePop", AProfile.OtherConfig.ShowLockStatePop);
    AJson.Number("Nologo", AProfile.OtherConfig.Nologo);
    AJson.EndObject();
    AJson.EndObject();
}

void Write(TJsonWriter& AJson, std::string_view AKey, const TPROFILESETTINGINFO& AEntry) {
    AJson.BeginObject(AKey);
    AJson.Number("nFlag", AEntry.nFlag);
    AJson.Text("szFilePath", AEntry.szFilePath);
    AJson.Text("szKeyPath", AEntry.szKeyPath);
    AJson.Text("szFileName", AEntry.szFileName);
    AJson.Text("szMacroPath", AEntry.szMacroPath);
    AJson.Number("nStorageType", AEntry.nStorageType);
    AJson.EndObject();
}

void Write(TJsonWriter& AJson, const TProfileSettingGroup& AGroup) {
    AJson.BeginObject();
    AJson.Number("CurrentProfileGroup", AGroup.CurrentProfileGroup);
    AJson.BeginArray("ProfileIndexOfProfileGroup");
    for (std::int32_t Index : AGroup.ProfileIndexOfProfileGroup) {
        AJson.Number({}, Index);
    }
    AJson.EndArray();
    WriteArray(AJson, "ProfileSettingList", AGroup.ProfileSettingList);
    AJson.EndObject();
}

void Write(TJsonWriter& AJson, const TALLGAMESINFO& AAll) {
    AJson.BeginObject();
    WriteArray(AJson, "Allgameset", AAll.Allgameset);
    AJson.Number("CurrentGame", AAll.CurrentGame);
    AJson.Number("CurrentLanguage", AAll.CurrentLanguage);
    AJson.EndObject();
}

// Copies the bytes into an aligned record before it is read.
template <typename TRecord> void Print(std::span<const std::uint8_t> ABytes, std::ostream& AOut) {
    auto Record = std::make_unique<TRecord>();
    std::memcpy(Record.get(), ABytes.data(), sizeof(TRecord));
    TJsonWriter Json(AOut);
    Write(Json, *Record);
    Json.Finish();
}

} // namespace

bool PrintRecordAsJson(std::span<const std::uint8_t> ABytes, std::ostream& AOut) {
    switch (ABytes.size()) {
    case sizeof(TMouseProfileInfo):
        Print<TMouseProfileInfo>(ABytes, AOut);
        return true;
    case sizeof(TProfileSettingGroup):
        Print<TProfileSettingGroup>(ABytes, AOut);
        return true;
    case sizeof(TALLGAMESINFO):
        Print<TALLGAMESINFO>(ABytes, AOut);
        return true;
    default:
        return false;
    }
}

} // namespace vanto::ctl
