#include "macro/MacroFiles.h"
#include "macro/MacroErrors.h"
#include "macro/uiMacroClass.h"

#include "MacroTestSupport.h"
#include "platform/sim/SimFileSystem.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>

namespace vanto {
namespace {

namespace fs = std::filesystem;
using test::ListOf;
using test::MacroOf;

// The simulated file system with switchable faults and a log of the targets that were replaced.
class TFaultyFiles : public platform::IFileSystem {
public:
    explicit TFaultyFiles(platform::IFileSystem& AInner) : FInner(AInner) {}

    bool FileExists(const std::u16string& APath) override { return FInner.FileExists(APath); }
    std::optional<std::uint64_t> FileSize(const std::u16string& APath) override {
        return FInner.FileSize(APath);
    }
    bool FolderExists(const std::u16string& APath) override { return FInner.FolderExists(APath); }
    bool MakeFolder(const std::u16string& APath) override { return FInner.MakeFolder(APath); }
    std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::u16string& APath) override {
        return FFailRead ? std::nullopt : FInner.ReadWholeFile(APath);
    }
    bool WriteWholeFile(const std::u16string& APath, const void* AData,
                        std::size_t ASize) override {
        if (FFailWrite) { // breaks off halfway, as a full disk would
            FInner.WriteWholeFile(APath, AData, ASize / 2);
            return false;
        }
        return FInner.WriteWholeFile(APath, AData, ASize);
    }
    bool ReplaceWith(const std::u16string& ASource, const std::u16string& ATarget) override {
        FReplaced.push_back(ATarget);
        return !FFailReplace && FInner.ReplaceWith(ASource, ATarget);
    }
    bool RemoveFile(const std::u16string& APath) override { return FInner.RemoveFile(APath); }
    platform::TDriveType DriveType(char16_t ADriveLetter) override {
        return FInner.DriveType(ADriveLetter);
    }

    bool FFailRead = false;
    bool FFailWrite = false;
    bool FFailReplace = false;
    std::vector<std::u16string> FReplaced;

private:
    platform::IFileSystem& FInner;
};

class MacroFilesTest : public testing::Test {
protected:
    MacroFilesTest()
        : FRoot(fs::temp_directory_path() /
                ("vanto-macro-" + std::to_string(std::random_device{}()) + "-" +
                 testing::UnitTest::GetInstance()->current_test_info()->name())),
          FSim(FRoot), FFiles(FSim) {
        FSim.MakeFolder(u"C:");
        FSim.MakeFolder(u"C:\\Docs");
    }
    ~MacroFilesTest() override {
        std::error_code Error;
        fs::remove_all(FRoot, Error);
    }

    void Save(const TMACROKEYINFOLIST& AList, const std::u16string& APath = u"C:\\Docs\\Macros") {
        TuiMacroClass::SaveMacroKeyInfoListToMacroFiles(FFiles, AList, APath);
    }
    std::vector<std::uint8_t> Bytes(const std::u16string& APath) {
        return FSim.ReadWholeFile(APath).value_or(std::vector<std::uint8_t>{});
    }
    // Every file under the simulated C: drive, as host paths relative to it.
    std::vector<std::string> AllFiles() {
        std::vector<std::string> Found;
        for (const auto& Entry : fs::recursive_directory_iterator(FRoot / "C")) {
            if (Entry.is_regular_file()) {
                Found.push_back(fs::relative(Entry.path(), FRoot / "C").generic_string());
            }
        }
        std::sort(Found.begin(), Found.end());
        return Found;
    }

