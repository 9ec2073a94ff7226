#include "keys/uiKeyCode.h"

#include "keys/KeyboardInfoTable.h"

#include <array>
#include <utility>

namespace vanto {

namespace {

std::int32_t NormaliseExtendedFlag(std::int32_t AExtended) {
    switch (AExtended) {
    case KEY_PREFIX_E0:
        return 0;
    case KEY_PREFIX_E1:
        return 1;
    default:
        return AExtended;
    }
}

const TKeyboardInfoTable* FindKeyRow(std::int32_t AVirtualKey, std::int32_t AExtended) {
    const std::int32_t Extended = NormaliseExtendedFlag(AExtended);
    const TKeyboardInfoTables& Tables = BuildKeyboardInfoTables();
    if (AVirtualKey < 0 || AVirtualKey >= KEY_TABLE_SIZE) {
        return nullptr;
    }
    const auto Index = static_cast<std::size_t>(AVirtualKey);
    const TKeyboardInfoTable& Plain = Tables.KeyTable[Index];
    // Keys such as the right-hand modifiers arrive with the extended flag, yet their plain row
    // is the one that names them.
    if (Extended == 0 || (Extended == 1 && Plain.Extended == KEY_PREFIX_E1)) {
        return &Plain;
    }
    return &Tables.ExtendedKeyTable[Index];
}

} // namespace

std::u16string GetKeyDescription(std::int32_t AVirtualKey, std::int32_t AExtended) {
    const TKeyboardInfoTable* Row = FindKeyRow(AVirtualKey, AExtended);
    return Row ? Row->KeyDescription : std::u16string();
}

std::int32_t GetKeyHIDCode(std::int32_t AVirtualKey, std::int32_t AExtended) {
    const TKeyboardInfoTable* Row = FindKeyRow(AVirtualKey, AExtended);
    if (!Row || Row->HIDCode == NO_HID_CODE) {
        return 0;
    }
    return Row->HIDCode;
}

std::uint8_t ModifierToHIDModifier(std::uint32_t AModifier) {
    static constexpr std::array<std::pair<std::uint32_t, std::uint8_t>, 4> BitMap{{
        {0x1, 0x04}, // Alt
        {0x2, 0x01}, // Ctrl
        {0x4, 0x02}, // Shift
        {0x8, 0x08}, // Win
    }};
    std::uint8_t Result = 0;
    for (const auto& [HookBit, HIDBit] : BitMap) {
        if (AModifier & HookBit) {
            Result |= HIDBit;
        }
    }
    return Result;
}

} // namespace vanto
