#include "platform/win32/Win32FileSystem.h"

#include "platform/win32/WideText.h"

#include <windows.h>

#include <limits>

namespace vanto::win32 {

namespace {

constexpr std::uint64_t MaxTransfer = std::numeric_limits<DWORD>::max();

// Owns one open file. Close reports its own failure because a write that the system still
// buffers may only fail there.
class TOpenFile {
public:
    explicit TOpenFile(HANDLE AHandle) : FHandle(AHandle) {}
    TOpenFile(const TOpenFile&) = delete;
    TOpenFile& operator=(const TOpenFile&) = delete;
    ~TOpenFile() { Close(); }

    bool IsOpen() const { return FHandle != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return FHandle; }

    bool Close() {
        if (!IsOpen()) {
            return true;
        }
        const bool Closed = CloseHandle(FHandle) != 0;
        FHandle = INVALID_HANDLE_VALUE;
        return Closed;
    }

private:
    HANDLE FHandle;
};

DWORD AttributesOf(const std::u16string& APath) {
    return GetFileAttributesW(AsWide(APath));
}

bool ReadAll(HANDLE AFile, std::vector<std::uint8_t>& ABuffer) {
    std::size_t Done = 0;
    while (Done < ABuffer.size()) {
        DWORD Read = 0;
        const DWORD Wanted = static_cast<DWORD>(ABuffer.size() - Done);
        if (!ReadFile(AFile, ABuffer.data() + Done, Wanted, &Read, nullptr)) {
            return false;
        }
        if (Read == 0) {
            break; // shortened by someone else since it was sized
        }
        Done += Read;
    }
    ABuffer.resize(Done);
    return true;
}

bool WriteAll(HANDLE AFile, const std::uint8_t* AData, std::size_t ASize) {
    std::size_t Done = 0;
    while (Done < ASize) {
        DWORD Written = 0;
        const DWORD Wanted = static_cast<DWORD>(ASize - Done);
        if (!WriteFile(AFile, AData + Done, Wanted, &Written, nullptr) || Written == 0) {
            return false;
        }
        Done += Written;
    }
    return true;
}

platform::TDriveType DriveTypeOf(UINT AType) {
    switch (AType) {
    case DRIVE_NO_ROOT_DIR:
        return platform::TDriveType::NoRootFolder;
    case DRIVE_REMOVABLE:
        return platform::TDriveType::Removable;
    case DRIVE_FIXED:
        return platform::TDriveType::Fixed;
    case DRIVE_REMOTE:
        return platform::TDriveType::Remote;
    case DRIVE_CDROM:
        return platform::TDriveType::CdRom;
    case DRIVE_RAMDISK:
        return platform::TDriveType::RamDisk;
    default:
        return platform::TDriveType::Unknown;
    }
}

} // namespace

bool TWin32FileSystem::FileExists(const std::u16string& APath) {
    const DWORD Attributes = AttributesOf(APath);
    return Attributes != INVALID_FILE_ATTRIBUTES && (Attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool TWin32FileSystem::FolderExists(const std::u16string& APath) {
    const DWORD Attributes = AttributesOf(APath);
    return Attributes != INVALID_FILE_ATTRIBUTES && (Attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool TWin32FileSystem::MakeFolder(const std::u16string& APath) {
    // A folder that is already there, or that appears meanwhile, is what the caller wanted.
    return CreateDirectoryW(AsWide(APath), nullptr) != 0 || FolderExists(APath);
}

std::optional<std::uint64_t> TWin32FileSystem::FileSize(const std::u16string& APath) {
    WIN32_FILE_ATTRIBUTE_DATA Data{};
    if (!GetFileAttributesExW(AsWide(APath), GetFileExInfoStandard, &Data) ||
        (Data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return std::nullopt;
    }
    return (static_cast<std::uint64_t>(Data.nFileSizeHigh) << 32) | Data.nFileSizeLow;
}

std::optional<std::vector<std::uint8_t>>
TWin32FileSystem::ReadWholeFile(const std::u16string& APath) {
    TOpenFile File(CreateFileW(AsWide(APath), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER Size{};
    if (!File.IsOpen() || !GetFileSizeEx(File.Get(), &Size) || Size.QuadPart < 0 ||
        static_cast<std::uint64_t>(Size.QuadPart) > MaxTransfer) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> Data(static_cast<std::size_t>(Size.QuadPart));
    if (!ReadAll(File.Get(), Data)) {
        return std::nullopt;
    }
    return Data;
}

bool TWin32FileSystem::WriteWholeFile(const std::u16string& APath, const void* AData,
                                      std::size_t ASize) {
    // Refused before the file is opened so that an existing file is not truncated for nothing.
    if (ASize > MaxTransfer) {
        return false;
    }
    TOpenFile File(CreateFileW(AsWide(APath), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!File.IsOpen()) {
        return false;
    }
    const bool Written = WriteAll(File.Get(), static_cast<const std::uint8_t*>(AData), ASize);
    return File.Close() && Written;
}

bool TWin32FileSystem::ReplaceWith(const std::u16string& ASource, const std::u16string& ATarget) {
    return MoveFileExW(AsWide(ASource), AsWide(ATarget),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool TWin32FileSystem::RemoveFile(const std::u16string& APath) {
    return DeleteFileW(AsWide(APath)) != 0;
}

platform::TDriveType TWin32FileSystem::DriveType(char16_t ADriveLetter) {
    const bool IsLetter = (ADriveLetter >= u'A' && ADriveLetter <= u'Z') ||
                          (ADriveLetter >= u'a' && ADriveLetter <= u'z');
    if (!IsLetter) {
        return platform::TDriveType::NoRootFolder;
    }
    // The call takes the root with its '\'; "X:" alone is not one.
    const wchar_t Root[] = {static_cast<wchar_t>(ADriveLetter), L':', L'\\', L'\0'};
    return DriveTypeOf(GetDriveTypeW(Root));
}

} // namespace vanto::win32