    fs::path FRoot;
    sim::TSimFileSystem FSim;
    TFaultyFiles FFiles;
};

std::vector<std::uint8_t> RecordBytes(const TMACROKEYINFO& AMacro) {
    const auto* Data = reinterpret_cast<const std::uint8_t*>(&AMacro);
    return std::vector<std::uint8_t>(Data, Data + sizeof(AMacro));
}

TEST_F(MacroFilesTest, EveryMacroBecomesOneRawFileInTheFolder) {
    TMACROKEYINFO Fire = MacroOf(u"Fire", {MouseButtonStep(1, true), MouseButtonStep(1, false)});
    Fire.MacroList[5] = DelayStep(99); // beyond the count, yet part of the file
    Fire.Version = MACRO_FORMAT_VERSION;
    Fire.ErrorCount = 3;
    const TMACROKEYINFO Reload = MacroOf(u"Reload", {KeyStep(0x52, false, true)});
    Save(ListOf({Fire, Reload}));

    EXPECT_EQ(Bytes(u"C:\\Docs\\Macros\\Fire.macro"), RecordBytes(Fire));
    EXPECT_EQ(Bytes(u"C:\\Docs\\Macros\\Reload.macro"), RecordBytes(Reload));
    EXPECT_EQ(AllFiles(),
              (std::vector<std::string>{"Docs/Macros/Fire.macro", "Docs/Macros/Reload.macro"}));
    EXPECT_EQ(FFiles.FReplaced, (std::vector<std::u16string>{u"C:\\Docs\\Macros\\Fire.macro",
                                                             u"C:\\Docs\\Macros\\Reload.macro"}));
}

TEST_F(MacroFilesTest, TrailingSeparatorIsNotDoubledAndLaterSameNameWins) {
    Save(ListOf({MacroOf(u"Same", {DelayStep(1)}), MacroOf(u"Same", {DelayStep(2)})}),
         u"C:\\Docs\\");
    EXPECT_EQ(FFiles.FReplaced, (std::vector<std::u16string>(2, u"C:\\Docs\\Same.macro")));
    TMACROKEYINFO Loaded{};
    ASSERT_TRUE(TuiMacroClass::LoadMacroFromFile(FFiles, u"C:\\Docs\\Same.macro", Loaded));
    EXPECT_EQ(StepCode(Loaded.MacroList[0]), 2);
}

TEST_F(MacroFilesTest, NothingToWriteMakesNoFolder) {
    Save(TMACROKEYINFOLIST{}, u"C:\\Docs\\Unused");
    EXPECT_FALSE(FSim.FolderExists(u"C:\\Docs\\Unused"));
    EXPECT_THROW(Save(ListOf({MacroOf(u"a", {})}), u""), EMacroFileError);
}

TEST_F(MacroFilesTest, FolderIsMadeOneLevelOnly) {
    EXPECT_THROW(Save(ListOf({MacroOf(u"a", {})}), u"C:\\No\\Such"), EMacroFileError);
    EXPECT_TRUE(AllFiles().empty());
}

TEST_F(MacroFilesTest, ClampsTheCountOfAStoredList) {
    TMACROKEYINFOLIST List{};
    for (std::size_t I = 0; I < MACRO_COUNT; ++I) {
        WriteRecordText(List.MacroInfos[I].szMacroName, u"m" + std::u16string(1, u'a' + I));
    }
    List.nMacroInfoCount = 9999;
    Save(List);
    EXPECT_EQ(AllFiles().size(), MACRO_COUNT);
}

TEST_F(MacroFilesTest, NamesThatLeaveTheFolderAreRefusedWithoutWriting) {
    FSim.MakeFolder(u"C:\\Docs\\Macros");
    FSim.MakeFolder(u"C:\\Docs\\Macros\\Sub");
    for (const std::u16string Name :
         {u"..\\..\\Evil", u"Sub\\x", u"Sub/x", u"\\Root", u".", u"..", u""}) {
        SCOPED_TRACE(std::string(Name.begin(), Name.end()));
        FFiles.FReplaced.clear();
        const TMACROKEYINFOLIST List =
            ListOf({MacroOf(u"First", {}), MacroOf(Name, {}), MacroOf(u"Last", {})});
        EXPECT_THROW(Save(List), EMacroFileError);
        EXPECT_EQ(AllFiles(), std::vector<std::string>{"Docs/Macros/First.macro"});
        EXPECT_EQ(FFiles.FReplaced.size(), 1u);
    }
}

TEST_F(MacroFilesTest, OtherNamesAreUsedUnaltered) {
    TMACROKEYINFO Unterminated{};
    std::fill(std::begin(Unterminated.szMacroName), std::end(Unterminated.szMacroName), u'z');
    Save(ListOf({MacroOf(u"Übung 2: a.b", {}), MacroOf(u"...", {}), Unterminated}));
    EXPECT_TRUE(FSim.FileExists(u"C:\\Docs\\Macros\\Übung 2: a.b.macro"));
    EXPECT_TRUE(FSim.FileExists(u"C:\\Docs\\Macros\\....macro"));
    EXPECT_TRUE(FSim.FileExists(u"C:\\Docs\\Macros\\" + std::u16string(50, u'z') + u".macro"));
    EXPECT_TRUE(IsUsableMacroFileName(u".hidden"));
}

TEST_F(MacroFilesTest, FailedWriteOrReplaceKeepsTheOldFileAndNoTemporary) {
    const TMACROKEYINFO Old = MacroOf(u"Fire", {DelayStep(1)});
    Save(ListOf({Old}));
    const TMACROKEYINFOLIST Newer =
        ListOf({MacroOf(u"Fire", {DelayStep(2)}), MacroOf(u"Later", {})});

    FFiles.FFailWrite = true;
    EXPECT_THROW(Save(Newer), EMacroFileError);
    FFiles.FFailWrite = false;
    FFiles.FFailReplace = true;
    EXPECT_THROW(Save(Newer), EMacroFileError);

    EXPECT_EQ(Bytes(u"C:\\Docs\\Macros\\Fire.macro"), RecordBytes(Old));
    EXPECT_EQ(AllFiles(), std::vector<std::string>{"Docs/Macros/Fire.macro"});
}

TEST_F(MacroFilesTest, LoadCopiesWhatTheFileHolds) {
    TMACROKEYINFO Saved = MacroOf(u"Fire", {DelayStep(7)});
    Saved.Version = MACRO_FORMAT_VERSION;
    Save(ListOf({Saved}));
    TMACROKEYINFO Loaded = MacroOf(u"before", {});
    EXPECT_FALSE(TuiMacroClass::LoadMacroFromFile(FFiles, u"C:\\Docs\\Macros\\No.macro", Loaded));
    EXPECT_EQ(MacroNameOf(Loaded), u"before");

    ASSERT_TRUE(TuiMacroClass::LoadMacroFromFile(FFiles, u"C:\\Docs\\Macros\\Fire.macro", Loaded));
    EXPECT_EQ(RecordBytes(Loaded), RecordBytes(Saved));
    EXPECT_TRUE(TuiMacroClass::IsValidMacroVersion(Loaded));

    FFiles.FFailRead = true;
    EXPECT_THROW(TuiMacroClass::LoadMacroFromFile(FFiles, u"C:\\Docs\\Macros\\Fire.macro", Loaded),
                 EMacroFileError);
}

TEST_F(MacroFilesTest, ShortOrEmptyFileLeavesTheTail) {
    const std::uint8_t Head[] = {4, 0, 1, 0, 0x41, 0};
    ASSERT_TRUE(FSim.WriteWholeFile(u"C:\\Docs\\short.macro", Head, sizeof(Head)));
    ASSERT_TRUE(FSim.WriteWholeFile(u"C:\\Docs\\empty.macro", Head, 0));
    TMACROKEYINFO Loaded = MacroOf(u"tail", {DelayStep(5), DelayStep(6)});
    ASSERT_TRUE(TuiMacroClass::LoadMacroFromFile(FFiles, u"C:\\Docs\\empty.macro", Loaded));
    ASSERT_TRUE(TuiMacroClass::LoadMacroFromFile(FFiles, u"C:\\Docs\\short.macro", Loaded));
    EXPECT_EQ(Loaded.MacroList[0].nKeyType, STEP_KEY);
    EXPECT_EQ(StepCode(Loaded.MacroList[1]), 6);
    EXPECT_EQ(MacroNameOf(Loaded), u"tail");
}

} // namespace
} // namespace vanto
