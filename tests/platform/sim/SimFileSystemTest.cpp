#include "platform/sim/SimFileSystem.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

namespace vanto::sim {
namespace {

namespace fs = std::filesystem;

class SimFileSystemTest : public testing::Test {
protected:
    SimFileSystemTest()
        : FRoot(fs::temp_directory_path() /
                ("vanto-simfs-" + std::to_string(std::random_device{}()) + "-" +
                 testing::UnitTest::GetInstance()->current_test_info()->name())),
          FFiles(FRoot) {}
    ~SimFileSystemTest() override {
        std::error_code Error;
        fs::remove_all(FRoot, Error);
    }

    fs::path FRoot;
    TSimFileSystem FFiles;
};

TEST_F(SimFileSystemTest, WindowsPathsMapUnderTheRoot) {
    auto Path = FFiles.HostPath(u"C:\\Users\\Ann\\Documents\\a.pfd");
    ASSERT_TRUE(Path);
    EXPECT_EQ(*Path, FRoot / "C" / "Users" / "Ann" / "Documents" / "a.pfd");
    EXPECT_FALSE(FFiles.HostPath(u"C:\\Users\\..\\..\\escape"));
    EXPECT_FALSE(FFiles.HostPath(u"\\"));
}

TEST_F(SimFileSystemTest, FoldersAreMadeOneLevelAtATime) {
    EXPECT_FALSE(FFiles.MakeFolder(u"C:\\Users\\Ann"));
    EXPECT_TRUE(FFiles.MakeFolder(u"C:"));
    EXPECT_TRUE(FFiles.MakeFolder(u"C:\\Users"));
    EXPECT_TRUE(FFiles.MakeFolder(u"C:\\Users\\Ann"));
    EXPECT_TRUE(FFiles.MakeFolder(u"C:\\Users\\Ann")); // already there
    EXPECT_TRUE(FFiles.FolderExists(u"C:\\Users\\Ann"));
    EXPECT_FALSE(FFiles.FileExists(u"C:\\Users\\Ann"));
}

TEST_F(SimFileSystemTest, WholeFilesRoundTripAndReplaceInOneStep) {
    FFiles.MakeFolder(u"D:");
    const std::uint8_t Old[] = {1, 2, 3, 4};
    const std::uint8_t New[] = {9, 8};
    ASSERT_TRUE(FFiles.WriteWholeFile(u"D:\\p.pfd", Old, sizeof(Old)));
    ASSERT_TRUE(FFiles.WriteWholeFile(u"D:\\p.tmp", New, sizeof(New)));
    ASSERT_TRUE(FFiles.ReplaceWith(u"D:\\p.tmp", u"D:\\p.pfd"));
    EXPECT_EQ(FFiles.ReadWholeFile(u"D:\\p.pfd"), (std::vector<std::uint8_t>{9, 8}));
    EXPECT_FALSE(FFiles.FileExists(u"D:\\p.tmp"));
    EXPECT_FALSE(FFiles.ReadWholeFile(u"D:\\missing.pfd"));
    EXPECT_FALSE(FFiles.WriteWholeFile(u"D:\\no\\such\\folder.pfd", New, sizeof(New)));
    EXPECT_TRUE(FFiles.RemoveFile(u"D:\\p.pfd"));
    EXPECT_FALSE(FFiles.RemoveFile(u"D:\\p.pfd"));
}

} // namespace
} // namespace vanto::sim
