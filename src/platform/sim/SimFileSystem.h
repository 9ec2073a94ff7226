#pragma once

#include "platform/FileSystem.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>

namespace vanto::sim {

// Windows paths mapped onto a host folder: "C:\Users\Ann\Documents\a.pfd" is
// <root>/C/Users/Ann/Documents/a.pfd. A path that would leave the root ("..") maps nowhere
// and every operation on it fails.
class TSimFileSystem : public platform::IFileSystem {
public:
    explicit TSimFileSystem(std::filesystem::path ARoot);

    bool FileExists(const std::u16string& APath) override;
    std::optional<std::uint64_t> FileSize(const std::u16string& APath) override;
    bool FolderExists(const std::u16string& APath) override;
    bool MakeFolder(const std::u16string& APath) override;
    std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::u16string& APath) override;
    bool WriteWholeFile(const std::u16string& APath, const void* AData, std::size_t ASize) override;
    bool ReplaceWith(const std::u16string& ASource, const std::u16string& ATarget) override;
    bool RemoveFile(const std::u16string& APath) override;
    // C: is a fixed drive; every other letter names no drive until a test gives it a type.
    platform::TDriveType DriveType(char16_t ADriveLetter) override;
    void SetDriveType(char16_t ADriveLetter, platform::TDriveType AType);

    std::optional<std::filesystem::path> HostPath(const std::u16string& APath) const;
    const std::filesystem::path& Root() const { return FRoot; }

    // Failure switches. Changes are file writes, replacements, removals and new folders.
    // The disk holds only ABytes more: a write that does not fit stores what fits and fails.
    // Nothing: no limit.
    void SetFreeBytes(std::optional<std::uint64_t> ABytes);
    // A read-only medium: no change succeeds; reading works.
    void SetReadOnly(bool AReadOnly);
    // The next AAllowed changes succeed, then the medium turns read-only (write protection
    // switched on, or a share lost, in the middle of a save).
    void ReadOnlyAfter(std::size_t AAllowed);
    // A folder that does not exist yet cannot be made (no rights in its parent).
    void SetRefuseFolders(bool ARefuse);

private:
    // Takes one change from the allowance; false when the medium refuses it.
    bool MayChange();

    std::filesystem::path FRoot;
    std::mutex FLock;
    std::optional<std::uint64_t> FFreeBytes;
    std::optional<std::size_t> FChangesAllowed; // no limit when empty
    bool FRefuseFolders = false;
    std::map<char16_t, platform::TDriveType> FDriveTypes{{u'C', platform::TDriveType::Fixed}};
};

} // namespace vanto::sim
