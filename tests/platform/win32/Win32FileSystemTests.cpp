#include "platform/win32/Win32FileSystem.h"

#include "platform/Utf16.h"
#include "platform/win32/WideText.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <random>
#include <string>

namespace vanto::win32 {
namespace {

using TBytes = std::vector<std::uint8_t>;

void RemoveTree(const std::u16string& AFolder) {
    WIN32_FIND_DATAW Found;
    const HANDLE Search = FindFirstFileW(AsWide(AFolder + u"\\*"), &Found);
    if (Search != INVALID_HANDLE_VALUE) {
        do {
            const std::u16string Name = FromWide(Found.cFileName);
            if (Name == u"." || Name == u"..") {
                continue;
            }
            const std::u16string Path = AFolder + u"\\" + Name;
            if (Found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(Path);
            } else {
                DeleteFileW(AsWide(Path));
            }
        } while (FindNextFileW(Search, &Found));
        FindClose(Search);
    }
    RemoveDirectoryW(AsWide(AFolder));
}

// Every test works in its own folder below the user's temporary folder.
class Win32FileSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t Temp[MAX_PATH + 1];
        const DWORD Length = GetTempPathW(MAX_PATH + 1, Temp);
        ASSERT_GT(Length, 0u);
        FFolder = FromWide({Temp, Length}) + u"VantoTests-" +
                  DecimalToUtf16(std::random_device{}() & 0x7FFFFFFF);
        ASSERT_TRUE(CreateDirectoryW(AsWide(FFolder), nullptr));
    }
    void TearDown() override { RemoveTree(FFolder); }

    std::u16string PathOf(const std::u16string& AName) const { return FFolder + u"\\" + AName; }

    bool Write(const std::u16string& AName, const TBytes& AData) {
        return FFiles.WriteWholeFile(PathOf(AName), AData.data(), AData.size());
    }
    std::optional<TBytes> Read(const std::u16string& AName) {
        return FFiles.ReadWholeFile(PathOf(AName));
    }

    TWin32FileSystem FFiles;
    std::u16string FFolder;
};

TEST_F(Win32FileSystemTest, WholeFilesRoundTripAndAreTruncatedOnRewrite) {
    TBytes Profile(109816);
    for (std::size_t I = 0; I < Profile.size(); ++I) {
        Profile[I] = static_cast<std::uint8_t>(I * 7);
    }
    ASSERT_TRUE(Write(u"Game1.pfd", Profile));
    EXPECT_TRUE(FFiles.FileExists(PathOf(u"Game1.pfd")));
    EXPECT_FALSE(FFiles.FolderExists(PathOf(u"Game1.pfd")));
    EXPECT_EQ(Read(u"Game1.pfd"), Profile);

    ASSERT_TRUE(Write(u"Game1.pfd", TBytes{9, 8, 7}));
    EXPECT_EQ(Read(u"Game1.pfd"), (TBytes{9, 8, 7}));

    ASSERT_TRUE(FFiles.WriteWholeFile(PathOf(u"Game1.pfd"), nullptr, 0));
    EXPECT_EQ(Read(u"Game1.pfd"), TBytes{});
}

TEST_F(Win32FileSystemTest, MissingFilesAndFoldersAreNotReadOrWritten) {
    EXPECT_FALSE(Read(u"Missing.pfd").has_value());
    EXPECT_FALSE(FFiles.FileExists(PathOf(u"Missing.pfd")));
    EXPECT_FALSE(FFiles.FileExists(FFolder));
    EXPECT_FALSE(FFiles.ReadWholeFile(FFolder).has_value());
    EXPECT_FALSE(Write(u"NoFolder\\Game1.pfd", TBytes{1}));
    EXPECT_FALSE(FFiles.RemoveFile(PathOf(u"Missing.pfd")));
}

