#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vanto::platform {

// What stands behind a drive letter, as Windows tells it.
enum class TDriveType : std::uint8_t {
    Unknown,
    NoRootFolder, // the letter names no drive
    Removable,
    Fixed,
    Remote, // a network share mapped to the letter
    CdRom,
    RamDisk,
};

// Files and folders by their Windows paths ('\' between the parts).
class IFileSystem {
public:
    virtual ~IFileSystem() = default;

    virtual bool FileExists(const std::u16string& APath) = 0;
    virtual bool FolderExists(const std::u16string& APath) = 0;
    // Creates one folder whose parent exists; true when the folder exists afterwards.
    virtual bool MakeFolder(const std::u16string& APath) = 0;
    virtual std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::u16string& APath) = 0;
    // The size in bytes, without reading; empty when the file cannot be looked at.
    virtual std::optional<std::uint64_t> FileSize(const std::u16string& APath) = 0;
    // Creates or truncates the file and writes all bytes; false when any of it failed.
    virtual bool WriteWholeFile(const std::u16string& APath, const void* AData,
                                std::size_t ASize) = 0;
    // Puts ASource in the place of ATarget in one step, replacing an existing target.
    virtual bool ReplaceWith(const std::u16string& ASource, const std::u16string& ATarget) = 0;
    virtual bool RemoveFile(const std::u16string& APath) = 0;
    // The kind of drive ADriveLetter ('A'..'Z', either case) stands for; NoRootFolder for any
    // other character.
    virtual TDriveType DriveType(char16_t ADriveLetter) = 0;
};

} // namespace vanto::platform
