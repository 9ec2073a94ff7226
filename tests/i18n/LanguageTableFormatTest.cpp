#include "LanguageTestSupport.h"

#include "i18n/LanguageTableFormat.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

namespace vanto {
namespace {

using test::TTableBytes;
using testing::ElementsAre;

const TLanguageTable Small{
    {u"Config", u" HIGH", u""},
    {{u"CH", {{u"Config", u"打开配置"}, {u" HIGH", u" 高"}, {u"Empty", u""}}},
     {u"US", {}},
     {u"", {{u"a=b", u"c"}}}}};

TEST(LanguageTableFormatTest, ATableReadsBackAsItWasWrittenFieldForField) {
    const std::vector<std::uint8_t> Bytes = WriteLanguageTable(Small);
    const std::optional<TLanguageTable> Read = ReadLanguageTable(Bytes);
    ASSERT_TRUE(Read.has_value());
    // The line "a=b=c" splits at its first "=", so it reads back as name "a", value "b=c".
    TLanguageTable Expected = Small;
    Expected.FLanguages[2].FLines = {{u"a", u"b=c"}};
    EXPECT_EQ(*Read, Expected);

    // Strings are a count of UTF-16 code units, then the units, little-endian.
    const std::vector<std::uint8_t> Start(Bytes.begin(), Bytes.begin() + 8);
    EXPECT_THAT(Start, ElementsAre(17, 0, 0, 0, 'C', 0, 'o', 0));
}

TEST(LanguageTableFormatTest, LinesEndWithCrLfAndTheLastMayLackIt) {
    EXPECT_THAT(SplitTextLines(u"a\r\nb\r\n"), ElementsAre(u"a", u"b"));
    EXPECT_THAT(SplitTextLines(u"a\r\nb"), ElementsAre(u"a", u"b"));
    EXPECT_THAT(SplitTextLines(u"a\nb\r\n\r\n"), ElementsAre(u"a\nb", u""));
    EXPECT_TRUE(SplitTextLines(u"").empty());
    EXPECT_EQ(JoinTextLines({u"x", u" y"}), u"x\r\n y\r\n");

    const auto Lines = ParseLanguageLines(u"OK=确定\r\n  Lead= spaces \r\nNone=");
    ASSERT_TRUE(Lines.has_value());
    EXPECT_THAT(*Lines,
                ElementsAre(TLanguageLine{u"OK", u"确定"}, TLanguageLine{u"  Lead", u" spaces "},
                            TLanguageLine{u"None", u""}));
}

TEST(LanguageTableFormatTest, SortedLinesFollowTheCodeUnitsOfTheWholeLine) {
    TLanguageLines Lines{{u"b", u"1"}, {u"B", u"2"}, {u"a", u"z"}, {u"a", u"y"}, {u"a2", u"x"}};
    SortLanguageLines(Lines);
    // Upper case sorts before lower case; "a2=" before "a=" since '2' < '='.
    EXPECT_THAT(Lines, ElementsAre(TLanguageLine{u"B", u"2"}, TLanguageLine{u"a2", u"x"},
                                   TLanguageLine{u"a", u"y"}, TLanguageLine{u"a", u"z"},
                                   TLanguageLine{u"b", u"1"}));
}

TEST(LanguageTableFormatTest, IdsAreFoundWhateverTheirCaseAndTheFirstOfTwinsWins) {
    const std::vector<TLanguageResource> Languages{{u"CH", {}}, {u"US", {}}, {u"ch", {}}};
    EXPECT_EQ(IndexOfLanguage(Languages, u"ch"), 0);
    EXPECT_EQ(IndexOfLanguage(Languages, u"uS"), 1);
    EXPECT_EQ(IndexOfLanguage(Languages, u"C"), -1);
    EXPECT_EQ(IndexOfLanguage(Languages, u""), -1);
}

// Files anyone could drop beside the monitor: each must be refused as a whole, without reading
// or allocating past its bytes (the sanitizer builds fail on an allocation that size).
TEST(LanguageTableFormatTest, MalformedTablesAreRefusedAsAWhole) {
    constexpr std::int32_t LARGEST = std::numeric_limits<std::int32_t>::max();
    const std::vector<std::pair<const char*, std::vector<std::uint8_t>>> Corpus{
        {"empty file", {}},
        {"three bytes", TTableBytes().Byte(0).Byte(0).Byte(0).Bytes()},
        {"negative source length", TTableBytes().Integer(-1).Integer(0).Bytes()},
        {"huge source length", TTableBytes().Integer(LARGEST).Units(u"abc").Bytes()},
        {"source length one past the end", TTableBytes().Integer(3).Units(u"ab").Bytes()},
        {"no language count", TTableBytes().String(u"a\r\n").Bytes()},
        {"negative language count", TTableBytes().String(u"a\r\n").Integer(-2).Bytes()},
        {"huge language count", TTableBytes().String(u"").Integer(LARGEST).Integer(0).Bytes()},
        {"more languages than bytes",
         TTableBytes().String(u"").Integer(2).String(u"CH").String(u"a=b\r\n").Bytes()},
        {"huge id length", TTableBytes().String(u"").Integer(1).Integer(LARGEST).Bytes()},
        {"negative lines length",
         TTableBytes().String(u"").Integer(1).String(u"CH").Integer(-7).Bytes()},
        {"line without =",
         TTableBytes().String(u"a\r\n").Integer(1).String(u"CH").String(u"a=b\r\nc\r\n").Bytes()},
        {"blank line among lines",
         TTableBytes().String(u"").Integer(1).String(u"CH").String(u"a=b\r\n\r\n").Bytes()},
        {"a byte left over",
         TTableBytes().String(u"").Integer(1).String(u"CH").String(u"a=b").Byte(0).Bytes()},
        {"odd half of a code unit", TTableBytes().Integer(1).Byte('a').Bytes()},
    };
    for (const auto& [What, Bytes] : Corpus) {
        EXPECT_FALSE(ReadLanguageTable(Bytes).has_value()) << What;
    }
}

TEST(LanguageTableFormatTest, EveryTruncationOfAGoodTableIsRefused) {
    const std::vector<std::uint8_t> Bytes = WriteLanguageTable(Small);
    for (std::size_t Size = 0; Size < Bytes.size(); ++Size) {
        EXPECT_FALSE(ReadLanguageTable(std::span(Bytes).first(Size)).has_value()) << Size;
    }
}

TEST(LanguageTableFormatTest, EmptyPartsAreNotErrors) {
    const auto NoLanguages = ReadLanguageTable(TTableBytes().String(u"").Integer(0).Bytes());
    ASSERT_TRUE(NoLanguages.has_value());
    EXPECT_TRUE(NoLanguages->FSourceStrings.empty());
    EXPECT_TRUE(NoLanguages->FLanguages.empty());

    const auto EmptyLanguage =
        ReadLanguageTable(TTableBytes().String(u"").Integer(1).String(u"").String(u"").Bytes());
    ASSERT_TRUE(EmptyLanguage.has_value());
    EXPECT_THAT(EmptyLanguage->FLanguages, ElementsAre(TLanguageResource{u"", {}}));
}

} // namespace
} // namespace vanto
