#include "platform/sim/SimFileSystem.h"

#include "platform/Utf16.h"

#include <algorithm>
#include <fstream>
#include <system_error>

namespace vanto::sim {

namespace fs = std::filesystem;

namespace {

// Windows takes any UTF-16 in a name; the host takes only text it can convert, and a half of a
// surrogate pair is none.
bool IsWholeUtf16(std::u16string_view AText) {
    for (std::size_t I = 0; I < AText.size(); ++I) {
        if (IsLoneSurrogateAt(AText, I)) {
            return false;
        }
    }
    return true;
}

bool IsDriveLetter(char16_t AChar) {
    return (AChar >= u'A' && AChar <= u'Z') || (AChar >= u'a' && AChar <= u'z');
}

} // namespace

TSimFileSystem::TSimFileSystem(fs::path ARoot) : FRoot(std::move(ARoot)) {
    std::error_code Error;
    fs::create_directories(FRoot, Error);
}

std::optional<fs::path> TSimFileSystem::HostPath(const std::u16string& APath) const {
    fs::path Result = FRoot;
    std::size_t Start = 0;
    bool First = true;
    while (Start <= APath.size()) {
        std::size_t End = APath.find_first_of(u"\\/", Start);
        if (End == std::u16string::npos) {
            End = APath.size();
        }
        std::u16string Part = APath.substr(Start, End - Start);
        Start = End + 1;
        if (First && Part.size() == 2 && Part[1] == u':') {
            // The drive letter becomes a folder of the root; "c:" and "C:" are one drive.
            Part = std::u16string(1, UpperCaseOf(Part[0]));
        }
        First = false;
        if (Part.empty() || Part == u".") {
            continue;
        }
        // The host ends a name at a NUL, so "..<NUL>x" would climb out like "..". A name the
        // host cannot hold maps nowhere, as ".." does: the operation fails, nothing throws.
        if (Part == u".." || Part.find(u'\0') != std::u16string::npos || !IsWholeUtf16(Part)) {
            return std::nullopt;
        }
        Result /= fs::path(Part);
    }
    if (Result == FRoot) {
        return std::nullopt;
    }
    return Result;
}

bool TSimFileSystem::FileExists(const std::u16string& APath) {
    auto Path = HostPath(APath);
    std::error_code Error;
    return Path && fs::is_regular_file(*Path, Error);
}

bool TSimFileSystem::FolderExists(const std::u16string& APath) {
    auto Path = HostPath(APath);
    std::error_code Error;
    return Path && fs::is_directory(*Path, Error);
}

void TSimFileSystem::SetFreeBytes(std::optional<std::uint64_t> ABytes) {
    std::lock_guard Guard(FLock);
    FFreeBytes = ABytes;
}

void TSimFileSystem::SetReadOnly(bool AReadOnly) {
    std::lock_guard Guard(FLock);
    FChangesAllowed = AReadOnly ? std::optional<std::size_t>(0) : std::nullopt;
}

void TSimFileSystem::ReadOnlyAfter(std::size_t AAllowed) {
    std::lock_guard Guard(FLock);
    FChangesAllowed = AAllowed;
}

void TSimFileSystem::SetRefuseFolders(bool ARefuse) {
    std::lock_guard Guard(FLock);
    FRefuseFolders = ARefuse;
}

bool TSimFileSystem::MayChange() {
    std::lock_guard Guard(FLock);
    if (!FChangesAllowed) {
        return true;
    }
    if (*FChangesAllowed == 0) {
        return false;
    }
    --*FChangesAllowed;
    return true;
}

bool TSimFileSystem::MakeFolder(const std::u16string& APath) {
    auto Path = HostPath(APath);
    if (!Path) {
        return false;
    }
    std::error_code Error;
    if (!fs::is_directory(Path->parent_path(), Error)) {
        return false; // one level only, as CreateDirectoryW
    }
    if (fs::is_directory(*Path, Error)) {
        return true;
    }
    {
        std::lock_guard Guard(FLock);
        if (FRefuseFolders) {
            return false;
        }
    }
    if (!MayChange()) {
        return false;
    }
    fs::create_directory(*Path, Error);
    return fs::is_directory(*Path, Error);
}

std::optional<std::uint64_t> TSimFileSystem::FileSize(const std::u16string& APath) {
    auto Path = HostPath(APath);
    std::error_code Error;
    if (!Path || !fs::is_regular_file(*Path, Error)) {
        return std::nullopt;
    }
    const auto Size = fs::file_size(*Path, Error);
    return Error ? std::nullopt : std::optional<std::uint64_t>(Size);
}

std::optional<std::vector<std::uint8_t>>
TSimFileSystem::ReadWholeFile(const std::u16string& APath) {
    auto Path = HostPath(APath);
    if (!Path || !FileExists(APath)) {
        return std::nullopt;
    }
    std::error_code Error;
    auto Size = fs::file_size(*Path, Error);
    std::ifstream In(*Path, std::ios::binary);
    if (Error || !In) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> Data(static_cast<std::size_t>(Size));
    if (!In.read(reinterpret_cast<char*>(Data.data()), static_cast<std::streamsize>(Data.size()))) {
        return std::nullopt;
    }
    return Data;
}

bool TSimFileSystem::WriteWholeFile(const std::u16string& APath, const void* AData,
                                    std::size_t ASize) {
    auto Path = HostPath(APath);
    std::error_code Error;
    if (!Path || fs::is_directory(*Path, Error)) {
        return false;
    }
    if (!MayChange()) {
        return false;
    }
    std::size_t Fits = ASize;
    {
        std::lock_guard Guard(FLock);
        if (FFreeBytes) {
            Fits = static_cast<std::size_t>(std::min<std::uint64_t>(ASize, *FFreeBytes));
            *FFreeBytes -= Fits;
        }
    }
    std::ofstream Out(*Path, std::ios::binary | std::ios::trunc);
    if (!Out) {
        return false;
    }
    Out.write(static_cast<const char*>(AData), static_cast<std::streamsize>(Fits));
    Out.flush();
    return static_cast<bool>(Out) && Fits == ASize;
}

bool TSimFileSystem::ReplaceWith(const std::u16string& ASource, const std::u16string& ATarget) {
    auto Source = HostPath(ASource);
    auto Target = HostPath(ATarget);
    if (!Source || !Target || !FileExists(ASource) || !MayChange()) {
        return false;
    }
    std::error_code Error;
    fs::rename(*Source, *Target, Error);
    return !Error;
}

bool TSimFileSystem::RemoveFile(const std::u16string& APath) {
    auto Path = HostPath(APath);
    std::error_code Error;
    return Path && fs::is_regular_file(*Path, Error) && MayChange() && fs::remove(*Path, Error);
}

platform::TDriveType TSimFileSystem::DriveType(char16_t ADriveLetter) {
    if (!IsDriveLetter(ADriveLetter)) {
        return platform::TDriveType::NoRootFolder;
    }
    std::lock_guard Guard(FLock);
    auto Type = FDriveTypes.find(UpperCaseOf(ADriveLetter));
    return Type == FDriveTypes.end() ? platform::TDriveType::NoRootFolder : Type->second;
}

void TSimFileSystem::SetDriveType(char16_t ADriveLetter, platform::TDriveType AType) {
    std::lock_guard Guard(FLock);
    FDriveTypes[UpperCaseOf(ADriveLetter)] = AType;
}

} // namespace vanto::sim
