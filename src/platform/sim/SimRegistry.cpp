#include "platform/sim/SimRegistry.h"

#include "platform/Utf16.h"

#include <cstring>
#include <fstream>

namespace vanto::sim {

namespace fs = std::filesystem;
using platform::TRegValue;
using platform::TRegValueType;

namespace {

constexpr char16_t HEX[] = u"0123456789ABCDEF";

bool NeedsEscape(char16_t C) {
    return C < 0x20 || C == u'%' || C == u'/' || C == u'\\' || C == u':' || C == u'*' ||
           C == u'?' || C == u'"' || C == u'<' || C == u'>' || C == u'|';
}

std::u16string EscapeName(std::u16string_view AName) {
    std::u16string Result;
    for (std::size_t I = 0; I < AName.size(); ++I) {
        const char16_t C = AName[I];
        // The registry takes any UTF-16 in a name, the host's file names only whole text: half
        // of a surrogate pair is written as %uXXXX.
        if (IsLoneSurrogateAt(AName, I)) {
            Result += u"%u";
            for (int Shift = 12; Shift >= 0; Shift -= 4) {
                Result.push_back(HEX[(C >> Shift) & 0xF]);
            }
        } else if (NeedsEscape(C)) {
            Result.push_back(u'%');
            Result.push_back(HEX[(C >> 4) & 0xF]);
            Result.push_back(HEX[C & 0xF]);
        } else {
            Result.push_back(C);
        }
    }
    return Result;
}

int HexDigit(char16_t C) {
    for (int I = 0; I < 16; ++I) {
        if (HEX[I] == UpperCaseOf(C)) {
            return I;
        }
    }
    return -1;
}

std::u16string UnescapeName(std::u16string_view AName) {
    std::u16string Result;
    for (std::size_t I = 0; I < AName.size(); ++I) {
        if (AName[I] == u'%' && I + 5 < AName.size() && AName[I + 1] == u'u' &&
            HexDigit(AName[I + 2]) >= 0 && HexDigit(AName[I + 3]) >= 0 &&
            HexDigit(AName[I + 4]) >= 0 && HexDigit(AName[I + 5]) >= 0) {
            Result.push_back(
                static_cast<char16_t>(HexDigit(AName[I + 2]) << 12 | HexDigit(AName[I + 3]) << 8 |
                                      HexDigit(AName[I + 4]) << 4 | HexDigit(AName[I + 5])));
            I += 5;
        } else if (AName[I] == u'%' && I + 2 < AName.size() && HexDigit(AName[I + 1]) >= 0 &&
                   HexDigit(AName[I + 2]) >= 0) {
            Result.push_back(
                static_cast<char16_t>(HexDigit(AName[I + 1]) * 16 + HexDigit(AName[I + 2])));
            I += 2;
        } else {
            Result.push_back(AName[I]);
        }
    }
    return Result;
}

std::u16string TypeSuffix(TRegValueType AType) {
    switch (AType) {
    case TRegValueType::Binary:
        return u".REG_BINARY";
    case TRegValueType::DWord:
        return u".REG_DWORD";
    case TRegValueType::String:
        return u".REG_SZ";
    default:
        return u".REG_" + DecimalToUtf16(static_cast<std::uint32_t>(AType));
    }
}

std::optional<TRegValueType> TypeOfSuffix(std::u16string_view ASuffix) {
    for (auto Type : {TRegValueType::Binary, TRegValueType::DWord, TRegValueType::String}) {
        if (ASuffix == TypeSuffix(Type)) {
            return Type;
        }
    }
    if (ASuffix.starts_with(u".REG_") && ASuffix.size() > 5) {
        std::uint32_t Number = 0;
        for (char16_t C : ASuffix.substr(5)) {
            if (C < u'0' || C > u'9' || Number > 0x0FFFFFFF) {
                return std::nullopt;
            }
            Number = Number * 10 + (C - u'0');
        }
        return static_cast<TRegValueType>(Number);
    }
    return std::nullopt;
}

bool WriteHostFile(const fs::path& APath, const std::vector<std::uint8_t>& AData) {
    fs::path Temporary = APath;
    Temporary += ".tmp";
    {
        std::ofstream Out(Temporary, std::ios::binary | std::ios::trunc);
        Out.write(reinterpret_cast<const char*>(AData.data()),
                  static_cast<std::streamsize>(AData.size()));
        if (!Out.flush()) {
            return false;
        }
    }
    std::error_code Error;
    fs::rename(Temporary, APath, Error);
    return !Error;
}

} // namespace

TSimRegistry::TSimRegistry(fs::path ARoot) : FRoot(std::move(ARoot)) {
    std::error_code Error;
    fs::create_directories(*FRoot, Error);
    Load();
}

// "a\\b" and "a\b\" name the same key, as they do for the Windows registry.
std::u16string TSimRegistry::Tidy(const std::u16string& APath) {
    std::u16string Result;
    for (char16_t C : APath) {
        if (C == u'\\' && (Result.empty() || Result.back() == u'\\')) {
            continue;
        }
        Result.push_back(C);
    }
    while (!Result.empty() && Result.back() == u'\\') {
        Result.pop_back();
    }
    return Result;
}

std::u16string TSimRegistry::Normalize(const std::u16string& APath) {
    std::u16string Result = Tidy(APath);
    for (char16_t& C : Result) {
        C = UpperCaseOf(C);
    }
    return Result;
}

bool TSimRegistry::KeyExists(const std::u16string& AKeyPath) {
    std::lock_guard Guard(FLock);
    return FKeys.contains(Normalize(AKeyPath));
}

void TSimRegistry::CreateKeyLocked(const std::u16string& ATidyPath) {
    auto [Key, Added] = FKeys.try_emplace(Normalize(ATidyPath));
    if (!Added) {
        return;
    }
    Key->second.FPath = ATidyPath;
    if (FRoot) {
        std::error_code Error;
        fs::create_directories(KeyFolder(Key->second), Error);
    }
}

void TSimRegistry::RefuseWritesAfter(std::size_t AAllowed) {
    std::lock_guard Guard(FLock);
    FWritesAllowed = AAllowed;
}

void TSimRegistry::SetRefuseWrites(bool ARefuse) {
    std::lock_guard Guard(FLock);
    FWritesAllowed = ARefuse ? std::optional<std::size_t>(0) : std::nullopt;
}

void TSimRegistry::SetRefuseKeyCreation(bool ARefuse) {
    std::lock_guard Guard(FLock);
    FRefuseKeyCreation = ARefuse;
}

bool TSimRegistry::CreateKey(const std::u16string& AKeyPath) {
    std::u16string Path = Tidy(AKeyPath);
    if (Path.empty()) {
        return false;
    }
    std::lock_guard Guard(FLock);
    if (FRefuseKeyCreation && !FKeys.contains(Normalize(Path))) {
        return false;
    }
    for (std::size_t Pos = Path.find(u'\\'); Pos != std::u16string::npos;
         Pos = Path.find(u'\\', Pos + 1)) {
        CreateKeyLocked(Path.substr(0, Pos));
    }
    CreateKeyLocked(Path);
    return true;
}

const TSimRegistry::TValue* TSimRegistry::FindLocked(const std::u16string& AKeyPath,
                                                     const std::u16string& AName) const {
    auto Key = FKeys.find(Normalize(AKeyPath));
    if (Key == FKeys.end()) {
        return nullptr;
    }
    auto Value = Key->second.FValues.find(Normalize(AName));
    return Value == Key->second.FValues.end() ? nullptr : &Value->second;
}

std::optional<TRegValue> TSimRegistry::ReadValue(const std::u16string& AKeyPath,
                                                 const std::u16string& AName) {
    std::lock_guard Guard(FLock);
    const TValue* Value = FindLocked(AKeyPath, AName);
    return Value ? std::optional(Value->FValue) : std::nullopt;
}

std::optional<std::uint64_t> TSimRegistry::ValueSize(const std::u16string& AKeyPath,
                                                     const std::u16string& AName) {
    std::lock_guard Guard(FLock);
    const TValue* Value = FindLocked(AKeyPath, AName);
    return Value ? std::optional<std::uint64_t>(Value->FValue.FData.size()) : std::nullopt;
}

std::vector<std::pair<std::u16string, TRegValue>>
TSimRegistry::Values(const std::u16string& AKeyPath) {
    std::lock_guard Guard(FLock);
    std::vector<std::pair<std::u16string, TRegValue>> Result;
    auto Key = FKeys.find(Normalize(AKeyPath));
    if (Key != FKeys.end()) {
        for (const auto& [Normalized, Value] : Key->second.FValues) {
            Result.emplace_back(Value.FName, Value.FValue);
        }
    }
    return Result;
}

bool TSimRegistry::WriteRawValue(const std::u16string& AKeyPath, const std::u16string& AName,
                                 TRegValue AValue) {
    std::lock_guard Guard(FLock);
    ++FWriteCount;
    auto Key = FKeys.find(Normalize(AKeyPath));
    if (Key == FKeys.end()) {
        return false;
    }
    if (FWritesAllowed) {
        if (*FWritesAllowed == 0) {
            return false;
        }
        --*FWritesAllowed;
    }
    TValue New{AName, std::move(AValue)};
    auto Existing = Key->second.FValues.find(Normalize(AName));
    const TValue* Old = Existing == Key->second.FValues.end() ? nullptr : &Existing->second;
    Persist(Key->second, Old, New);
    Key->second.FValues[Normalize(AName)] = std::move(New);
    return true;
}

bool TSimRegistry::WriteBinaryValue(const std::u16string& AKeyPath, const std::u16string& AName,
                                    const void* AData, std::size_t ASize) {
    TRegValue Value{TRegValueType::Binary, std::vector<std::uint8_t>(ASize)};
    if (ASize != 0) {
        std::memcpy(Value.FData.data(), AData, ASize);
    }
    return WriteRawValue(AKeyPath, AName, std::move(Value));
}

bool TSimRegistry::WriteDWordValue(const std::u16string& AKeyPath, const std::u16string& AName,
                                   std::uint32_t AValue) {
    TRegValue Value{TRegValueType::DWord, std::vector<std::uint8_t>(sizeof(AValue))};
    // The registry stores a DWORD little-endian whatever the host is.
    for (std::size_t I = 0; I < sizeof(AValue); ++I) {
        Value.FData[I] = static_cast<std::uint8_t>(AValue >> (8 * I));
    }
    return WriteRawValue(AKeyPath, AName, std::move(Value));
}

fs::path TSimRegistry::KeyFolder(const TKey& AKey) const {
    fs::path Folder = *FRoot;
    std::size_t Start = 0;
    while (Start <= AKey.FPath.size()) {
        std::size_t End = AKey.FPath.find(u'\\', Start);
        End = End == std::u16string::npos ? AKey.FPath.size() : End;
        Folder /= fs::path(EscapeName(std::u16string_view(AKey.FPath).substr(Start, End - Start)));
        Start = End + 1;
    }
    return Folder;
}

void TSimRegistry::Persist(const TKey& AKey, const TValue* AOld, const TValue& ANew) {
    if (!FRoot) {
        return;
    }
    fs::path Folder = KeyFolder(AKey);
    std::error_code Error;
    if (AOld) {
        fs::remove(Folder / fs::path(EscapeName(AOld->FName) + TypeSuffix(AOld->FValue.FType)),
                   Error);
    }
    WriteHostFile(Folder / fs::path(EscapeName(ANew.FName) + TypeSuffix(ANew.FValue.FType)),
                  ANew.FValue.FData);
}

void TSimRegistry::Load() {
    std::error_code Error;
    for (auto It = fs::recursive_directory_iterator(*FRoot, Error);
         !Error && It != fs::recursive_directory_iterator(); It.increment(Error)) {
        std::u16string KeyPath;
        for (const fs::path& Part : fs::relative(It->path().parent_path(), *FRoot)) {
            if (Part != ".") {
                KeyPath += (KeyPath.empty() ? u"" : u"\\") + UnescapeName(Part.u16string());
            }
        }
        if (It->is_directory()) {
            CreateKeyLocked(KeyPath.empty() ? UnescapeName(It->path().filename().u16string())
                                            : KeyPath + u"\\" +
                                                  UnescapeName(It->path().filename().u16string()));
            continue;
        }
        std::u16string File = It->path().filename().u16string();
        std::size_t Dot = File.rfind(u'.');
        auto Type = Dot == std::u16string::npos ? std::nullopt : TypeOfSuffix(File.substr(Dot));
        if (!Type || KeyPath.empty()) {
            continue;
        }
        std::ifstream In(It->path(), std::ios::binary);
        std::vector<std::uint8_t> Data{std::istreambuf_iterator<char>(In),
                                       std::istreambuf_iterator<char>()};
        std::u16string Name = UnescapeName(File.substr(0, Dot));
        CreateKeyLocked(KeyPath);
        FKeys[Normalize(KeyPath)].FValues[Normalize(Name)] = {Name, {*Type, std::move(Data)}};
    }
}

} // namespace vanto::sim