TEST_F(Win32FileSystemTest, TransfersAbove4GiBAreRefusedNotCut) {
    ASSERT_TRUE(Write(u"Big.pfd", TBytes{1, 2, 3}));
    // Refused from its size alone: the buffer is never read, and the old content stays.
    const std::uint8_t Byte = 0;
    EXPECT_FALSE(FFiles.WriteWholeFile(PathOf(u"Big.pfd"), &Byte, 0x1'0000'0000ull));
    EXPECT_EQ(Read(u"Big.pfd"), (TBytes{1, 2, 3}));

    const HANDLE File = CreateFileW(AsWide(PathOf(u"Big.pfd")), GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(File, INVALID_HANDLE_VALUE);
    LARGE_INTEGER End{};
    End.QuadPart = 0x1'0000'0001ll;
    const bool Grown = SetFilePointerEx(File, End, nullptr, FILE_BEGIN) && SetEndOfFile(File);
    CloseHandle(File);
    if (!Grown) {
        GTEST_SKIP() << "no room for a sparse file above 4 GiB here";
    }
    EXPECT_FALSE(Read(u"Big.pfd").has_value());
}

TEST_F(Win32FileSystemTest, ReplaceTakesThePlaceOfAnExistingTarget) {
    ASSERT_TRUE(Write(u"Game1.tmp", TBytes{2}));
    ASSERT_TRUE(Write(u"Game1.pfd", TBytes{1}));
    ASSERT_TRUE(FFiles.ReplaceWith(PathOf(u"Game1.tmp"), PathOf(u"Game1.pfd")));
    EXPECT_EQ(Read(u"Game1.pfd"), TBytes{2});
    EXPECT_FALSE(FFiles.FileExists(PathOf(u"Game1.tmp")));

    EXPECT_FALSE(FFiles.ReplaceWith(PathOf(u"Game1.tmp"), PathOf(u"Game1.pfd")));
    EXPECT_EQ(Read(u"Game1.pfd"), TBytes{2});
    EXPECT_TRUE(FFiles.RemoveFile(PathOf(u"Game1.pfd")));
    EXPECT_FALSE(FFiles.FileExists(PathOf(u"Game1.pfd")));
}

TEST_F(Win32FileSystemTest, MakeFolderCreatesOneLevelBelowAnExistingParent) {
    const std::u16string Deep = PathOf(u"Parent\\Child");
    EXPECT_FALSE(FFiles.MakeFolder(Deep));
    EXPECT_FALSE(FFiles.FolderExists(PathOf(u"Parent")));

    ASSERT_TRUE(FFiles.MakeFolder(PathOf(u"Parent")));
    EXPECT_TRUE(FFiles.MakeFolder(PathOf(u"Parent"))); // already there is fine
    ASSERT_TRUE(FFiles.MakeFolder(Deep));
    EXPECT_TRUE(FFiles.FolderExists(Deep));

    ASSERT_TRUE(Write(u"Plain", TBytes{1}));
    EXPECT_FALSE(FFiles.MakeFolder(PathOf(u"Plain")));
}

TEST_F(Win32FileSystemTest, DriveTypesAreThoseOfTheLettersRoots) {
    // The temporary folder lies on the system's own disk.
    EXPECT_EQ(FFiles.DriveType(FFolder[0]), platform::TDriveType::Fixed);
    EXPECT_EQ(FFiles.DriveType(LowerCaseOf(FFolder[0])), platform::TDriveType::Fixed);
    EXPECT_EQ(FFiles.DriveType(u'1'), platform::TDriveType::NoRootFolder);
    const DWORD Present = GetLogicalDrives();
    for (int Letter = 0; Letter < 26; ++Letter) {
        if ((Present & (1u << Letter)) == 0) {
            EXPECT_EQ(FFiles.DriveType(static_cast<char16_t>(u'A' + Letter)),
                      platform::TDriveType::NoRootFolder)
                << static_cast<char>('A' + Letter);
            break;
        }
    }
}

} // namespace
} // namespace vanto::win32
