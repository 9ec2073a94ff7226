#include "device/DeviceEncoding.h"

#include "keys/uiKeyCode.h"
#include "macro/MacroSteps.h"
#include "platform/Hid.h"
#include "shared/UsageAndPage.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

namespace vanto {

namespace {

using TButtonEntry = std::array<std::uint8_t, DEVICE_BUTTON_ENTRY_SIZE>;

constexpr std::uint8_t WRITE_MARKER = 0xFA;

constexpr std::uint8_t LowByte(std::uint32_t AValue) {
    return static_cast<std::uint8_t>(AValue & 0xFF);
}
constexpr std::uint8_t HighByte(std::uint32_t AValue) {
    return static_cast<std::uint8_t>((AValue >> 8) & 0xFF);
}

// The shortest report that holds the request: IDs 2..6 are 16, 64, 1024, 2048 and 4096 bytes.
std::optional<std::pair<std::uint8_t, std::size_t>> ReportFor(std::size_t ARequestSize) {
    constexpr std::array<std::size_t, 5> LENGTHS{16, 64, 1024, 2048, 4096};
    for (std::size_t I = 0; I < LENGTHS.size(); ++I) {
        if (ARequestSize <= LENGTHS[I]) {
            return std::pair{static_cast<std::uint8_t>(2 + I), LENGTHS[I]};
        }
    }
    return std::nullopt;
}

// Stored profiles may claim any count; there are only 15 button records, and the table has
// room for 16 entries. Byte 0 of the table says how many entries the mouse reads, so it holds
// the count actually filled rather than a larger stored value that would make the mouse read
// past them.
std::size_t UsedButtonCount(const TMOUSECONFIGINFO& AConfig) {
    if (AConfig.ButtonCount <= 0) {
        return 0;
    }
    return std::min(static_cast<std::size_t>(AConfig.ButtonCount), BUTTON_COUNT);
}

std::optional<std::size_t> PositionOf(const std::vector<std::uint16_t>& AUsed,
                                      std::uint16_t AMacroIndex) {
    auto Found = std::find(AUsed.begin(), AUsed.end(), AMacroIndex);
    if (Found == AUsed.end()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(Found - AUsed.begin());
}

std::uint8_t HidCodeByte(std::uint16_t AVirtualKey, std::uint16_t AExtended) {
    return static_cast<std::uint8_t>(GetKeyHIDCode(AVirtualKey, AExtended));
}

TButtonEntry MacroEntry(const TBUTTONFUNCINFO& AButton, const std::vector<std::uint16_t>& AUsed) {
    std::optional<std::size_t> Position = PositionOf(AUsed, AButton.MacroKeyInfo.nMacroIndex);
    // Macros beyond the five slots are not on the mouse. Pointing the button at a slot anyway
    // would play another macro with this one's length, so the button gets the parameterless
    // function the upload already gives button 9: the mouse accepts it and plays nothing wrong.
    if (Position && *Position >= DEVICE_MACRO_SLOT_COUNT) {
        return {DEVICE_FUNCTION_NO_PARAMETER, 0, 0, 0};
    }
    std::uint32_t Length = DeviceMacroLength(AButton.MacroKeyInfo);
    return {DEVICE_FUNCTION_MACRO, static_cast<std::uint8_t>(Position.value_or(0)), LowByte(Length),
            HighByte(Length)};
}

TButtonEntry ButtonEntry(const TBUTTONFUNCINFO& AButton, const std::vector<std::uint16_t>& AUsed) {
    std::uint8_t Function = LowByte(static_cast<std::uint32_t>(AButton.nDeviceFunction));
    switch (AButton.nDeviceFunction) {
    case 11:
    case 12:
        return {Function, LowByte(static_cast<std::uint32_t>(AButton.nDeviceParam3)), 0, 0};
    case 14:
        return {Function, 0, LowByte(AButton.nMediaKeyL), LowByte(AButton.nMediaKeyH)};
    case 15: {
        const TCOMBOKEYINFO& Combo = AButton.ComboKeyInfo;
        return {Function, ModifierToHIDModifier(Combo.nModifier),
                HidCodeByte(Combo.nKeyValue1, Combo.nKey1Extended),
                HidCodeByte(Combo.nKeyValue2, Combo.nKey2Extended)};
    }
    case 16:
        return {Function, 0, HidCodeByte(AButton.nSingleKeyValue, AButton.nSingleKeyExtended), 0};
    case DEVICE_FUNCTION_MACRO:
        return MacroEntry(AButton, AUsed);
    case 18:
        return {Function, LowByte(AButton.nDeviceParam1), LowByte(AButton.nDeviceParam2),
                HighByte(AButton.nDeviceParam2)};
    case 19:
        return {Function, AButton.ReportCode[0], AButton.ReportCode[1], AButton.ReportCode[2]};
    default:
        return {Function, 0, 0, 0};
    }
}

TDeviceStep EncodeStoredStep(const TMACROKEY& AStep) {
    if (AStep.nKeyType == STEP_KEY) {
        return EncodeMacroStep(STEP_KEY, AStep.nKeyState, HidCodeByte(AStep.Value1, AStep.Value2),
                               AStep.Value2);
    }
    return EncodeMacroStep(AStep.nKeyType, AStep.nKeyState, AStep.Value1, AStep.Value2);
}

// A 128-step macro fills its slot, leaving no room for the loop step. Its loop is dropped
// rather than its last step: the last step is usually a release, and a mouse that never
// releases a key is worse than a macro that plays once.
bool LoopFits(const TMACROKEYINFO& AMacro) {
    return AMacro.nLoopCount > 0 && UsedStepCount(AMacro) < MACRO_STEP_COUNT;
}

void CheckButtonIndex(std::size_t AIndex) {
    if (AIndex >= BUTTON_COUNT) {
        throw std::out_of_range("button index " + std::to_string(AIndex) + " beyond the " +
                                std::to_string(BUTTON_COUNT) + " buttons");
    }
}

} // namespace

std::size_t CommandPayloadLength(std::uint8_t ACommand, const TCommandArguments& AArguments) {
    switch (ACommand & 0x7F) {
    case 0:
        return AArguments[1];
    case 2:
    case 3:
        return AArguments[2] | (std::size_t{AArguments[3]} << 8);
    default:
        return 0;
    }
}

std::uint32_t SendDeviceCommand(IFeatureReportTarget& ATarget, std::uint8_t ACommand,
                                const TCommandArguments& AArguments,
                                std::span<const std::uint8_t> APayload) {
    std::size_t PayloadLength = CommandPayloadLength(ACommand, AArguments);
    auto Report = ReportFor(DEVICE_REPORT_HEADER_SIZE + PayloadLength);
    if (!Report) {
        return platform::HID_ERROR_INVALID_PARAMETER;
    }
    // 65 KB: never on the stack. Value-initialised, so the report is zero past its content.
    auto Param = std::make_unique<THIDDataParam>();
    Param->UsageAndPage = VANTO_MOUSE_COLLECTION;
    Param->Data.ReportID = Report->first;
    Param->Data.DATAReally[0] = ACommand;
    std::copy(AArguments.begin(), AArguments.end(), Param->Data.DATAReally + 1);
    std::size_t Copied = std::min(PayloadLength, APayload.size());
    std::copy_n(APayload.begin(), Copied, Param->Data.DATAReally + 1 + AArguments.size());
    Param->Data.DATASIZE = static_cast<std::uint32_t>(Report->second);
    return ATarget.HidFindAndSetFeatureReport(*Param);
}

std::uint32_t WriteDeviceMemory(IFeatureReportTarget& ATarget, std::span<const std::uint8_t> AData,
                                std::uint16_t AAddress) {
    if (AData.empty() || AData.size() > DEVICE_MAX_WRITE_LENGTH) {
        return platform::HID_ERROR_NONE;
    }
    std::uint32_t Length = static_cast<std::uint32_t>(AData.size());
    return SendDeviceCommand(ATarget, DEVICE_COMMAND_WRITE_MEMORY,
                             {LowByte(AAddress), HighByte(AAddress), LowByte(Length),
                              HighByte(Length), WRITE_MARKER, WRITE_MARKER},
                             AData);
}

std::uint32_t SendModeCommand(IFeatureReportTarget& ATarget, std::uint8_t AMode) {
    return SendDeviceCommand(ATarget, DEVICE_COMMAND_MODE, {AMode, 0, 0, 0, 0, 0}, {});
}

std::uint32_t WriteButtonTable(IFeatureReportTarget& ATarget, const DeviceButtonTable& ATable,
                               std::uint16_t AAddress) {
    return WriteDeviceMemory(ATarget, ATable, AAddress);
}

std::uint32_t WriteMacroBlocks(IFeatureReportTarget& ATarget, const DeviceMacroBlocks& ABlocks,
                               unsigned ABank) {
    if (ABank >= DEVICE_BANK_COUNT) {
        return platform::HID_ERROR_NONE;
    }
    for (std::size_t Slot = 0; Slot < DEVICE_MACRO_SLOT_COUNT; ++Slot) {
        std::size_t Length = std::min<std::size_t>(ABlocks.FLengths[Slot], DEVICE_MACRO_BLOCK_SIZE);
        const std::uint32_t Error = WriteDeviceMemory(
            ATarget, std::span(ABlocks.FBlocks[Slot]).first(Length), MacroSlotAddress(ABank, Slot));
        if (Error != platform::HID_ERROR_NONE) {
            return Error;
        }
    }
    return platform::HID_ERROR_NONE;
}

TDeviceStep EncodeMacroStep(std::uint16_t AType, std::uint16_t AState, std::uint8_t AValue1,
                            std::uint8_t AValue2) {
    if (AState != STEP_RELEASE && AState != STEP_PRESS) {
        return {0, 0, 0};
    }
    if (AType == STEP_DELAY) {
        // Halves go to the even neighbour, and a delay never vanishes.
        std::uint32_t Milliseconds = AValue2 * 256u + AValue1;
        std::uint32_t Units = Milliseconds / DEVICE_DELAY_UNIT_MS;
        std::uint32_t Rest = Milliseconds % DEVICE_DELAY_UNIT_MS;
        if (Rest > DEVICE_DELAY_UNIT_MS / 2 ||
            (Rest == DEVICE_DELAY_UNIT_MS / 2 && Units % 2 == 1)) {
            ++Units;
        }
        Units = std::max<std::uint32_t>(Units, 1);
        return {static_cast<std::uint8_t>(STEP_DELAY), LowByte(Units), HighByte(Units)};
    }
    return {LowByte(AType + 128u * AState), AValue1, AValue2};
}

std::uint32_t DeviceMacroLength(const TMACROKEYINFO& AMacro) {
    std::size_t Steps = UsedStepCount(AMacro) + (LoopFits(AMacro) ? 1 : 0);
    return static_cast<std::uint32_t>(DEVICE_STEP_SIZE * Steps);
}

std::vector<std::uint8_t> EncodeMacro(const TMACROKEYINFO& AMacro) {
    std::vector<std::uint8_t> Bytes;
    Bytes.reserve(DEVICE_MACRO_BLOCK_SIZE);
    for (const TMACROKEY& Step : UsedSteps(AMacro)) {
        TDeviceStep Encoded = EncodeStoredStep(Step);
        Bytes.insert(Bytes.end(), Encoded.begin(), Encoded.end());
    }
    if (LoopFits(AMacro)) {
        TDeviceStep Loop =
            EncodeMacroStep(STEP_LOOP, 0, LowByte(AMacro.nLoopCount), HighByte(AMacro.nLoopCount));
        Bytes.insert(Bytes.end(), Loop.begin(), Loop.end());
    }
    return Bytes;
}

std::vector<std::uint16_t> CollectUsedMacros(const TMouseProfileInfo& AProfile,
                                             std::size_t AButtonCount) {
    std::vector<std::uint16_t> Used;
    std::size_t Count = std::min(AButtonCount, BUTTON_COUNT);
    for (std::size_t K = 0; K < Count; ++K) {
        const TBUTTONFUNCINFO& Button = AProfile.ConfigInfo.ButtonFuncInfo[K];
        std::uint16_t MacroIndex = Button.MacroKeyInfo.nMacroIndex;
        if (Button.nFunctionGroup == MACRO_GROUP && !PositionOf(Used, MacroIndex)) {
            Used.push_back(MacroIndex);
        }
    }
    return Used;
}

DeviceButtonTable BuildButtonTable(const TMouseProfileInfo& AProfile) {
    DeviceButtonTable Table{};
    std::size_t Count = UsedButtonCount(AProfile.ConfigInfo);
    std::vector<std::uint16_t> Used = CollectUsedMacros(AProfile, Count);
    Table[0] = static_cast<std::uint8_t>(Count);
    for (std::size_t K = 0; K < Count; ++K) {
        TButtonEntry Entry = ButtonEntry(AProfile.ConfigInfo.ButtonFuncInfo[K], Used);
        std::copy(Entry.begin(), Entry.end(), Table.begin() + 1 + DEVICE_BUTTON_ENTRY_SIZE * K);
    }
    return Table;
}

DeviceMacroBlocks BuildMacroBlocks(const TMouseProfileInfo& AProfile) {
    DeviceMacroBlocks Blocks;
    std::vector<std::uint16_t> Used =
        CollectUsedMacros(AProfile, static_cast<std::size_t>(DEVICE_UPLOAD_BUTTON_COUNT));
    const TMACROKEYINFOLIST& List = AProfile.MacroKeyInfoList;
    for (std::size_t I = 0; I < UsedMacroCount(List); ++I) {
        const TMACROKEYINFO& Macro = List.MacroInfos[I];
        std::optional<std::size_t> Slot = PositionOf(Used, Macro.nMacroIndex);
        if (!Slot || *Slot >= DEVICE_MACRO_SLOT_COUNT) {
            continue;
        }
        std::vector<std::uint8_t> Bytes = EncodeMacro(Macro);
        Blocks.FBlocks[*Slot].fill(0);
        std::copy(Bytes.begin(), Bytes.end(), Blocks.FBlocks[*Slot].begin());
        Blocks.FLengths[*Slot] = static_cast<std::uint32_t>(Bytes.size());
    }
    return Blocks;
}

void SwapButtonRecords(TMouseProfileInfo& AProfile, std::size_t AFirst, std::size_t ASecond) {
    CheckButtonIndex(AFirst);
    CheckButtonIndex(ASecond);
    std::swap(AProfile.ConfigInfo.ButtonFuncInfo[AFirst],
              AProfile.ConfigInfo.ButtonFuncInfo[ASecond]);
}

TMACROKEYINFO GetFirstMacro(const TMouseProfileInfo& AProfile) {
    return AProfile.MacroKeyInfoList.MacroInfos[0];
}

} // namespace vanto
