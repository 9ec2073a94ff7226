#include "LanguageTestSupport.h"

#include "i18n/CarriedLanguageTable.h"
#include "i18n/MonitorLanguageTable.h"
#include "i18n/Translate.h"
#include "i18n/uiLanguage.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimLocale.h"
#include "platform/sim/SimShell.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <random>
#include <vector>

namespace vanto {
namespace {

using test::StoredTable;
using test::TTableBytes;
using testing::ElementsAre;

constexpr char16_t PROGRAM_FOLDER[] = u"C:\\Program Files\\Vanto";
constexpr char16_t LOCAL_FILE[] = u"C:\\Program Files\\Vanto\\ui.local";

std::vector<std::u16string> Ids(const TuiLanguage& ALanguage) {
    std::vector<std::u16string> Ids;
    for (const TLanguageResource& Language : ALanguage.Languages()) {
        Ids.push_back(Language.FId);
    }
    return Ids;
}

class uiLanguageTest : public testing::Test {
protected:
    uiLanguageTest() { std::filesystem::create_directories(*FFiles.HostPath(PROGRAM_FOLDER)); }
    ~uiLanguageTest() override {
        FLanguage.reset();
        RemoveActiveLanguageTable();
        std::error_code Error;
        std::filesystem::remove_all(FRoot, Error);
    }

    TuiLanguage& Create(TLanguageForm* AOwner = nullptr,
                        std::span<const std::uint8_t> AStored = CarriedLanguageTable()) {
        FLanguage = std::make_unique<TuiLanguage>(TuiLanguageServices{FLocale, FShell, FFiles},
                                                  AOwner, AStored);
        return *FLanguage;
    }
    void WriteLocalFile(const std::vector<std::uint8_t>& ABytes) {
        ASSERT_TRUE(FFiles.WriteWholeFile(LOCAL_FILE, ABytes.data(), ABytes.size()));
    }

