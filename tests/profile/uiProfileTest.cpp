#include "profile/uiProfile.h"

#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimRegistry.h"
#include "profile/ProfileTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

namespace vanto {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::ElementsAre;

constexpr char16_t KEY[] = u"software\\VantoGamingMouse";
constexpr char16_t FOLDER[] = u"C:\\Profiles";
constexpr char16_t FILE_PATH[] = u"C:\\Profiles\\p.pfd";

class uiProfileTest : public testing::Test {
protected:
    uiProfileTest() : FSimFiles(FRoot.Path()), FFiles(FSimFiles), FRegistry(FSimRegistry) {
        FSimFiles.MakeFolder(u"C:");
        FProfile.SetRootKey(HKEY_CURRENT_USER_ROOT);
        FProfile.SetKeyPath(KEY);
        FProfile.SetFileName(u"p.pfd");
        Write({1, 2, 3, 4});
    }

    void Write(const Bytes& AData) { FProfile.Write(AData.data(), static_cast<int>(AData.size())); }
    void StoreValue(const Bytes& AData) {
        FSimRegistry.CreateKey(KEY);
        FSimRegistry.WriteBinaryValue(KEY, u"p.pfd", AData.data(), AData.size());
    }
    void StoreFile(const std::u16string& APath, const Bytes& AData) {
        ASSERT_TRUE(FSimFiles.WriteWholeFile(APath, AData.data(), AData.size()));
    }
    Bytes Stream() const { return FProfile.Stream(); }

