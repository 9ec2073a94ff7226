#pragma once

// The profile as the mouse keeps it in its memory, and the feature reports that write it there.

#include "device/FeatureReportTarget.h"
#include "shared/DeviceProtocol.h"
#include "shared/pubunit_quorvin.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace vanto {

// Byte 0: the number of entries; then four bytes per button: function, P1, P2, P3.
using DeviceButtonTable = std::array<std::uint8_t, DEVICE_BUTTON_TABLE_SIZE>;

// The five macro slots of one bank, each with the number of bytes of it that are in use.
struct DeviceMacroBlocks {
    std::array<std::array<std::uint8_t, DEVICE_MACRO_BLOCK_SIZE>, DEVICE_MACRO_SLOT_COUNT>
        FBlocks{};
    std::array<std::uint32_t, DEVICE_MACRO_SLOT_COUNT> FLengths{};
};

using TDeviceStep = std::array<std::uint8_t, DEVICE_STEP_SIZE>;
using TCommandArguments = std::array<std::uint8_t, 6>;

// Address of the button table and of a macro slot in bank 0 or 1.
constexpr std::uint16_t ButtonTableAddress(unsigned ABank) {
    return static_cast<std::uint16_t>(DEVICE_BUTTON_TABLE_ADDRESS + ABank * DEVICE_BANK_DISTANCE);
}
constexpr std::uint16_t MacroSlotAddress(unsigned ABank, std::size_t ASlot) {
    return static_cast<std::uint16_t>(DEVICE_MACRO_SLOT_ADDRESS + ABank * DEVICE_BANK_DISTANCE +
                                      ASlot * DEVICE_MACRO_BLOCK_SIZE);
}

// The payload length a command carries, by the argument bytes that the command code names.
std::size_t CommandPayloadLength(std::uint8_t ACommand, const TCommandArguments& AArguments);

// Builds one feature report of the shortest length that holds it and sends it. The payload is
// as long as the command says; missing payload bytes go out as 0. A command too long for any
// report is not sent and gives HID_ERROR_INVALID_PARAMETER.
std::uint32_t SendDeviceCommand(IFeatureReportTarget& ATarget, std::uint8_t ACommand,
                                const TCommandArguments& AArguments,
                                std::span<const std::uint8_t> APayload);

// Sends nothing for an empty block, or for one longer than a write may carry. The writes give
// 0 or the error of the first report the mouse did not take; after it nothing more is sent.
std::uint32_t WriteDeviceMemory(IFeatureReportTarget& ATarget, std::span<const std::uint8_t> AData,
                                std::uint16_t AAddress);
std::uint32_t SendModeCommand(IFeatureReportTarget& ATarget, std::uint8_t AMode);
std::uint32_t WriteButtonTable(IFeatureReportTarget& ATarget, const DeviceButtonTable& ATable,
                               std::uint16_t AAddress);
// Slots 0..4 in order, empty ones skipped; a bank other than 0 and 1 gets nothing.
std::uint32_t WriteMacroBlocks(IFeatureReportTarget& ATarget, const DeviceMacroBlocks& ABlocks,
                               unsigned ABank);

TDeviceStep EncodeMacroStep(std::uint16_t AType, std::uint16_t AState, std::uint8_t AValue1,
                            std::uint8_t AValue2);
// Bytes the macro takes in a slot: its steps, plus the loop step when it loops and there is
// room for it.
std::uint32_t DeviceMacroLength(const TMACROKEYINFO& AMacro);
// The macro as the mouse plays it, DeviceMacroLength bytes.
std::vector<std::uint8_t> EncodeMacro(const TMACROKEYINFO& AMacro);

// The distinct macro indices of the macro buttons among the first AButtonCount buttons, in the
// order the buttons bring them. May be longer than the five slots; only the first five get one.
std::vector<std::uint16_t> CollectUsedMacros(const TMouseProfileInfo& AProfile,
                                             std::size_t AButtonCount);

DeviceButtonTable BuildButtonTable(const TMouseProfileInfo& AProfile);
DeviceMacroBlocks BuildMacroBlocks(const TMouseProfileInfo& AProfile);

// Throws std::out_of_range for an index beyond the 15 buttons.
void SwapButtonRecords(TMouseProfileInfo& AProfile, std::size_t AFirst, std::size_t ASecond);
TMACROKEYINFO GetFirstMacro(const TMouseProfileInfo& AProfile);

} // namespace vanto
