#include "i18n/Translate.h"
#include "i18n/TranslatedWindow.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace vanto {
namespace {

using testing::ElementsAre;

// As a language holds them: sorted by the whole line.
const TLanguageLines Chinese{
    {u"Config", u"打开配置"}, {u"Mouse Right Click", u"  右键"}, {u"OK", u"确定"}, {u"Up", u""}};
const TLanguageLines English{{u"OK", u"OK"}, {u"Lock PC", u"Lock Computer"}};

class TranslateTest : public testing::Test {
protected:
    ~TranslateTest() override { RemoveActiveLanguageTable(); }
};

TEST_F(TranslateTest, WithoutATableEveryTextComesBackAsItIs) {
    ASSERT_FALSE(HasActiveLanguageTable());
    EXPECT_EQ(Translate(u"Config"), u"Config");
    EXPECT_EQ(Translate(u""), u"");
    RemoveActiveLanguageTable();
    EXPECT_FALSE(HasActiveLanguageTable());
}

TEST_F(TranslateTest, ALineMatchesOnlyTheExactTextAndKeepsItsValueWhole) {
    InstallActiveLanguageTable(Chinese);
    EXPECT_EQ(Translate(u"Config"), u"打开配置");
    EXPECT_EQ(Translate(u"config"), u"config");
    EXPECT_EQ(Translate(u"Config "), u"Config ");
    EXPECT_EQ(Translate(u"Mouse Right Click"), u"  右键");
    EXPECT_EQ(Translate(u""), u"");
    // An empty translation shows the source string.
    EXPECT_EQ(Translate(u"Up"), u"Up");
    EXPECT_EQ(Translate(u"Gaming Mouse Monitor"), u"Gaming Mouse Monitor");
}

TEST_F(TranslateTest, OfTwoLinesWithTheSameNameTheFirstWins) {
    InstallActiveLanguageTable({{u"Save", u"保存"}, {u"Save", u"存储"}});
    EXPECT_EQ(Translate(u"Save"), u"保存");
}

// A window of the kind the toolkit draws: it holds only the text it shows and passes that
// through Translate whenever it is told to set its texts again.
struct TShownTextWindow {
    explicit TShownTextWindow(std::u16string AText) : FText(std::move(AText)) {}
    std::u16string FText;
    std::vector<std::u16string> FShown;
    TTranslatedWindow FRegistration{[this] {
        FText = Translate(FText);
        FShown.push_back(FText);
    }};
};

TEST_F(TranslateTest, SwitchingTablesTakesShownTextsBackToTheirSourceFirst) {
    TShownTextWindow Button(u"OK");
    InstallActiveLanguageTable(Chinese);
    EXPECT_EQ(Button.FText, u"确定");
    InstallActiveLanguageTable(English);
    EXPECT_THAT(Button.FShown, ElementsAre(u"确定", u"OK", u"OK"));
    // While a table goes, a text that is no translation stays as it is.
    TShownTextWindow Other(u"Lock Computer");
    TShownTextWindow Plain(u"Exit");
    RemoveActiveLanguageTable();
    EXPECT_EQ(Other.FText, u"Lock PC");
    EXPECT_EQ(Plain.FText, u"Exit");
    EXPECT_FALSE(HasActiveLanguageTable());
}

TEST_F(TranslateTest, AWindowGoneWhileAnotherReappliesIsNotCalled) {
    int LaterCalls = 0;
    std::unique_ptr<TTranslatedWindow> Later;
    TTranslatedWindow First([&] { Later.reset(); });
    Later = std::make_unique<TTranslatedWindow>([&] { ++LaterCalls; });
    InstallActiveLanguageTable(Chinese);
    EXPECT_EQ(Later, nullptr);
    EXPECT_EQ(LaterCalls, 0);
}

TEST_F(TranslateTest, ATableIsRemovedOnlyByWhoeverInstalledIt) {
    const int Installer = 0;
    const int Other = 0;
    InstallActiveLanguageTable(Chinese, &Installer);
    RemoveActiveLanguageTableOf(&Other);
    EXPECT_EQ(Translate(u"OK"), u"确定");
    RemoveActiveLanguageTableOf(&Installer);
    EXPECT_EQ(Translate(u"OK"), u"OK");
}

} // namespace
} // namespace vanto
