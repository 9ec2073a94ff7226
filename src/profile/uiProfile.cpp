#include "profile/uiProfile.h"

#include <algorithm>
#include <cstring>

namespace vanto {

namespace {

bool EndsWithBackslash(const std::u16string& APath) {
    return !APath.empty() && APath.back() == u'\\';
}

// Error texts are for a developer's eyes; characters outside ASCII become '?'.
std::string MessageWith(const char* AWhat, const std::u16string& AName) {
    std::string Result = AWhat;
    Result += ": ";
    for (char16_t C : AName) {
        Result += (C >= 0x20 && C < 0x7F) ? static_cast<char>(C) : '?';
    }
    return Result;
}

} // namespace

TFolderAndName SplitFolderAndName(std::u16string_view APath) {
    std::size_t Cut = APath.find_last_of(u"\\/");
    if (Cut == std::u16string_view::npos) {
        return {u"", std::u16string(APath)};
    }
    return {std::u16string(APath.substr(0, Cut + 1)), std::u16string(APath.substr(Cut + 1))};
}

TuiProfile::TuiProfile(platform::IRegistry& ARegistry, platform::IFileSystem& AFiles)
    : FRegistry(ARegistry), FFiles(AFiles) {}

void TuiProfile::SetRootKey(std::uint32_t AValue) {
    if (AValue != FRootKey) {
        FRootKey = AValue;
    }
}

void TuiProfile::SetKeyPath(const std::u16string& AValue) {
    if (AValue != FKeyPath) {
        FKeyPath = AValue;
    }
}

void TuiProfile::SetFileName(const std::u16string& AValue) {
    if (AValue != FFileName) {
        FFileName = AValue;
    }
}

void TuiProfile::SetFilePath(const std::u16string& AValue) {
    if (AValue.empty() || AValue == FFilePath || !FFiles.FolderExists(AValue)) {
        return;
    }
    FFilePath = AValue;
    if (!EndsWithBackslash(FFilePath)) {
        FFilePath += u'\\';
    }
}

void TuiProfile::SetSize(std::int64_t AValue) {
    if (AValue == FSize || AValue < 0) {
        return;
    }
    FSize = AValue;
    FRecordSize = std::max(FRecordSize, static_cast<std::uint64_t>(AValue));
    FMemoryStream.resize(static_cast<std::size_t>(AValue));
    FPosition = 0;
}

int TuiProfile::Write(const void* Buffer, int Count) {
    FPosition = 0;
    if (Count <= 0 || Buffer == nullptr) {
        FSize = static_cast<std::int64_t>(FMemoryStream.size());
        return 0;
    }
    const auto Bytes = static_cast<std::size_t>(Count);
    FRecordSize = std::max<std::uint64_t>(FRecordSize, Bytes);
    if (Bytes > FMemoryStream.size()) {
        FMemoryStream.resize(Bytes);
    }
    std::memcpy(FMemoryStream.data(), Buffer, Bytes);
    FPosition = Bytes;
    FSize = static_cast<std::int64_t>(FMemoryStream.size());
    return Count;
}

int TuiProfile::Read(void* Buffer, int Count) {
    FPosition = 0;
    if (Count <= 0 || Buffer == nullptr) {
        return 0;
    }
    const std::size_t Bytes = std::min(static_cast<std::size_t>(Count), FMemoryStream.size());
    if (Bytes != 0) {
        std::memcpy(Buffer, FMemoryStream.data(), Bytes);
    }
    FPosition = Bytes;
    return static_cast<int>(Bytes);
}

bool TuiProfile::MayContinue(const TuiProfileEvent& AEvent) {
    bool bContinue = true;
    if (AEvent) {
        AEvent(FMemoryStream, bContinue);
    }
    return bContinue;
}

void TuiProfile::Tell(const TuiProfileEvent2& AEvent) {
    if (AEvent) {
        AEvent(FMemoryStream);
    }
}

bool TuiProfile::HasUsableRegistryPlace() const {
    // The registry seam reaches the current user's hive only, so a blob meant for the local
    // machine is refused like any other root this component cannot use.
    return FRootKey == HKEY_CURRENT_USER_ROOT && !FKeyPath.empty() && !FFileName.empty();
}

bool TuiProfile::OpenOrCreateKey() {
    return FRegistry.KeyExists(FKeyPath) || FRegistry.CreateKey(FKeyPath);
}

void TuiProfile::RefuseIfTooLarge(std::uint64_t AStoredSize, const std::u16string& AWhere) const {
    if (AStoredSize > FRecordSize + STORED_SIZE_MARGIN) {
        throw EStoredRecordTooLarge(MessageWith("stored record too large", AWhere));
    }
}

bool TuiProfile::LoadStreamFromRegistry() {
    if (!MayContinue(OnBeforeLoadFromRegistry) || !HasUsableRegistryPlace()) {
        return false;
    }
    // Without the key nothing was loaded: the owner must fall back to factory contents rather
    // than take the untouched blob for a stored one.
    if (!OpenOrCreateKey()) {
        return false;
    }
    const std::optional<std::uint64_t> Size = FRegistry.ValueSize(FKeyPath, FFileName);
    if (!Size) {
        return false;
    }
    RefuseIfTooLarge(*Size, FFileName);
    std::optional<platform::TRegValue> Value = FRegistry.ReadValue(FKeyPath, FFileName);
    if (!Value) {
        return false;
    }
    // The other program may have stored a larger value since it was sized.
    RefuseIfTooLarge(Value->FData.size(), FFileName);
    if (Value->FType != platform::TRegValueType::Binary) {
        throw EProfileError(MessageWith("registry value is not binary", FFileName));
    }
    if (Value->FData.size() != FMemoryStream.size() || FMemoryStream.empty()) {
        FMemoryStream.resize(Value->FData.size());
        FPosition = 0;
    }
    std::copy(Value->FData.begin(), Value->FData.end(), FMemoryStream.begin());
    Tell(OnAfterLoadFromRegistry);
    return true;
}

bool TuiProfile::SaveStreamToRegistry() {
    if (!MayContinue(OnBeforeSaveToRegistry) || !HasUsableRegistryPlace()) {
        return false;
    }
    if (!OpenOrCreateKey()) {
        return false;
    }
    if (!FRegistry.WriteBinaryValue(FKeyPath, FFileName, FMemoryStream.data(),
                                    FMemoryStream.size())) {
        throw EProfileError(MessageWith("registry refused to store", FFileName));
    }
    Tell(OnAfterSaveToRegistry);
    return true;
}

bool TuiProfile::HasUsableFilePlace() {
    if (FFilePath.empty() || FFileName.empty()) {
        return false;
    }
    if (!EndsWithBackslash(FFilePath)) {
        FFilePath += u'\\';
    }
    return true;
}

void TuiProfile::ReplaceStreamWithFile(const std::u16string& APath) {
    const std::optional<std::uint64_t> Size = FFiles.FileSize(APath);
    if (!Size) {
        throw EProfileError(MessageWith("cannot read profile file", APath));
    }
    RefuseIfTooLarge(*Size, APath);
    std::optional<std::vector<std::uint8_t>> Data = FFiles.ReadWholeFile(APath);
    if (!Data) {
        throw EProfileError(MessageWith("cannot read profile file", APath));
    }
    RefuseIfTooLarge(Data->size(), APath); // grown since it was sized
    FMemoryStream = std::move(*Data);
    FPosition = 0;
}

// The old file is replaced only by a complete new one, so a save that breaks off (full disk,
// lost network share, power) leaves the previous profile readable.
void TuiProfile::WriteStreamToFile(const std::u16string& APath) {
    const std::u16string Temporary = APath + u".tmp";
    if (!FFiles.WriteWholeFile(Temporary, FMemoryStream.data(), FMemoryStream.size())) {
        FFiles.RemoveFile(Temporary);
        throw EProfileError(MessageWith("cannot write profile file", Temporary));
    }
    if (!FFiles.ReplaceWith(Temporary, APath)) {
        FFiles.RemoveFile(Temporary);
        throw EProfileError(MessageWith("cannot replace profile file", APath));
    }
}

bool TuiProfile::LoadStreamFromFile() {
    if (!MayContinue(OnBeforeLoadFromFile) || !HasUsableFilePlace()) {
        return false;
    }
    const std::u16string Path = FFilePath + FFileName;
    if (!FFiles.FileExists(Path)) {
        return false;
    }
    ReplaceStreamWithFile(Path);
    Tell(OnAfterLoadFromFile);
    return true;
}

bool TuiProfile::LoadStreamFromFile(const std::u16string& strFilewithpath) {
    if (!FFiles.FileExists(strFilewithpath)) {
        return false;
    }
    // The handler may have moved or removed the file.
    if (!MayContinue(OnBeforeLoadFromFile) || !FFiles.FileExists(strFilewithpath)) {
        return false;
    }
    ReplaceStreamWithFile(strFilewithpath);
    Tell(OnAfterLoadFromFile);
    return true;
}

bool TuiProfile::SaveStreamToFile() {
    if (!MayContinue(OnBeforeSaveToFile) || !HasUsableFilePlace()) {
        return false;
    }
    WriteStreamToFile(FFilePath + FFileName);
    Tell(OnAfterSaveToFile);
    return true;
}

bool TuiProfile::SaveStreamToFile(const std::u16string& strFileWithPath) {
    const TFolderAndName Parts = SplitFolderAndName(strFileWithPath);
    if (Parts.FName.empty()) {
        return false;
    }
    if (!FFiles.FolderExists(Parts.FFolder) && !FFiles.MakeFolder(Parts.FFolder)) {
        return false;
    }
    if (!MayContinue(OnBeforeSaveToFile)) {
        return false;
    }
    WriteStreamToFile(strFileWithPath);
    Tell(OnAfterSaveToFile);
    return true;
}

bool TuiProfile::PreSaveStreamToFile(const std::u16string& strFileWithPath) {
    TFolderAndName Parts = SplitFolderAndName(strFileWithPath);
    if (!FFiles.FolderExists(Parts.FFolder) && !FFiles.MakeFolder(Parts.FFolder)) {
        return false;
    }
    FFilePath = std::move(Parts.FFolder);
    FFileName = std::move(Parts.FName);
    return true;
}

void TuiProfile::RestoreToDefault() {
    if (OnRestoreToDefault) {
        OnRestoreToDefault(FMemoryStream);
    }
}

} // namespace vanto
