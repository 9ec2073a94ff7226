#include "keys/KeyLookupFormat.h"

#include <gtest/gtest.h>

namespace vanto {
namespace {

TEST(FormatKeyLookup, PrintsTheDescriptionAndTwoDigitLowerCaseHid) {
    EXPECT_EQ(FormatKeyLookup(0x41, 0), "description=\"A\" hid=0x04");
    EXPECT_EQ(FormatKeyLookup(0x25, 0xE1), "description=\"LEFT ARROW\" hid=0x50");
    EXPECT_EQ(FormatKeyLookup(0xA1, 1), "description=\"R SHIFT\" hid=0xe5");
    EXPECT_EQ(FormatKeyLookup(0xAB, 1), "description=\"BROWSER_FAVORITES\" hid=0x22a");
}

TEST(FormatKeyLookup, MissingRowsAndUsagesPrintEmptyAndZero) {
    EXPECT_EQ(FormatKeyLookup(0x10, 0), "description=\"SHIFT\" hid=0x00");
    EXPECT_EQ(FormatKeyLookup(0xFFFF, 0), "description=\"\" hid=0x00");
    EXPECT_EQ(FormatKeyLookup(300, 1), "description=\"\" hid=0x00");
}

TEST(FormatKeyLookup, QuotesAndBackslashesInNamesAreEscaped) {
    EXPECT_EQ(FormatKeyLookup(0xDC, 0), "description=\"\\\\|\" hid=0x31");
    EXPECT_EQ(FormatKeyLookup(0xDE, 0), "description=\"'\\\"\" hid=0x34");
}

TEST(EscapeForPrinting, EverythingOutsidePrintableAsciiBecomesAUnicodeEscape) {
    EXPECT_EQ(EscapeForPrinting(u"a~ "), "a~ ");
    EXPECT_EQ(EscapeForPrinting(u"\u00E9\n\u007F"), "\\u00e9\\u000a\\u007f");
    // A lone surrogate is escaped as the code unit it is.
    EXPECT_EQ(EscapeForPrinting(std::u16string{u'\uFFFF', char16_t(0xD83D)}), "\\uffff\\ud83d");
    EXPECT_EQ(EscapeForPrinting(std::u16string(1, u'\0')), "\\u0000");
}

} // namespace
} // namespace vanto
