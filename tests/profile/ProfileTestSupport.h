#pragma once

#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/sim/SimFileSystem.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace vanto::test {

// A host folder of its own for each test, removed afterwards.
class TTempRoot {
public:
    TTempRoot()
        : FPath(std::filesystem::temp_directory_path() /
                ("vanto-profile-" + std::to_string(std::random_device{}()) + "-" +
                 testing::UnitTest::GetInstance()->current_test_info()->name())) {}
    ~TTempRoot() {
        std::error_code Error;
        std::filesystem::remove_all(FPath, Error);
    }
    const std::filesystem::path& Path() const { return FPath; }

private:
    std::filesystem::path FPath;
};

// The simulated file system with faults switched on at will, a log of every path that was
// written or made, so a test can tell where a save went, and logs of every path looked at or read.
class TFlakyFileSystem : public platform::IFileSystem {
public:
    explicit TFlakyFileSystem(platform::IFileSystem& AInner) : FInner(AInner) {}

    bool FileExists(const std::u16string& APath) override {
        FLookedAt.push_back(APath);
        return FInner.FileExists(APath);
    }
    std::optional<std::uint64_t> FileSize(const std::u16string& APath) override {
        FLookedAt.push_back(APath);
        return FInner.FileSize(APath);
    }
    bool FolderExists(const std::u16string& APath) override {
        FLookedAt.push_back(APath);
        return FInner.FolderExists(APath);
    }
    bool MakeFolder(const std::u16string& APath) override {
        FTouched.push_back(APath);
        return FInner.MakeFolder(APath);
    }
    std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::u16string& APath) override {
        FRead.push_back(APath);
        return FFailRead ? std::nullopt : FInner.ReadWholeFile(APath);
    }
    bool WriteWholeFile(const std::u16string& APath, const void* AData,
                        std::size_t ASize) override {
        FTouched.push_back(APath);
        if (FFailWrite) { // breaks off halfway, as a full disk would
            FInner.WriteWholeFile(APath, AData, ASize / 2);
            return false;
        }
        return FInner.WriteWholeFile(APath, AData, ASize);
    }
    bool ReplaceWith(const std::u16string& ASource, const std::u16string& ATarget) override {
        FTouched.push_back(ATarget);
        return !FFailReplace && FInner.ReplaceWith(ASource, ATarget);
    }
    bool RemoveFile(const std::u16string& APath) override { return FInner.RemoveFile(APath); }
    platform::TDriveType DriveType(char16_t ADriveLetter) override {
        return FInner.DriveType(ADriveLetter);
    }

    bool FFailRead = false;
    bool FFailWrite = false;
    bool FFailReplace = false;
    std::vector<std::u16string> FTouched;
    std::vector<std::u16string> FLookedAt;
    std::vector<std::u16string> FRead;

private:
    platform::IFileSystem& FInner;
};

// A registry that can refuse to create keys or to store values, with a log of the values read.
class TFlakyRegistry : public platform::IRegistry {
public:
    explicit TFlakyRegistry(platform::IRegistry& AInner) : FInner(AInner) {}

    bool KeyExists(const std::u16string& AKeyPath) override { return FInner.KeyExists(AKeyPath); }
    bool CreateKey(const std::u16string& AKeyPath) override {
        return !FRefuseKeys && FInner.CreateKey(AKeyPath);
    }
    std::optional<platform::TRegValue> ReadValue(const std::u16string& AKeyPath,
                                                 const std::u16string& AName) override {
        FRead.push_back(AName);
        return FInner.ReadValue(AKeyPath, AName);
    }
    std::optional<std::uint64_t> ValueSize(const std::u16string& AKeyPath,
                                           const std::u16string& AName) override {
        return FInner.ValueSize(AKeyPath, AName);
    }
    bool WriteBinaryValue(const std::u16string& AKeyPath, const std::u16string& AName,
                          const void* AData, std::size_t ASize) override {
        return !FRefuseWrites && FInner.WriteBinaryValue(AKeyPath, AName, AData, ASize);
    }
    bool WriteDWordValue(const std::u16string& AKeyPath, const std::u16string& AName,
                         std::uint32_t AValue) override {
        return !FRefuseWrites && FInner.WriteDWordValue(AKeyPath, AName, AValue);
    }

    bool FRefuseKeys = false;
    bool FRefuseWrites = false;
    std::vector<std::u16string> FRead; // value names

private:
    platform::IRegistry& FInner;
};

} // namespace vanto::test
