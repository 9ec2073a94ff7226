#include "i18n/CarriedLanguageTable.h"
#include "i18n/LanguageTableFormat.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <set>
#include <string>

namespace vanto {
namespace {

using testing::Contains;
using testing::Not;

// The rows the monitor shows; nothing stands for "no line".
struct TShownRow {
    std::u16string FSource;
    std::optional<std::u16string> FChinese;
    std::optional<std::u16string> FEnglish;
};

const TShownRow SHOWN_ROWS[] = {
    {u"Gaming Mouse Driver", u"游戏鼠标驱动", std::nullopt},
    {u"Gaming Mouse Monitor", std::nullopt, std::nullopt},
    {u"Config", u"打开配置", std::nullopt},
    {u"About", u"关于软件", std::nullopt},
    {u"Exit", u"退出软件", std::nullopt},
    {u"OK", u"确定", u"OK"},
    {u"Hardware & Software Information:", u"硬件与软件信息：", u"Hardware & Software Information:"},
    {u"Hardware Core:1.00.00", u"硬件版本：1.00.00", u"Hardware Core:1.00.00"},
    {u"Software Core:1.00.00", u"软件版本：1.00.00", u"Software Core:1.00.00"},
    {u"Recording...", u"录制中...", std::nullopt},
    {u"User Recorded", std::nullopt, std::nullopt},
    {u"ms", u"毫秒", u"ms"},
    {u"Mouse Click", u"左键", u"Mouse Click"},
    {u"Mouse Right Click", u"  右键", std::nullopt},
    {u"Mouse Middle Click", u"中键", u"Mouse Middle Click"},
    {u"Backward(Mouse)", u"后退", u"Backward(Mouse)"},
    {u"Forward(Mouse)", u"前进", u"Forward(Mouse)"},
    {u"Wheel Down(Mouse)", u"向下滚动", u"Wheel Down(Mouse)"},
    {u"Wheel up(Mouse)", u"向上滚动", u"Wheel up(Mouse)"},
    {u"Up", u"放开", u"Up"},
    {u"Down", u"按下", u"Down"},
};

class CarriedLanguageTableTest : public testing::Test {
protected:
    CarriedLanguageTableTest() : FTable(ReadLanguageTable(CarriedLanguageTable())) {}

    const TLanguageResource& Language(std::size_t AIndex) const {
        return FTable->FLanguages.at(AIndex);
    }

    std::optional<TLanguageTable> FTable;
};

std::optional<std::u16string> LineFor(const TLanguageResource& ALanguage,
                                      std::u16string_view ASource) {
    for (const TLanguageLine& Line : ALanguage.FLines) {
        if (Line.FName == ASource) {
            return Line.FValue;
        }
    }
    return std::nullopt;
}

// What a string of that many code units takes in the stored format.
std::size_t StoredBytes(std::size_t ACodeUnits) {
    return 4 + 2 * ACodeUnits;
}

TEST_F(CarriedLanguageTableTest, HoldsTheSourceListAndTwoLanguagesOfTheGivenSizes) {
    ASSERT_TRUE(FTable.has_value());
    const std::u16string Sources = JoinTextLines(FTable->FSourceStrings);
    EXPECT_EQ(FTable->FSourceStrings.size(), 221u);
    EXPECT_EQ(Sources.size(), 2926u);
    ASSERT_EQ(FTable->FLanguages.size(), 2u);
    EXPECT_EQ(Language(0).FId, u"CH");
    EXPECT_EQ(Language(0).FLines.size(), 145u);
    EXPECT_EQ(LanguageLinesText(Language(0).FLines).size(), 2917u);
    EXPECT_EQ(Language(1).FId, u"US");
    EXPECT_EQ(Language(1).FLines.size(), 79u);
    EXPECT_EQ(LanguageLinesText(Language(1).FLines).size(), 1873u);

    // The byte size follows from the code units: the source list, the count, two ids and two
    // line lists.
    const std::size_t Expected = StoredBytes(2926) + 4 + StoredBytes(2) + StoredBytes(2917) +
                                 StoredBytes(2) + StoredBytes(1873);
    EXPECT_EQ(Expected, 15464u);
    EXPECT_EQ(CarriedLanguageTable().size(), Expected);
    // Read and written again it is the same bytes: nothing in it was skipped or reinterpreted.
    const std::vector<std::uint8_t> Again = WriteLanguageTable(*FTable);
    EXPECT_TRUE(std::ranges::equal(Again, CarriedLanguageTable()));
}

TEST_F(CarriedLanguageTableTest, TheRowsTheMonitorShowsAreExact) {
    ASSERT_TRUE(FTable.has_value());
    for (const TShownRow& Row : SHOWN_ROWS) {
        EXPECT_EQ(LineFor(Language(0), Row.FSource), Row.FChinese)
            << std::string(Row.FSource.begin(), Row.FSource.end()) << " in CH";
        EXPECT_EQ(LineFor(Language(1), Row.FSource), Row.FEnglish)
            << std::string(Row.FSource.begin(), Row.FSource.end()) << " in US";
    }
}

TEST_F(CarriedLanguageTableTest, TheSourceListKeepsItsStoredOrderAndOddities) {
    ASSERT_TRUE(FTable.has_value());
    const auto& Sources = FTable->FSourceStrings;
    EXPECT_EQ(Sources.front(), u"       Only 2 DPI Mode switching");
    EXPECT_EQ(Sources.back(), u"Y-AXIS");
    EXPECT_THAT(Sources, Contains(u"Mouse Left  Click"));
    EXPECT_THAT(Sources, Contains(u"DPI  -"));
    EXPECT_THAT(Sources, Not(Contains(u"Gaming Mouse Monitor")));
    // The version caption of another edition sits between these two.
    const auto Setting = std::ranges::find(Sources, u"Advanced Setting");
    ASSERT_NE(Setting, Sources.end());
    ASSERT_LT(Setting + 2, Sources.end());
    EXPECT_EQ(Setting[1].size(), 50u);
    EXPECT_EQ(Setting[2], u"Apply");
    for (const std::u16string& Source : Sources) {
        EXPECT_EQ(Source.find(u'='), std::u16string::npos);
    }
    EXPECT_EQ(std::set(Sources.begin(), Sources.end()).size(), Sources.size());
}

// A window going from one language to the next looks its texts up by their translation; two
// lines with one translation would send one of them back to the wrong source string.
TEST_F(CarriedLanguageTableTest, EveryLineTranslatesASourceStringAndNoTranslationRepeats) {
    ASSERT_TRUE(FTable.has_value());
    for (const TLanguageResource& Each : FTable->FLanguages) {
        std::set<std::u16string> Names;
        std::set<std::u16string> Values;
        for (const TLanguageLine& Line : Each.FLines) {
            EXPECT_THAT(FTable->FSourceStrings, Contains(Line.FName));
            EXPECT_FALSE(Line.FValue.empty());
            EXPECT_TRUE(Names.insert(Line.FName).second) << "a name repeats";
            EXPECT_TRUE(Values.insert(Line.FValue).second) << "a translation repeats";
        }
    }
}

} // namespace
} // namespace vanto
