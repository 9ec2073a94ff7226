#pragma once

#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "profile/ProfileErrors.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vanto {

inline constexpr std::uint32_t HKEY_CURRENT_USER_ROOT = 0x80000001;
inline constexpr std::uint32_t HKEY_LOCAL_MACHINE_ROOT = 0x80000002;

// How much larger than its record a stored value or file may be and still be read. Records are
// at most 110 KB; anything far beyond that is damage or a format this monitor does not know,
// and reading it whole could take all the memory there is.
inline constexpr std::uint64_t STORED_SIZE_MARGIN = 64 * 1024;

using TuiProfileOnRestoreToDefault = std::function<void(std::vector<std::uint8_t>& AStream)>;
using TuiProfileEvent = std::function<void(std::vector<std::uint8_t>& AStream, bool& bContinue)>;
using TuiProfileEvent2 = std::function<void(std::vector<std::uint8_t>& AStream)>;

// A path cut after its last '\' (or '/'): the folder keeps the separator, the name has none.
struct TFolderAndName {
    std::u16string FFolder;
    std::u16string FName;
};
TFolderAndName SplitFolderAndName(std::u16string_view APath);

// One stored record as a raw blob, moved between memory, a file and a registry binary value
// without looking at its bytes. Both formats are shared with the configuration application:
// the file holds the blob and nothing else, the registry value named FileName under KeyPath
// holds the same bytes.
class TuiProfile {
public:
    TuiProfile(platform::IRegistry& ARegistry, platform::IFileSystem& AFiles);
    TuiProfile(const TuiProfile&) = delete;
    TuiProfile& operator=(const TuiProfile&) = delete;

    std::uint32_t RootKey() const { return FRootKey; }
    void SetRootKey(std::uint32_t AValue);
    const std::u16string& KeyPath() const { return FKeyPath; }
    void SetKeyPath(const std::u16string& AValue);
    const std::u16string& FileName() const { return FFileName; }
    void SetFileName(const std::u16string& AValue);
    const std::u16string& FilePath() const { return FFilePath; }
    // Only an existing folder is taken; it is kept with a trailing '\'.
    void SetFilePath(const std::u16string& AValue);
    std::int64_t Size() const { return FSize; }
    void SetSize(std::int64_t AValue);
    // The largest record the owner has put into the blob with Write or Size. The owner writes a
    // whole record before the first load, so this is the record the stored data should hold.

    const std::vector<std::uint8_t>& Stream() const { return FMemoryStream; }

    // From position 0; grows the stream when Count exceeds it, never shrinks it.
    int Write(const void* Buffer, int Count);
    // From position 0; bytes of Buffer past the stream's end keep their contents.
    int Read(void* Buffer, int Count);

    // A value or file larger than the record size + STORED_SIZE_MARGIN is not read: the loads
    // throw EStoredRecordTooLarge and leave the stream as it was.
    bool LoadStreamFromRegistry();
    bool LoadStreamFromFile();
    bool LoadStreamFromFile(const std::u16string& strFilewithpath);
    bool SaveStreamToRegistry();
    bool SaveStreamToFile();
    // Creates the last level of the folder when it is missing.
    bool SaveStreamToFile(const std::u16string& strFileWithPath);
    // Takes folder and name of the path as FilePath and FileName without writing anything.
    bool PreSaveStreamToFile(const std::u16string& strFileWithPath);
    void RestoreToDefault();

    TuiProfileOnRestoreToDefault OnRestoreToDefault;
    TuiProfileEvent OnBeforeSaveToRegistry;
    TuiProfileEvent OnBeforeSaveToFile;
    TuiProfileEvent OnBeforeLoadFromRegistry;
    TuiProfileEvent OnBeforeLoadFromFile;
    TuiProfileEvent2 OnAfterSaveToRegistry;
    TuiProfileEvent2 OnAfterSaveToFile;
    TuiProfileEvent2 OnAfterLoadFromRegistry;
    TuiProfileEvent2 OnAfterLoadFromFile;

private:
    bool MayContinue(const TuiProfileEvent& AEvent);
    void Tell(const TuiProfileEvent2& AEvent);
    bool HasUsableRegistryPlace() const;
    bool OpenOrCreateKey();
    bool HasUsableFilePlace();
    void RefuseIfTooLarge(std::uint64_t AStoredSize, const std::u16string& AWhere) const;
    void ReplaceStreamWithFile(const std::u16string& APath);
    void WriteStreamToFile(const std::u16string& APath);

    platform::IRegistry& FRegistry;
    platform::IFileSystem& FFiles;

    std::vector<std::uint8_t> FMemoryStream;
    std::size_t FPosition = 0;
    std::uint32_t FRootKey = 0;
    std::u16string FKeyPath;
    std::u16string FFileName;
    std::u16string FFilePath;
    std::int64_t FSize = 0;
    std::uint64_t FRecordSize = 0;
};

} // namespace vanto
