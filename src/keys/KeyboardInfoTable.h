#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace vanto {

// Index range of both tables: the virtual-key codes 0..299.
inline constexpr std::int32_t KEY_TABLE_SIZE = 300;

// Scan-code prefixes as the hook reports them in its extended flag. In a row, E1 marks a key
// whose plain row also serves when the extended flag is set.
inline constexpr std::int32_t KEY_PREFIX_E0 = 0xE0;
inline constexpr std::int32_t KEY_PREFIX_E1 = 0xE1;

inline constexpr std::int32_t NO_HID_CODE = -1;

// One key. HIDCode is a keyboard-page usage, or a consumer-page usage for the browser, volume,
// media and launch keys.
struct TKeyboardInfoTable {
    std::u16string VKName;
    std::int32_t VKCode = 0;
    std::int32_t ScanCode = 0; // kept for reference; no lookup reads it
    std::int32_t Extended = KEY_PREFIX_E0;
    std::int32_t HIDCode = NO_HID_CODE;
    std::u16string KeyDescription;
};

using TKeyTable = std::array<TKeyboardInfoTable, KEY_TABLE_SIZE>;

// The two tables encode the keyboard's double keys: without the extended flag the navigation
// codes are the numeric keypad keys, with it they are the dedicated keys.
struct TKeyboardInfoTables {
    TKeyTable KeyTable;         // keys reported without the extended flag
    TKeyTable ExtendedKeyTable; // keys reported with it
};

// Built on the first call and never changed afterwards, so any thread may read the result.
const TKeyboardInfoTables& BuildKeyboardInfoTables();

} // namespace vanto
