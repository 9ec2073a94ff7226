#include "Dumps.h"

#include "MouseReports.h"
#include "shared/ConfigAppInterface.h"

#include <cstdio>

namespace vanto::simrun {

namespace {

std::string FunctionTypeNote(std::uint16_t AType) {
    switch (AType) {
    case FUNCTION_TYPE_MICROPHONE_MUTE:
        return " (microphone mute)";
    case FUNCTION_TYPE_PLAY_MACRO:
        return " (play macro)";
    case FUNCTION_TYPE_RECORD_MACRO:
        return " (record macro)";
    default:
        return {};
    }
}

std::string ButtonLine(std::size_t AIndex, const TBUTTONFUNCINFO& AButton) {
    char Text[96];
    std::snprintf(Text, sizeof Text, "button %2zu: type %2u, group %u, device function %2d", AIndex,
                  AButton.nFunctionType, AButton.nFunctionGroup, AButton.nDeviceFunction);
    return Text + FunctionTypeNote(AButton.nFunctionType);
}

std::u16string FixedText(const char16_t* AText, std::size_t ACapacity) {
    std::size_t Length = 0;
    while (Length < ACapacity && AText[Length] != 0) {
        ++Length;
    }
    return std::u16string(AText, Length);
}

std::string TypeName(platform::TRegValueType AType) {
    switch (AType) {
    case platform::TRegValueType::Binary:
        return "REG_BINARY";
    case platform::TRegValueType::DWord:
        return "REG_DWORD";
    case platform::TRegValueType::String:
        return "REG_SZ";
    default:
        return "REG_" + std::to_string(static_cast<std::uint32_t>(AType));
    }
}

std::string ValueContent(const platform::TRegValue& AValue) {
    if (AValue.FType == platform::TRegValueType::DWord && AValue.FData.size() == 4) {
        const std::uint32_t Number = AValue.FData[0] | (AValue.FData[1] << 8) |
                                     (AValue.FData[2] << 16) |
                                     (static_cast<std::uint32_t>(AValue.FData[3]) << 24);
        return " = " + std::to_string(Number);
    }
    return {};
}

void DumpBank(TTrace& ATrace, const sim::TSimMouse& AMouse, unsigned ABank) {
    const auto Table = AMouse.ButtonTable(ABank);
    const std::vector<std::string> Entries = DescribeButtonTable(Table);
    ATrace.More("bank " + std::to_string(ABank) + ": " +
                (Entries.empty() ? "no button table written"
                                 : std::to_string(Entries.size()) + " button entries"));
    for (const std::string& Entry : Entries) {
        ATrace.More("  " + Entry);
    }
    for (unsigned Slot = 0; Slot < sim::MOUSE_MACRO_SLOTS; ++Slot) {
        if (auto Steps = DescribeMacroSlot(AMouse.MacroSlot(ABank, Slot))) {
            ATrace.More("  macro slot " + std::to_string(Slot) + ": " + *Steps);
        }
    }
}

} // namespace

void DumpProfile(TTrace& ATrace, const TDM& ADM) {
    ATrace.Line("profile: group " + std::to_string(ADM.ProfileGroupIndex()) + ", game profile " +
                std::to_string(ADM.ProfileIndex()));
    const TMOUSECONFIGINFO& Config = ADM.CurrentProfileInfo().ConfigInfo;
    for (std::size_t I = 0; I < std::size(Config.ButtonFuncInfo); ++I) {
        ATrace.More(ButtonLine(I, Config.ButtonFuncInfo[I]));
    }
    const TMACROKEYINFOLIST& Macros = ADM.CurrentProfileInfo().MacroKeyInfoList;
    const TMACROKEYINFO& First = Macros.MacroInfos[0];
    ATrace.More("macros: " + std::to_string(Macros.nMacroInfoCount) + "; macro 0 " +
                Quoted(FixedText(First.szMacroName, std::size(First.szMacroName))) + ", " +
                std::to_string(First.MacroListCount) + " steps");
}

void DumpRegistry(TTrace& ATrace, sim::TSimRegistry& ARegistry) {
    const auto Values = ARegistry.Values(VANTO_REGISTRY_KEY);
    ATrace.Line("registry: " + Utf8(VANTO_REGISTRY_KEY) + ", " + std::to_string(Values.size()) +
                " values");
    for (const auto& [Name, Value] : Values) {
        ATrace.More(Utf8(Name) + "  " + TypeName(Value.FType) + ", " +
                    std::to_string(Value.FData.size()) + " bytes" + ValueContent(Value));
    }
}

void DumpMouse(TTrace& ATrace, const sim::TSimMouse& AMouse, sim::TSimHid& AHub) {
    const std::string Connection =
        AMouse.IsPlugged()
            ? "plugged, " + std::to_string(AHub.OpenReadHandles(AMouse.VendorPath())) + " reader(s)"
            : "unplugged";
    ATrace.Line("mouse: " + Connection + ", " + std::to_string(AMouse.CompletedUploads()) +
                " upload(s), " + std::to_string(AMouse.RejectedCount()) + " rejected report(s)");
    ATrace.More(std::to_string(AHub.ReadsAttempted(AMouse.VendorPath())) + " reads attempted");
    for (unsigned Bank = 0; Bank < 2; ++Bank) {
        DumpBank(ATrace, AMouse, Bank);
    }
}

} // namespace vanto::simrun
