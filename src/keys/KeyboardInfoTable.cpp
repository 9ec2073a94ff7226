#include "keys/KeyboardInfoTable.h"

#include "keys/KeyRows.h"

#include <span>

namespace vanto {

namespace {

std::u16string ThreeHexDigits(std::int32_t AValue) {
    static constexpr char16_t Hex[] = u"0123456789ABCDEF";
    return {Hex[(AValue >> 8) & 0xF], Hex[(AValue >> 4) & 0xF], Hex[AValue & 0xF]};
}

// Codes without a fixed row still get a distinct name, so an unknown key is recognisable.
void FillDefaultRows(TKeyTable& ATable, std::int32_t AExtended) {
    for (std::int32_t I = 0; I < KEY_TABLE_SIZE; ++I) {
        const std::u16string Digits = ThreeHexDigits(I);
        ATable[static_cast<std::size_t>(I)] = {
            u"VK_UNDEFINED_" + Digits, I, 0, AExtended, NO_HID_CODE, u"UNDEFINED_" + Digits};
    }
}

// Each row lands at its own code, whatever its position in the list.
void CopyRows(TKeyTable& ATable, std::span<const TKeyRow> ARows) {
    for (const TKeyRow& Row : ARows) {
        if (Row.VKCode < 0 || Row.VKCode >= KEY_TABLE_SIZE) {
            continue;
        }
        ATable[static_cast<std::size_t>(Row.VKCode)] = {
            std::u16string(Row.VKName),        Row.VKCode, Row.ScanCode, Row.Extended, Row.HIDCode,
            std::u16string(Row.KeyDescription)};
    }
}

TKeyboardInfoTables MakeKeyboardInfoTables() {
    TKeyboardInfoTables Tables;
    FillDefaultRows(Tables.KeyTable, KEY_PREFIX_E0);
    CopyRows(Tables.KeyTable, MainKeyRows);
    CopyRows(Tables.KeyTable, OemKeyRows1);
    CopyRows(Tables.KeyTable, OemKeyRows2);
    FillDefaultRows(Tables.ExtendedKeyTable, KEY_PREFIX_E1);
    CopyRows(Tables.ExtendedKeyTable, ExtendedEditRows);
    CopyRows(Tables.ExtendedKeyTable, ExtendedNavRows);
    return Tables;
}

} // namespace

const TKeyboardInfoTables& BuildKeyboardInfoTables() {
    // The language makes the first initialisation thread-safe; afterwards the tables are
    // read-only.
    static const TKeyboardInfoTables Tables = MakeKeyboardInfoTables();
    return Tables;
}

} // namespace vanto
