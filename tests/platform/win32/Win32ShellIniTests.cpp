#include "platform/win32/WideText.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32IniFile.h"
#include "platform/win32/Win32Shell.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <random>
#include <string>

namespace vanto::win32 {
namespace {

using testing::ElementsAre;
using testing::Pair;

TEST(Win32Shell, FindsTheDocumentsFolderAndTheProgramsOwnFolder) {
    TWin32Shell Shell;
    TWin32FileSystem Files;
    auto Documents = Shell.DocumentsFolder();
    ASSERT_TRUE(Documents);
    EXPECT_TRUE(Files.FolderExists(*Documents));

    std::u16string Folder = Shell.ExecutableFolder();
    ASSERT_FALSE(Folder.empty());
    EXPECT_NE(Folder.back(), u'\\');
    EXPECT_TRUE(Files.FileExists(Folder + u"\\vanto_win32_tests.exe"));
}

class Win32IniFileTest : public testing::Test {
protected:
    Win32IniFileTest() {
        wchar_t Temp[MAX_PATH];
        GetTempPathW(MAX_PATH, Temp);
        FPath = FromWide(Temp) + u"vanto-ini-" +
                std::u16string(1, u'a' + std::random_device{}() % 26) + u".ini";
    }
    ~Win32IniFileTest() override { DeleteFileW(AsWide(FPath)); }
    void Write(const std::string& AText) {
        ASSERT_TRUE(FFiles.WriteWholeFile(FPath, AText.data(), AText.size()));
    }

    std::u16string FPath;
    TWin32FileSystem FFiles;
    TWin32IniFile FIni;
};

TEST_F(Win32IniFileTest, ReadsIntegersStringsAndWholeSections) {
    Write("[OtherConfig]\r\nNoLogo=1\r\n[HelpFiles]\r\nEN=help_en.chm\r\nZH=help_zh.chm\r\n");
    EXPECT_EQ(FIni.ReadInteger(FPath, u"otherconfig", u"NOLOGO", 0), 1);
    EXPECT_EQ(FIni.ReadInteger(FPath, u"OtherConfig", u"Missing", 7), 7);
    EXPECT_EQ(FIni.ReadString(FPath, u"HelpFiles", u"zh", u""), u"help_zh.chm");
    EXPECT_THAT(FIni.ReadSection(FPath, u"HelpFiles"),
                ElementsAre(Pair(u"EN", u"help_en.chm"), Pair(u"ZH", u"help_zh.chm")));
}

TEST_F(Win32IniFileTest, LongValuesAreReadWhole) {
    std::string Long(5000, 'x');
    Write("[HelpFiles]\r\nBIG=" + Long + "\r\n");
    EXPECT_EQ(FIni.ReadString(FPath, u"HelpFiles", u"BIG", u"").size(), 5000u);
    auto Pairs = FIni.ReadSection(FPath, u"HelpFiles");
    ASSERT_EQ(Pairs.size(), 1u);
    EXPECT_EQ(Pairs[0].second.size(), 5000u);
}

TEST_F(Win32IniFileTest, AMissingFileGivesTheDefaults) {
    EXPECT_EQ(FIni.ReadInteger(FPath + u".none", u"OtherConfig", u"NoLogo", 3), 3);
    EXPECT_TRUE(FIni.ReadSection(FPath + u".none", u"HelpFiles").empty());
}

} // namespace
} // namespace vanto::win32
