#include "keys/uiKeyCode.h"

#include <gtest/gtest.h>

#include <climits>

namespace vanto {
namespace {

TEST(KeyLookup, PlainKeysComeFromThePlainTable) {
    EXPECT_EQ(GetKeyDescription(0x41, 0), u"A");
    EXPECT_EQ(GetKeyHIDCode(0x41, 0), 0x04);
    EXPECT_EQ(GetKeyHIDCode(0x30, 0), 0x27); // "0" comes after "9" in the usages
    EXPECT_EQ(GetKeyHIDCode(0x31, 0), 0x1E);
    EXPECT_EQ(GetKeyHIDCode(0x0D, 0), 0x28);
    EXPECT_EQ(GetKeyHIDCode(0x7B, 0), 0x45); // F12
    EXPECT_EQ(GetKeyHIDCode(0x7C, 0), 0x68); // F13 starts a new run
    EXPECT_EQ(GetKeyDescription(0xDC, 0), u"\\|");
}

TEST(KeyLookup, RowsWithoutAUsageGiveZero) {
    EXPECT_EQ(GetKeyHIDCode(0x10, 0), 0); // SHIFT
    EXPECT_EQ(GetKeyHIDCode(0x01, 0), 0); // a mouse button
    EXPECT_EQ(GetKeyDescription(0x00, 0), u"");
    EXPECT_EQ(GetKeyHIDCode(0x00, 0), 0);
}

TEST(KeyLookup, NavigationCodesAreKeypadKeysUnlessExtended) {
    EXPECT_EQ(GetKeyHIDCode(0x25, 0), 0x5C);
    EXPECT_EQ(GetKeyHIDCode(0x25, 1), 0x50);
    EXPECT_EQ(GetKeyHIDCode(0x21, 0), 0x61);
    EXPECT_EQ(GetKeyHIDCode(0x21, 1), 0x4B);
    EXPECT_EQ(GetKeyDescription(0x2E, 0), u"Keypad DEL");
    EXPECT_EQ(GetKeyDescription(0x2E, 1), u"DEL");
    EXPECT_EQ(GetKeyDescription(0x0D, 1), u"ENTER");
    EXPECT_EQ(GetKeyHIDCode(0x0D, 1), 0x58);
}

TEST(KeyLookup, MarkedPlainRowsAnswerForExtendedKeys) {
    EXPECT_EQ(GetKeyHIDCode(0xA3, 1), 0xE4); // R CTRL
    EXPECT_EQ(GetKeyDescription(0xA3, 1), u"R CTRL");
    EXPECT_EQ(GetKeyHIDCode(0x2C, 1), 0x46);  // PRINT SCREEN
    EXPECT_EQ(GetKeyHIDCode(0x6F, 1), 0x54);  // divide
    EXPECT_EQ(GetKeyHIDCode(0xA6, 1), 0x224); // consumer usage, wider than a byte
    EXPECT_EQ(GetKeyDescription(0xAD, 1), u"VOLUME_MUTE");
}

TEST(KeyLookup, UnmarkedKeysWithTheExtendedFlagFallToTheExtendedDefaults) {
    EXPECT_EQ(GetKeyDescription(0x41, 1), u"UNDEFINED_041");
    EXPECT_EQ(GetKeyHIDCode(0x41, 1), 0);
    EXPECT_EQ(GetKeyDescription(0xA2, 1), u"UNDEFINED_0A2"); // L CTRL is not marked
}

TEST(KeyLookup, PrefixValuesOfTheFlagMeanPlainAndExtended) {
    for (std::int32_t Code = 0; Code < 300; ++Code) {
        EXPECT_EQ(GetKeyDescription(Code, 0xE0), GetKeyDescription(Code, 0)) << Code;
        EXPECT_EQ(GetKeyHIDCode(Code, 0xE0), GetKeyHIDCode(Code, 0)) << Code;
        EXPECT_EQ(GetKeyDescription(Code, 0xE1), GetKeyDescription(Code, 1)) << Code;
        EXPECT_EQ(GetKeyHIDCode(Code, 0xE1), GetKeyHIDCode(Code, 1)) << Code;
    }
}

TEST(KeyLookup, OtherFlagValuesUseTheExtendedTableEvenForMarkedRows) {
    EXPECT_EQ(GetKeyHIDCode(0x25, 2), 0x50);
    EXPECT_EQ(GetKeyDescription(0xA3, 2), u"UNDEFINED_0A3");
    EXPECT_EQ(GetKeyHIDCode(0xA3, 0xE2), 0);
    EXPECT_EQ(GetKeyHIDCode(0x0D, -1), 0x58);
}

TEST(KeyLookup, CodesOutsideTheTablesHaveNoRow) {
    EXPECT_EQ(GetKeyDescription(299, 0), u"UNDEFINED_12B"); // last row still answers
    for (std::int32_t Code : {300, 0xFFFF, -1, INT_MIN, INT_MAX}) {
        for (std::int32_t Extended : {0, 1, 2}) {
            EXPECT_EQ(GetKeyDescription(Code, Extended), u"") << Code << " " << Extended;
            EXPECT_EQ(GetKeyHIDCode(Code, Extended), 0) << Code << " " << Extended;
        }
    }
}

TEST(ModifierToHIDModifier, EachHookBitMovesToItsHIDBit) {
    EXPECT_EQ(ModifierToHIDModifier(0), 0x00);
    EXPECT_EQ(ModifierToHIDModifier(1), 0x04); // Alt
    EXPECT_EQ(ModifierToHIDModifier(2), 0x01); // Ctrl
    EXPECT_EQ(ModifierToHIDModifier(4), 0x02); // Shift
    EXPECT_EQ(ModifierToHIDModifier(8), 0x08); // Win
}

TEST(ModifierToHIDModifier, CombinationsSetEveryBit) {
    EXPECT_EQ(ModifierToHIDModifier(3), 0x05);  // Ctrl+Alt
    EXPECT_EQ(ModifierToHIDModifier(6), 0x03);  // Ctrl+Shift
    EXPECT_EQ(ModifierToHIDModifier(12), 0x0A); // Shift+Win
    EXPECT_EQ(ModifierToHIDModifier(15), 0x0F);
}

TEST(ModifierToHIDModifier, BitsOutsideTheMaskAreDropped) {
    EXPECT_EQ(ModifierToHIDModifier(0x10), 0x00);
    EXPECT_EQ(ModifierToHIDModifier(0xF0), 0x00);
    EXPECT_EQ(ModifierToHIDModifier(0x12), 0x01);
    EXPECT_EQ(ModifierToHIDModifier(0xFFFFFFFFu), 0x0F);
}

} // namespace
} // namespace vanto