    test::TTempRoot FRoot;
    sim::TSimFileSystem FSimFiles;
    test::TFlakyFileSystem FFiles;
    sim::TSimRegistry FSimRegistry;
    test::TFlakyRegistry FRegistry;
    TuiProfile FProfile{FRegistry, FFiles};
};

TEST_F(uiProfileTest, RefusedOperationsLeaveStreamAndStorageAlone) {
    FSimFiles.MakeFolder(FOLDER);
    StoreFile(FILE_PATH, {9, 9});
    StoreValue({9, 9});
    const std::size_t Writes = FSimRegistry.WriteCount();

    TuiProfile Fresh(FRegistry, FFiles); // root key 0, no names
    EXPECT_FALSE(Fresh.LoadStreamFromRegistry());
    EXPECT_FALSE(Fresh.SaveStreamToRegistry());
    EXPECT_FALSE(Fresh.LoadStreamFromFile());
    EXPECT_FALSE(Fresh.SaveStreamToFile());

    FProfile.SetRootKey(HKEY_LOCAL_MACHINE_ROOT);
    EXPECT_FALSE(FProfile.LoadStreamFromRegistry());
    EXPECT_FALSE(FProfile.SaveStreamToRegistry());
    FProfile.SetRootKey(HKEY_CURRENT_USER_ROOT);

    bool AfterCalled = false;
    auto Cancel = [](Bytes&, bool& bContinue) { bContinue = false; };
    auto After = [&](Bytes&) { AfterCalled = true; };
    FProfile.OnBeforeLoadFromRegistry = FProfile.OnBeforeSaveToRegistry = Cancel;
    FProfile.OnBeforeLoadFromFile = FProfile.OnBeforeSaveToFile = Cancel;
    FProfile.OnAfterLoadFromRegistry = FProfile.OnAfterSaveToRegistry = After;
    FProfile.OnAfterLoadFromFile = FProfile.OnAfterSaveToFile = After;
    EXPECT_FALSE(FProfile.LoadStreamFromRegistry());
    EXPECT_FALSE(FProfile.SaveStreamToRegistry());
    EXPECT_FALSE(FProfile.LoadStreamFromFile(FILE_PATH));
    EXPECT_FALSE(FProfile.SaveStreamToFile(FILE_PATH));

    EXPECT_FALSE(AfterCalled);
    EXPECT_THAT(Stream(), ElementsAre(1, 2, 3, 4));
    EXPECT_EQ(FSimRegistry.WriteCount(), Writes);
    EXPECT_EQ(FSimFiles.ReadWholeFile(FILE_PATH), (Bytes{9, 9}));
}

TEST_F(uiProfileTest, MissingValueOrUncreatableKeyIsARefusal) {
    EXPECT_FALSE(FProfile.LoadStreamFromRegistry()); // the key is made, the value is missing
    EXPECT_TRUE(FSimRegistry.KeyExists(KEY));

    FProfile.SetKeyPath(u"software\\Elsewhere");
    FRegistry.FRefuseKeys = true;
    bool AfterCalled = false;
    FProfile.OnAfterLoadFromRegistry = [&](Bytes&) { AfterCalled = true; };
    EXPECT_FALSE(FProfile.LoadStreamFromRegistry());
    EXPECT_FALSE(FProfile.SaveStreamToRegistry());
    EXPECT_FALSE(AfterCalled);
    EXPECT_THAT(Stream(), ElementsAre(1, 2, 3, 4));
}

TEST_F(uiProfileTest, RegistryValueSizeDecidesTheStreamSize) {
    int AfterLoads = 0;
    FProfile.OnAfterLoadFromRegistry = [&](Bytes&) { ++AfterLoads; };
    std::uint8_t Record[4] = {0xEE, 0xEE, 0xEE, 0xEE};

    StoreValue({7, 8});
    ASSERT_TRUE(FProfile.LoadStreamFromRegistry());
    EXPECT_THAT(Stream(), ElementsAre(7, 8));
    EXPECT_EQ(FProfile.Read(Record, 4), 2);
    EXPECT_THAT(Record, ElementsAre(7, 8, 0xEE, 0xEE));

    StoreValue({1, 2, 3, 4, 5, 6});
    ASSERT_TRUE(FProfile.LoadStreamFromRegistry());
    EXPECT_EQ(FProfile.Read(Record, 4), 4);
    EXPECT_THAT(Record, ElementsAre(1, 2, 3, 4));
    EXPECT_EQ(AfterLoads, 2);
}

TEST_F(uiProfileTest, RegistryRoundTripAndPlatformErrors) {
    ASSERT_TRUE(FProfile.SaveStreamToRegistry());
    auto Value = FSimRegistry.ReadValue(KEY, u"p.pfd");
    ASSERT_TRUE(Value);
    EXPECT_EQ(Value->FType, platform::TRegValueType::Binary);
    EXPECT_THAT(Value->FData, ElementsAre(1, 2, 3, 4));

    FSimRegistry.WriteDWordValue(KEY, u"p.pfd", 5);
    EXPECT_THROW(FProfile.LoadStreamFromRegistry(), EProfileError);
    EXPECT_THAT(Stream(), ElementsAre(1, 2, 3, 4));

    FRegistry.FRefuseWrites = true;
    EXPECT_THROW(FProfile.SaveStreamToRegistry(), EProfileError);
}

TEST_F(uiProfileTest, WriteGrowsButNeverShrinksAndSizeResizes) {
    Write({5, 6});
    EXPECT_THAT(Stream(), ElementsAre(5, 6, 3, 4));
    Write({1, 1, 1, 1, 1});
    EXPECT_EQ(FProfile.Size(), 5);
    FProfile.SetSize(2);
    EXPECT_THAT(Stream(), ElementsAre(1, 1));
}

TEST_F(uiProfileTest, FilePathTakesOnlyExistingFolders) {
    FProfile.SetFilePath(FOLDER); // not there yet
    EXPECT_EQ(FProfile.FilePath(), u"");
    EXPECT_FALSE(FProfile.SaveStreamToFile());

    FSimFiles.MakeFolder(FOLDER);
    FProfile.SetFilePath(FOLDER);
    EXPECT_EQ(FProfile.FilePath(), u"C:\\Profiles\\");
    FProfile.SetFilePath(u"C:\\Missing");
    EXPECT_EQ(FProfile.FilePath(), u"C:\\Profiles\\");
    ASSERT_TRUE(FProfile.SaveStreamToFile());
    EXPECT_EQ(FSimFiles.ReadWholeFile(FILE_PATH), (Bytes{1, 2, 3, 4}));
}

TEST_F(uiProfileTest, FilesRoundTripWholeAndMakeOnlyTheLastFolder) {
    EXPECT_FALSE(FProfile.SaveStreamToFile(u"C:\\No\\Such\\p.pfd"));
    ASSERT_TRUE(FProfile.SaveStreamToFile(FILE_PATH));
    EXPECT_EQ(FProfile.FilePath(), u""); // the full-path forms leave the names alone

    TuiProfile Other(FRegistry, FFiles);
    std::uint8_t Seed[] = {0, 0, 0, 0, 0, 0};
    Other.Write(Seed, sizeof(Seed));
    ASSERT_TRUE(Other.LoadStreamFromFile(FILE_PATH));
    EXPECT_THAT(Other.Stream(), ElementsAre(1, 2, 3, 4));

    StoreFile(u"C:\\Profiles\\empty.pfd", {});
    ASSERT_TRUE(Other.PreSaveStreamToFile(u"C:\\Profiles\\empty.pfd"));
    EXPECT_EQ(Other.FilePath(), u"C:\\Profiles\\");
    ASSERT_TRUE(Other.LoadStreamFromFile());
    EXPECT_TRUE(Other.Stream().empty());
    EXPECT_EQ(Other.Read(Seed, sizeof(Seed)), 0);

    FFiles.FFailRead = true;
    EXPECT_THROW(Other.LoadStreamFromFile(FILE_PATH), EProfileError);
}

TEST_F(uiProfileTest, InterruptedSaveKeepsTheOldFile) {
    ASSERT_TRUE(FProfile.SaveStreamToFile(FILE_PATH));
    Write({6, 6, 6, 6});

    FFiles.FFailReplace = true;
    EXPECT_THROW(FProfile.SaveStreamToFile(FILE_PATH), EProfileError);
    EXPECT_EQ(FSimFiles.ReadWholeFile(FILE_PATH), (Bytes{1, 2, 3, 4}));
    EXPECT_FALSE(FSimFiles.FileExists(u"C:\\Profiles\\p.pfd.tmp"));

    FFiles.FFailReplace = false;
    FFiles.FFailWrite = true;
    EXPECT_THROW(FProfile.SaveStreamToFile(FILE_PATH), EProfileError);
    EXPECT_EQ(FSimFiles.ReadWholeFile(FILE_PATH), (Bytes{1, 2, 3, 4}));
    EXPECT_FALSE(FSimFiles.FileExists(u"C:\\Profiles\\p.pfd.tmp"));

    FFiles.FFailWrite = false;
    ASSERT_TRUE(FProfile.SaveStreamToFile(FILE_PATH));
    EXPECT_EQ(FSimFiles.ReadWholeFile(FILE_PATH), (Bytes{6, 6, 6, 6}));
    EXPECT_FALSE(FSimFiles.FileExists(u"C:\\Profiles\\p.pfd.tmp"));
}

TEST_F(uiProfileTest, RestoreToDefaultChangesTheBlobInPlace) {
    FProfile.RestoreToDefault(); // unassigned: skipped
    FProfile.OnRestoreToDefault = [](Bytes& AStream) { AStream[1] = 0x55; };
    FProfile.RestoreToDefault();
    EXPECT_THAT(Stream(), ElementsAre(1, 0x55, 3, 4));
}

} // namespace
} // namespace vanto
