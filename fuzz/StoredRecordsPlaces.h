#pragma once

// The stored records where and how large the configuration application (or damage) may leave
// them: profile files in odd places, a Documents folder that lives elsewhere, values and files
// far larger than any record. The monitor sees the machine through two watchers that fail the
// run when it reads such a record whole, or looks at or changes the disk outside the places a
// profile file may be kept.

#include "FuzzSupport.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimRegistry.h"
#include "platform/sim/SimShell.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace vanto::fuzz {

// The simulated registry plus values far larger than any record whose bytes are never held: a
// reader may ask their size, reading one is a failure. A write replaces one as any value.
class TStoredRegistry final : public platform::IRegistry {
public:
    explicit TStoredRegistry(sim::TSimRegistry& AInner) : FInner(AInner) {}

    bool KeyExists(const std::u16string& AKeyPath) override { return FInner.KeyExists(AKeyPath); }
    bool CreateKey(const std::u16string& AKeyPath) override { return FInner.CreateKey(AKeyPath); }
    std::optional<platform::TRegValue> ReadValue(const std::u16string& AKeyPath,
                                                 const std::u16string& AName) override;
    std::optional<std::uint64_t> ValueSize(const std::u16string& AKeyPath,
                                           const std::u16string& AName) override;
    bool WriteBinaryValue(const std::u16string& AKeyPath, const std::u16string& AName,
                          const void* AData, std::size_t ASize) override;
    bool WriteDWordValue(const std::u16string& AKeyPath, const std::u16string& AName,
                         std::uint32_t AValue) override;

    // A binary value of the shared key.
    void StoreFarValue(const std::u16string& AName, std::uint64_t ASize);
    bool HoldsFarValue(const std::u16string& AName) const;

private:
    sim::TSimRegistry& FInner;
    std::map<std::u16string, std::uint64_t> FFar; // by upper-case name
};

// The simulated disk as the monitor's profile store sees it.
class TWatchedFiles final : public platform::IFileSystem {
public:
    // The Documents folder is the one AShell reports at each look.
    TWatchedFiles(sim::TSimFileSystem& AInner, platform::IShell& AShell)
        : FInner(AInner), FShell(AShell) {}

    bool FileExists(const std::u16string& APath) override;
    bool FolderExists(const std::u16string& APath) override;
    bool MakeFolder(const std::u16string& APath) override;
    std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::u16string& APath) override;
    std::optional<std::uint64_t> FileSize(const std::u16string& APath) override;
    bool WriteWholeFile(const std::u16string& APath, const void* AData, std::size_t ASize) override;
    bool ReplaceWith(const std::u16string& ASource, const std::u16string& ATarget) override;
    bool RemoveFile(const std::u16string& APath) override;
    platform::TDriveType DriveType(char16_t ADriveLetter) override {
        return FInner.DriveType(ADriveLetter);
    }

private:
    void CheckLook(const std::u16string& APath);
    // AEnding: what the name must end in; empty for a folder.
    void CheckChange(const std::u16string& APath, std::u16string_view AEnding);

    sim::TSimFileSystem& FInner;
    platform::IShell& FShell;
};

// Records that start-up must leave as they are.
struct TOversized {
    std::vector<std::u16string> FValues;                 // far values of the shared key
    std::map<std::u16string, std::uint64_t> FRealValues; // value name -> size, held in full
    std::map<std::u16string, std::uint64_t> FFiles;      // path -> size
};

// After StoreRecords: moves the user's Documents folder (told to AShell), puts game profiles in
// odd places (rewriting the stored setting group), and makes stored records larger than their
// record by up to hundreds of megabytes. The drives of the machine: C: and D: are fixed, E: is
// a mapped network drive, F: a removable one.
TOversized StoreOddPlacesAndSizes(TFuzzInput& AInput, sim::TSimRegistry& ARegistry,
                                  TStoredRegistry& AStored, sim::TSimFileSystem& AFiles,
                                  sim::TSimShell& AShell);

// Every record of AOversized is where and as large as it was.
void CheckOversizedKept(const TOversized& AOversized, sim::TSimRegistry& ARegistry,
                        const TStoredRegistry& AStored, sim::TSimFileSystem& AFiles);

} // namespace vanto::fuzz
