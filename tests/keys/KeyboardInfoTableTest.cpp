#include "keys/KeyboardInfoTable.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace vanto {
namespace {

bool IsDefaultRow(const TKeyboardInfoTable& ARow) {
    return ARow.KeyDescription.starts_with(u"UNDEFINED_");
}

TEST(BuildKeyboardInfoTables, IsBuiltOnceAndSharedByEveryCaller) {
    EXPECT_EQ(&BuildKeyboardInfoTables(), &BuildKeyboardInfoTables());
}

TEST(BuildKeyboardInfoTables, EveryRowSitsAtItsOwnCode) {
    const TKeyboardInfoTables& Tables = BuildKeyboardInfoTables();
    for (std::int32_t I = 0; I < KEY_TABLE_SIZE; ++I) {
        EXPECT_EQ(Tables.KeyTable[static_cast<std::size_t>(I)].VKCode, I);
        EXPECT_EQ(Tables.ExtendedKeyTable[static_cast<std::size_t>(I)].VKCode, I);
    }
}

TEST(BuildKeyboardInfoTables, DefaultRowsCarryTheCodeInThreeUpperCaseHexDigits) {
    const TKeyboardInfoTables& Tables = BuildKeyboardInfoTables();
    const TKeyboardInfoTable& Plain = Tables.KeyTable[0xC1];
    EXPECT_EQ(Plain.VKName, u"VK_UNDEFINED_0C1");
    EXPECT_EQ(Plain.KeyDescription, u"UNDEFINED_0C1");
    EXPECT_EQ(Plain.Extended, KEY_PREFIX_E0);
    EXPECT_EQ(Plain.HIDCode, NO_HID_CODE);
    EXPECT_EQ(Plain.ScanCode, 0);

    const TKeyboardInfoTable& Last = Tables.ExtendedKeyTable[299];
    EXPECT_EQ(Last.VKName, u"VK_UNDEFINED_12B");
    EXPECT_EQ(Last.KeyDescription, u"UNDEFINED_12B");
    EXPECT_EQ(Last.Extended, KEY_PREFIX_E1);
    EXPECT_EQ(Last.HIDCode, NO_HID_CODE);
}

TEST(BuildKeyboardInfoTables, FixedRowsReplaceExactlyTheirCodes) {
    const TKeyboardInfoTables& Tables = BuildKeyboardInfoTables();
    // 184 main rows, 7 + 8 OEM rows; 4 + 8 extended rows. A row copied to a wrong or doubled
    // code changes these counts.
    EXPECT_EQ(std::count_if(Tables.KeyTable.begin(), Tables.KeyTable.end(),
                            [](const auto& ARow) { return !IsDefaultRow(ARow); }),
              199);
    EXPECT_EQ(std::count_if(Tables.ExtendedKeyTable.begin(), Tables.ExtendedKeyTable.end(),
                            [](const auto& ARow) { return !IsDefaultRow(ARow); }),
              12);
    EXPECT_TRUE(IsDefaultRow(Tables.KeyTable[0xB8])); // between the launch and OEM keys
    EXPECT_TRUE(IsDefaultRow(Tables.KeyTable[0xE3])); // just past the last OEM row
}

TEST(BuildKeyboardInfoTables, ReservedCodesAreUndefinedWithTwoDigitNames) {
    const TKeyboardInfoTables& Tables = BuildKeyboardInfoTables();
    for (std::size_t Code : {0x05u, 0x0Fu, 0x3Au, 0x88u, 0x9Fu, 0xE0u}) {
        EXPECT_EQ(Tables.KeyTable[Code].KeyDescription, u"Undefined") << "code " << Code;
        EXPECT_EQ(Tables.KeyTable[Code].HIDCode, NO_HID_CODE) << "code " << Code;
    }
    EXPECT_EQ(Tables.KeyTable[0x05].VKName, u"VK_UNDEFINED_05");
    EXPECT_EQ(Tables.KeyTable[0xE0].VKName, u"VK_UNDEFINED_E0");
}

TEST(BuildKeyboardInfoTables, FixedRowsKeepTheirNamesAndScanCodes) {
    const TKeyboardInfoTables& Tables = BuildKeyboardInfoTables();
    EXPECT_EQ(Tables.KeyTable[0x2D].VKName, u"VK_NUMPAD0_INSERT");
    EXPECT_EQ(Tables.KeyTable[0x5D].VKName, u"VK_APP");
    EXPECT_EQ(Tables.KeyTable[0xBA].ScanCode, 0x27);
    EXPECT_EQ(Tables.KeyTable[0xE2].ScanCode, 0x56);
    EXPECT_EQ(Tables.ExtendedKeyTable[0xFF].VKName, u"VK_POWER");
    EXPECT_EQ(Tables.ExtendedKeyTable[0xFF].ScanCode, 0x5E);
}

} // namespace
} // namespace vanto
