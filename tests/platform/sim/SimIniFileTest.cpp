#include "platform/sim/SimIniFile.h"
#include "platform/sim/SimFileSystem.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

namespace vanto::sim {
namespace {

namespace fs = std::filesystem;
using testing::ElementsAre;
using testing::Pair;

class SimIniFileTest : public testing::Test {
protected:
    SimIniFileTest()
        : FRoot(fs::temp_directory_path() /
                ("vanto-simini-" + std::to_string(std::random_device{}()))),
          FFiles(FRoot) {
        FFiles.MakeFolder(u"C:");
    }
    ~SimIniFileTest() override {
        std::error_code Error;
        fs::remove_all(FRoot, Error);
    }
    void Write(const std::string& AText) {
        FFiles.WriteWholeFile(u"C:\\config.ini", AText.data(), AText.size());
    }

    fs::path FRoot;
    TSimFileSystem FFiles;
    TSimIniFile FIni{FFiles};
};

TEST_F(SimIniFileTest, ReadsSectionsAndKeysWithoutRegardToCase) {
    Write("; monitor options\r\n[OtherConfig]\r\n  NoLogo = 1 \r\n[HelpFiles]\r\nEN=help_en.chm\r\n"
          "ZH = help_zh.chm\r\nen=second\r\n[Other]\r\nNoLogo=7\r\n");
    EXPECT_EQ(FIni.ReadInteger(u"C:\\config.ini", u"otherconfig", u"NOLOGO", 0), 1);
    EXPECT_EQ(FIni.ReadString(u"C:\\config.ini", u"HelpFiles", u"en", u""), u"help_en.chm");
    EXPECT_THAT(FIni.ReadSection(u"C:\\config.ini", u"helpfiles"),
                ElementsAre(Pair(u"EN", u"help_en.chm"), Pair(u"ZH", u"help_zh.chm"),
                            Pair(u"en", u"second")));
}

TEST_F(SimIniFileTest, MissingOrMalformedEntriesGiveTheDefault) {
    Write("[OtherConfig]\nNoLogo=yes\nNoEquals\nNegative=-12x\n");
    EXPECT_EQ(FIni.ReadInteger(u"C:\\config.ini", u"OtherConfig", u"NoLogo", 3), 3);
    EXPECT_EQ(FIni.ReadInteger(u"C:\\config.ini", u"OtherConfig", u"Negative", 0), -12);
    EXPECT_EQ(FIni.ReadInteger(u"C:\\config.ini", u"OtherConfig", u"Missing", 9), 9);
    EXPECT_EQ(FIni.ReadInteger(u"C:\\none.ini", u"OtherConfig", u"NoLogo", 4), 4);
    EXPECT_TRUE(FIni.ReadSection(u"C:\\none.ini", u"HelpFiles").empty());
}

TEST_F(SimIniFileTest, ReadsUtf16Files) {
    std::u16string Text = u"\uFEFF[HelpFiles]\r\n\u4E2D\u6587=\u5E2E\u52A9.chm\r\n";
    FFiles.WriteWholeFile(u"C:\\config.ini", Text.data(), Text.size() * 2);
    EXPECT_THAT(FIni.ReadSection(u"C:\\config.ini", u"HelpFiles"),
                ElementsAre(Pair(u"\u4E2D\u6587", u"\u5E2E\u52A9.chm")));
}

} // namespace
} // namespace vanto::sim
