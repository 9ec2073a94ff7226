#include "CtlRun.h"
#include "VantoCtl.h"

#include "i18n/LanguageTableFormat.h"
#include "i18n/Translate.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

namespace vanto::ctl {
namespace {

using test::RunCtl;
using test::TRun;

TEST(VantoCtlTranslate, PrintsEachTextInTheChosenLanguageOneALine) {
    EXPECT_EQ(
        RunCtl({"translate", "--lang", "CH", "Config", "Mouse Right Click", "", "config"}).FOut,
        "打开配置\n  右键\n\nconfig\n");
    EXPECT_EQ(RunCtl({"translate", "--lang", "us", "Config", "Lock PC"}).FOut,
              "Config\nLock Computer\n");
    EXPECT_EQ(RunCtl({"translate", "Config", "Lock PC"}).FOut, "Config\nLock PC\n");
    EXPECT_EQ(RunCtl({"translate", "--lang", "en", "Config"}).FOut, "Config\n");
    // The command leaves no table behind in the process.
    EXPECT_FALSE(HasActiveLanguageTable());
}

TEST(VantoCtlTranslate, AnUnknownLanguageOrNoTextIsAUsageError) {
    for (auto Args : std::vector<std::vector<std::string_view>>{{"translate"},
                                                                {"translate", "--lang", "CH"},
                                                                {"translate", "--lang"},
                                                                {"translate", "--lang", "DE", "x"},
                                                                {"translate", "\xff"}}) {
        const TRun Result = RunCtl(Args);
        EXPECT_EQ(Result.FExit, EXIT_USAGE);
        EXPECT_TRUE(Result.FOut.empty());
        EXPECT_NE(Result.FErr.find("usage: vantoctl translate"), std::string::npos);
    }
    EXPECT_NE(RunCtl({"translate", "--lang", "DE", "x"}).FErr.find("(CH, US, or en for none)"),
              std::string::npos);
}

// The carried table printed is LanguageTable.txt without its comments: what the generator
// made of the file reads back as the file says.
TEST(VantoCtlTable, PrintsTheCarriedTableAsItsSourceFileWritesIt) {
    std::ifstream Source(std::filesystem::path(VANTO_LANGUAGE_TABLE_TXT));
    ASSERT_TRUE(Source.is_open()) << VANTO_LANGUAGE_TABLE_TXT;
    std::string Expected;
    for (std::string Line; std::getline(Source, Line);) {
        if (!Line.starts_with("#") && !(Expected.empty() && Line.empty())) {
            Expected += Line + "\n";
        }
    }
    const TRun Result = RunCtl({"table"});
    ASSERT_EQ(Result.FExit, EXIT_DONE) << Result.FErr;
    EXPECT_EQ(Result.FOut, Expected);
}

class VantoCtlTableFileTest : public testing::Test {
protected:
    ~VantoCtlTableFileTest() override {
        std::error_code Error;
        std::filesystem::remove(FPath, Error);
    }
    void Write(const std::vector<std::uint8_t>& ABytes) {
        std::ofstream Out(FPath, std::ios::binary);
        Out.write(reinterpret_cast<const char*>(ABytes.data()),
                  static_cast<std::streamsize>(ABytes.size()));
    }
    TRun Table() { return RunCtl({"table", FPathText}); }

    std::filesystem::path FPath = std::filesystem::temp_directory_path() /
                                  ("vanto-table-" + std::to_string(std::random_device{}()));
    std::string FPathText = FPath.string();
};

TEST_F(VantoCtlTableFileTest, PrintsALocalFileWithItsTextsQuotedAndEscaped) {
    const std::u16string Lone(1, char16_t(0xD800));
    Write(WriteLanguageTable({{u"Say \"hi\"", u"a\\b\rc", u"  lead"},
                              {{u"CH", {{u"Say \"hi\"", u"说\t" + Lone}}}, {u"", {}}}}));
    const TRun Result = Table();
    ASSERT_EQ(Result.FExit, EXIT_DONE) << Result.FErr;
    EXPECT_EQ(Result.FOut, "source\n"
                           "  \"Say \\\"hi\\\"\"\n"
                           "  \"a\\\\b\\rc\"\n"
                           "  \"  lead\"\n"
                           "\n"
                           "language \"CH\"\n"
                           "  \"Say \\\"hi\\\"\" = \"说\\t\\ud800\"\n"
                           "\n"
                           "language \"\"\n");
}

TEST_F(VantoCtlTableFileTest, AFileThatIsNoTableIsRefusedWithItsName) {
    Write({0x05, 0x00, 0x00, 0x00, 'a', 0});
    const TRun Bad = Table();
    EXPECT_EQ(Bad.FExit, EXIT_FAILED);
    EXPECT_TRUE(Bad.FOut.empty());
    EXPECT_NE(Bad.FErr.find("is not a translation table"), std::string::npos);

    std::filesystem::remove(FPath);
    const TRun Missing = Table();
    EXPECT_EQ(Missing.FExit, EXIT_FAILED);
    EXPECT_NE(Missing.FErr.find("cannot read"), std::string::npos);
    EXPECT_EQ(RunCtl({"table", "a", "b"}).FExit, EXIT_USAGE);
}

} // namespace
} // namespace vanto::ctl
