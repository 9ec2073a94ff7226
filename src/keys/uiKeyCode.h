#pragma once

#include <cstdint>
#include <string>

namespace vanto {

// AExtended is the hook's extended flag: 0 or 0xE0 for a plain key, 1 or 0xE1 for an
// extended one. Any other value selects the extended table outright. Codes outside 0..299
// have no row: the description is empty and the HID code 0.
std::u16string GetKeyDescription(std::int32_t AVirtualKey, std::int32_t AExtended);

// The HID usage the mouse sends for the key, 0 when it has none.
std::int32_t GetKeyHIDCode(std::int32_t AVirtualKey, std::int32_t AExtended);

// Hook modifier mask (Alt 1, Ctrl 2, Shift 4, Win 8) to the HID keyboard modifier byte of the
// left-hand keys (Ctrl 0x01, Shift 0x02, Alt 0x04, GUI 0x08). Other bits are dropped.
std::uint8_t ModifierToHIDModifier(std::uint32_t AModifier);

} // namespace vanto
