#pragma once

#include "platform/FileSystem.h"

namespace vanto::win32 {

// Files and folders through the kernel32 calls. A single read or write is limited to what one
// ReadFile or WriteFile can move, which is far above any file of the monitor; larger requests
// are refused instead of being cut short.
class TWin32FileSystem final : public platform::IFileSystem {
public:
    bool FileExists(const std::u16string& APath) override;
    std::optional<std::uint64_t> FileSize(const std::u16string& APath) override;
    bool FolderExists(const std::u16string& APath) override;
    bool MakeFolder(const std::u16string& APath) override;
    std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::u16string& APath) override;
    bool WriteWholeFile(const std::u16string& APath, const void* AData, std::size_t ASize) override;
    bool ReplaceWith(const std::u16string& ASource, const std::u16string& ATarget) override;
    bool RemoveFile(const std::u16string& APath) override;
    platform::TDriveType DriveType(char16_t ADriveLetter) override;
};

} // namespace vanto::win32
