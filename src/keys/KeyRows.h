#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace vanto {

// A fixed row of the key tables, in a form that can live in read-only data.
struct TKeyRow {
    std::u16string_view VKName;
    std::int32_t VKCode;
    std::int32_t ScanCode;
    std::int32_t Extended;
    std::int32_t HIDCode;
    std::u16string_view KeyDescription;
};

// Rows copied over the plain table: codes 0x00..0xB7, then the OEM punctuation keys.
extern const std::array<TKeyRow, 184> MainKeyRows;
extern const std::array<TKeyRow, 7> OemKeyRows1;
extern const std::array<TKeyRow, 8> OemKeyRows2;

// Rows copied over the extended table: the dedicated editing and navigation keys.
extern const std::array<TKeyRow, 4> ExtendedEditRows;
extern const std::array<TKeyRow, 8> ExtendedNavRows;

} // namespace vanto