    std::filesystem::path FRoot = std::filesystem::temp_directory_path() /
                                  ("vanto-language-" + std::to_string(std::random_device{}()));
    sim::TSimFileSystem FFiles{FRoot};
    sim::TSimShell FShell{u"C:\\Users\\Ann\\Documents", PROGRAM_FOLDER};
    sim::TSimLocale FLocale;
    std::unique_ptr<TuiLanguage> FLanguage;
};

TEST_F(uiLanguageTest, TheCarriedTableHoldsChineseThenEnglishAndNothingIsSelectedYet) {
    TuiLanguage& Language = Create();
    EXPECT_THAT(Ids(Language), ElementsAre(u"CH", u"US"));
    EXPECT_EQ(Language.GetLanguageShortIDByIndex(0), u"CH");
    EXPECT_EQ(Language.GetLanguageShortIDByIndex(1), u"US");
    EXPECT_EQ(Language.GetLanguageShortIDByIndex(2), u"");
    EXPECT_EQ(Language.GetLanguageShortIDByIndex(-1), u"");
    EXPECT_EQ(Language.GetLanguageIndexByShortID(u"ch"), 0);
    EXPECT_EQ(Language.GetLanguageIndexByShortID(u"Us"), 1);
    EXPECT_EQ(Language.GetLanguageIndexByShortID(u"en"), -1);
    // Lang has no position before the first selection, whatever is stored.
    EXPECT_EQ(Language.Lang(), u"");
    EXPECT_EQ(Language.GetLanguageIndexByShortID(Language.Lang()), -1);
    EXPECT_EQ(Language.SourceStrings().size(), 221u);
    EXPECT_TRUE(std::ranges::is_sorted(Language.SourceStrings()));
    for (const TLanguageResource& Each : Language.Languages()) {
        EXPECT_TRUE(std::ranges::is_sorted(Each.FLines, {}, [](const TLanguageLine& ALine) {
            return ALine.FName + u"=" + ALine.FValue;
        }));
    }
}

TEST_F(uiLanguageTest, SetLangInstallsTheLanguageOrKeepsTheTableForAnUnknownId) {
    TuiLanguage& Language = Create();
    EXPECT_EQ(Translate(u"Config"), u"Config");
    Language.SetLang(u"CH");
    EXPECT_EQ(Language.Lang(), u"CH");
    EXPECT_EQ(Translate(u"Config"), u"打开配置");
    EXPECT_EQ(Translate(u"Mouse Right Click"), u"  右键");
    Language.SetLang(u"us");
    EXPECT_EQ(Translate(u"Config"), u"Config");
    EXPECT_EQ(Translate(u"Lock PC"), u"Lock Computer");

    // Not in the table: the table stays, the id is taken all the same.
    Language.SetLang(u"XX");
    EXPECT_EQ(Language.Lang(), u"XX");
    EXPECT_EQ(Language.BaseLang(), u"XX");
    EXPECT_EQ(Translate(u"Lock PC"), u"Lock Computer");
    // Only "en" exactly means no table.
    Language.SetLang(u"EN");
    EXPECT_EQ(Translate(u"Lock PC"), u"Lock Computer");
    Language.SetLang(u"en");
    EXPECT_FALSE(HasActiveLanguageTable());
    EXPECT_EQ(Translate(u"Lock PC"), u"Lock PC");
}

TEST_F(uiLanguageTest, LongNamesComeFromTheSystemsLocalesByLanguageIdentifier) {
    TuiLanguage& Language = Create();
    EXPECT_EQ(Language.GetLanguageLongNameByLangID(u"0409"), u"English");
    EXPECT_EQ(Language.GetLanguageLongNameByLangID(u"0804"), u"中文");
    // The system writes "040c"; a lookup in upper case finds it.
    EXPECT_EQ(Language.GetLanguageLongNameByLangID(u"040C"), u"français");
    EXPECT_EQ(Language.GetLanguageLongNameByLangID(u"1234"), u"");
    EXPECT_EQ(Language.GetLanguageLongNameByShortID(u"0411"), u"日本語");
    EXPECT_EQ(Language.GetLanguageLongNameByShortID(u"CH"), u"");

    FLocale.SetSystemDefaultLangID(0x0804);
    EXPECT_EQ(Language.GetOSDefaultLang(), u"0804");
    FLocale.SetSystemDefaultLangID(0x040C);
    EXPECT_EQ(Language.GetOSDefaultLang(), u"040C");
}

TEST_F(uiLanguageTest, TheChangeIsReportedWithTheIdAndItsLongName) {
    // A language whose id is a language identifier has a long name.
    WriteLocalFile(StoredTable({u"OK"}, {{u"0804", {{u"OK", u"好的"}}}}));
    TuiLanguage& Language = Create();
    std::vector<std::pair<std::u16string, std::u16string>> Changes;
    Language.OnLanguageChanged = [&](TuiLanguage& AComponent, const std::u16string& AId,
                                     const std::u16string& ALongName) {
        EXPECT_EQ(&AComponent, &Language);
        // Reported once the table is in place.
        EXPECT_EQ(Translate(u"OK"), AId == u"0804" ? u"好的" : u"确定");
        Changes.emplace_back(AId, ALongName);
    };
    Language.SetLang(u"0804");
    Language.SetLang(u"CH");
    EXPECT_THAT(Changes, ElementsAre(std::pair<std::u16string, std::u16string>{u"0804", u"中文"},
                                     std::pair<std::u16string, std::u16string>{u"CH", u""}));
}

TEST_F(uiLanguageTest, AfterLoadingTheSystemsLanguageIsActiveIfTheTableHasIt) {
    FLocale.SetUserDefaultAbbreviatedLanguageName(u"CHS");
    TuiLanguage& Chinese = Create();
    EXPECT_EQ(Translate(u"OK"), u"确定");
    EXPECT_EQ(Chinese.BaseLang(), u"ch");
    EXPECT_EQ(Chinese.Lang(), u"") << "loading selects on the base only";

    FLanguage.reset();
    FLocale.SetUserDefaultAbbreviatedLanguageName(u"ENU");
    EXPECT_EQ(Create().BaseLang(), u"en");
    EXPECT_FALSE(HasActiveLanguageTable());

    FLanguage.reset();
    FLocale.SetUserDefaultAbbreviatedLanguageName(u"");
    EXPECT_EQ(Create().BaseLang(), u"");
    EXPECT_FALSE(HasActiveLanguageTable());
}

TEST_F(uiLanguageTest, AutoSelectPicksTheSystemsLanguageThroughSetLang) {
    FLocale.SetUserDefaultAbbreviatedLanguageName(u"USA");
    TuiLanguage& Language = Create();
    EXPECT_FALSE(Language.AutoSelect());
    Language.SetLang(u"CH");
    Language.SetAutoSelect(true);
    EXPECT_TRUE(Language.AutoSelect());
    EXPECT_EQ(Language.Lang(), u"us");
    EXPECT_EQ(Translate(u"Lock PC"), u"Lock Computer");

    FLocale.SetUserDefaultAbbreviatedLanguageName(u"ENU");
    Language.SetAutoSelect(true);
    EXPECT_FALSE(HasActiveLanguageTable());
    Language.SetLang(u"CH");
    Language.SetAutoSelect(false);
    EXPECT_EQ(Translate(u"OK"), u"确定");
}

TEST_F(uiLanguageTest, ALocalFilesLanguagesComeFirstAndWinOverStoredOnesOfTheSameId) {
    WriteLocalFile(StoredTable({u"OK", u"Extra"}, {{u"CH", {{u"OK", u"好"}}}}));
    TuiLanguage& Language = Create();
    EXPECT_THAT(Ids(Language), ElementsAre(u"CH", u"CH", u"US"));
    EXPECT_EQ(Language.GetLanguageIndexByShortID(u"CH"), 0);
    EXPECT_EQ(Language.GetLanguageIndexByShortID(u"US"), 2);
    // The stored source list replaces the file's.
    EXPECT_EQ(Language.SourceStrings().size(), 221u);

    // Stored position 1 is the carried Chinese, but its id selects the file's.
    Language.SetLang(Language.GetLanguageShortIDByIndex(1));
    EXPECT_EQ(Translate(u"OK"), u"好");
    EXPECT_EQ(Translate(u"Config"), u"Config");
}

TEST_F(uiLanguageTest, TheMonitorsOwnTextsJoinTheLanguagesOfTheirIdAndALocalLineWins) {
    WriteLocalFile(
        StoredTable({u"OK", u"Microphone on"},
                    {{u"CH", {{u"Microphone on", u"麦克风开"}}}, {u"DE", {{u"OK", u"Gut"}}}}));
    FLanguage = std::make_unique<TuiLanguage>(TuiLanguageServices{FLocale, FShell, FFiles}, nullptr,
                                              CarriedLanguageTable(), MonitorLanguageTable());
    EXPECT_THAT(Ids(*FLanguage), ElementsAre(u"CH", u"DE", u"CH", u"US"));
    FLanguage->SetLang(u"CH");
    EXPECT_EQ(Translate(u"Microphone on"), u"麦克风开") << "the file's own line";
    EXPECT_EQ(Translate(u"Microphone muted"), u"麦克风已静音") << "merged into the file's CH";
    FLanguage->SetLang(u"DE");
    EXPECT_EQ(Translate(u"OK"), u"Gut");
    EXPECT_EQ(Translate(u"Microphone muted"), u"Microphone muted");
    // The carried table itself is read as it was.
    EXPECT_EQ(FLanguage->Languages()[2].FLines.size() - 9,
              ReadLanguageTable(CarriedLanguageTable())->FLanguages[0].FLines.size());
}

TEST_F(uiLanguageTest, ALocalFileThatDoesNotReadCleanlyIsIgnoredAsIfMissing) {
    std::mt19937 Random(7);
    std::vector<std::uint8_t> Noise(300);
    std::ranges::generate(Noise, [&] { return static_cast<std::uint8_t>(Random()); });
    std::vector<std::uint8_t> Truncated = StoredTable({u"OK"}, {{u"XX", {{u"OK", u"好"}}}});
    Truncated.resize(Truncated.size() - 1);
    // The format's own tests go through the ways a table can be broken; these are one of each
    // kind as the component meets them.
    const std::vector<std::vector<std::uint8_t>> Corpus{
        Noise,
        Truncated,
        TTableBytes().String(u"").Integer(1).String(u"XX").String(u"no equals sign").Bytes(),
    };
    for (const std::vector<std::uint8_t>& Bytes : Corpus) {
        WriteLocalFile(Bytes);
        TuiLanguage& Language = Create();
        EXPECT_THAT(Ids(Language), ElementsAre(u"CH", u"US")) << Bytes.size() << " bytes";
        EXPECT_FALSE(HasActiveLanguageTable());
    }
}

TEST_F(uiLanguageTest, ALocalFileFarLargerThanAnyTableIsNotRead) {
    WriteLocalFile(StoredTable({u"OK"}, {{u"XX", {{u"OK", std::u16string(1000, u'x')}}}}));
    EXPECT_THAT(Ids(Create()), ElementsAre(u"XX", u"CH", u"US"));
    // The same table, well formed, but past the limit.
    const std::u16string Huge(LOCAL_LANGUAGE_FILE_LIMIT / 2 + 1, u'x');
    WriteLocalFile(StoredTable({u"OK"}, {{u"XX", {{u"OK", Huge}}}}));
    EXPECT_THAT(Ids(Create()), ElementsAre(u"CH", u"US"));
}

TEST_F(uiLanguageTest, SavedTablesLoadBackAppendedAfterTheLanguagesThere) {
    TuiLanguage& Language = Create();
    const std::u16string Saved = u"C:\\Program Files\\Vanto\\saved.local";
    ASSERT_TRUE(Language.SaveToFile(Saved));
    ASSERT_TRUE(Language.LoadFromFile(Saved));
    EXPECT_THAT(Ids(Language), ElementsAre(u"CH", u"US", u"CH", u"US"));
    EXPECT_EQ(Language.Languages()[2], Language.Languages()[0]);
    EXPECT_EQ(Language.SourceStrings().size(), 221u);

    EXPECT_FALSE(Language.LoadFromFile(u"C:\\Program Files\\Vanto\\missing.local"));
    WriteLocalFile(TTableBytes().String(u"x").Integer(3).Bytes());
    EXPECT_FALSE(Language.LoadFromFile(LOCAL_FILE));
    EXPECT_EQ(Language.Languages().size(), 4u);
}

struct TTestComponent {
    std::u16string FCaption;
    std::u16string FHint;
    std::vector<std::u16string> FWrites;
};

TFormComponent Walked(std::u16string AClass, std::u16string AName, TTestComponent& AParts,
                      bool AHasHint) {
    return {std::move(AClass), std::move(AName),
            [&AParts, AHasHint](std::u16string_view AProperty) -> std::optional<std::u16string> {
                if (AProperty == u"Caption") {
                    return AParts.FCaption;
                }
                return AHasHint && AProperty == u"Hint" ? std::optional(AParts.FHint)
                                                        : std::nullopt;
            },
            [&AParts](std::u16string_view AProperty, const std::u16string& AValue) {
                (AProperty == u"Caption" ? AParts.FCaption : AParts.FHint) = AValue;
                AParts.FWrites.emplace_back(AProperty);
            }};
}

TEST_F(uiLanguageTest, SetLangWalksTheRegisteredFormsAndHandsCustomClassesToTheEvent) {
    TTestComponent Item{u"Config", u"Exit", {}};
    TTestComponent Label{u"OK", u"Exit", {}};
    TTestComponent Grid{u"Config", u"", {}};
    TTestComponent Blank{u"", u"", {}};
    TLanguageForm Form{
        u"FormMain",
        {Walked(u"TMenuItem", u"Config1", Item, true), Walked(u"TLabel", u"Label1", Label, false),
         Walked(u"TMyGrid", u"Grid1", Grid, true), Walked(u"TLabel", u"Blank", Blank, true)}};
    const int FormsBefore = TuiLanguage::uiParentFormCount();
    TuiLanguage& Language = Create(&Form);
    EXPECT_EQ(TuiLanguage::uiParentFormCount(), FormsBefore + 1);
    EXPECT_THAT(Language.SpecialClassName(), testing::Contains(u"TMenuItem"));
    Language.SetCustomClassList({u"tmygrid"});
    std::vector<std::pair<std::u16string, std::u16string>> Custom;
    Language.OnCustomTranslate = [&](const TFormComponent& AComponent,
                                     const std::u16string& ABaseName) {
        Custom.emplace_back(AComponent.FName, ABaseName);
    };

    Language.SetLang(u"CH");
    EXPECT_EQ(Item.FCaption, u"打开配置");
    EXPECT_EQ(Item.FHint, u"退出软件");
    EXPECT_EQ(Label.FCaption, u"确定");
    EXPECT_EQ(Label.FHint, u"Exit") << "a component without a Hint keeps its own";
    EXPECT_EQ(Grid.FCaption, u"Config");
    EXPECT_THAT(Custom,
                ElementsAre(std::pair<std::u16string, std::u16string>{u"Grid1", u"FormMain"}));
    EXPECT_TRUE(Blank.FWrites.empty()) << "empty texts are not translated";

    FLanguage.reset();
    EXPECT_EQ(TuiLanguage::uiParentFormCount(), FormsBefore);
}

TEST_F(uiLanguageTest, TheTableAComponentInstalledGoesWithIt) {
    Create().SetLang(u"CH");
    FLanguage.reset();
    EXPECT_FALSE(HasActiveLanguageTable());

    const TLanguageLines Other{{u"OK", u"Fine"}};
    InstallActiveLanguageTable(Other);
    Create();
    FLanguage.reset();
    EXPECT_EQ(Translate(u"OK"), u"Fine");
}

} // namespace
} // namespace vanto
