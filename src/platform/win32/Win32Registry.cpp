#include "platform/win32/Win32Registry.h"

#include "platform/win32/WideText.h"

#include <windows.h>

#include <limits>

namespace vanto::win32 {

namespace {

// Owns one open key so that every return path closes it.
class TOpenKey {
public:
    TOpenKey() = default;
    TOpenKey(const TOpenKey&) = delete;
    TOpenKey& operator=(const TOpenKey&) = delete;
    ~TOpenKey() {
        if (FKey != nullptr) {
            RegCloseKey(FKey);
        }
    }

    bool Open(const std::u16string& AKeyPath, REGSAM AAccess) {
        return RegOpenKeyExW(HKEY_CURRENT_USER, AsWide(AKeyPath), 0, AAccess, &FKey) ==
               ERROR_SUCCESS;
    }

    bool Create(const std::u16string& AKeyPath) {
        return RegCreateKeyExW(HKEY_CURRENT_USER, AsWide(AKeyPath), 0, nullptr,
                               REG_OPTION_NON_VOLATILE, KEY_QUERY_VALUE, nullptr, &FKey,
                               nullptr) == ERROR_SUCCESS;
    }

    HKEY Get() const { return FKey; }

private:
    HKEY FKey = nullptr;
};

platform::TRegValueType TypeOf(DWORD AType) {
    switch (AType) {
    case REG_NONE:
        return platform::TRegValueType::None;
    case REG_SZ:
        return platform::TRegValueType::String;
    case REG_BINARY:
        return platform::TRegValueType::Binary;
    case REG_DWORD:
        return platform::TRegValueType::DWord;
    default:
        return platform::TRegValueType::Other;
    }
}

} // namespace

bool TWin32Registry::KeyExists(const std::u16string& AKeyPath) {
    TOpenKey Key;
    return Key.Open(AKeyPath, KEY_QUERY_VALUE);
}

bool TWin32Registry::CreateKey(const std::u16string& AKeyPath) {
    TOpenKey Key;
    return Key.Create(AKeyPath);
}

std::optional<platform::TRegValue> TWin32Registry::ReadValue(const std::u16string& AKeyPath,
                                                             const std::u16string& AName) {
    TOpenKey Key;
    if (!Key.Open(AKeyPath, KEY_QUERY_VALUE)) {
        return std::nullopt;
    }
    DWORD Type = REG_NONE;
    DWORD Size = 0;
    if (RegQueryValueExW(Key.Get(), AsWide(AName), nullptr, &Type, nullptr, &Size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    // The configuration application may rewrite the value between the two calls; a value
    // that grew meanwhile is sized again instead of being read short.
    platform::TRegValue Value;
    LSTATUS Status = ERROR_MORE_DATA;
    while (Status == ERROR_MORE_DATA) {
        Value.FData.resize(Size);
        Status =
            RegQueryValueExW(Key.Get(), AsWide(AName), nullptr, &Type, Value.FData.data(), &Size);
    }
    if (Status != ERROR_SUCCESS) {
        return std::nullopt;
    }
    Value.FData.resize(Size);
    Value.FType = TypeOf(Type);
    return Value;
}

std::optional<std::uint64_t> TWin32Registry::ValueSize(const std::u16string& AKeyPath,
                                                       const std::u16string& AName) {
    TOpenKey Key;
    if (!Key.Open(AKeyPath, KEY_QUERY_VALUE)) {
        return std::nullopt;
    }
    // Without a buffer the call only reports the size, whatever it is.
    DWORD Size = 0;
    if (RegQueryValueExW(Key.Get(), AsWide(AName), nullptr, nullptr, nullptr, &Size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    return Size;
}

bool TWin32Registry::WriteBinaryValue(const std::u16string& AKeyPath, const std::u16string& AName,
                                      const void* AData, std::size_t ASize) {
    return WriteValue(AKeyPath, AName, REG_BINARY, AData, ASize);
}

bool TWin32Registry::WriteDWordValue(const std::u16string& AKeyPath, const std::u16string& AName,
                                     std::uint32_t AValue) {
    const DWORD Value = AValue;
    return WriteValue(AKeyPath, AName, REG_DWORD, &Value, sizeof Value);
}

bool TWin32Registry::WriteValue(const std::u16string& AKeyPath, const std::u16string& AName,
                                unsigned long AType, const void* AData, std::size_t ASize) {
    if (ASize > std::numeric_limits<DWORD>::max()) {
        return false;
    }
    TOpenKey Key;
    if (!Key.Open(AKeyPath, KEY_SET_VALUE)) {
        return false;
    }
    return RegSetValueExW(Key.Get(), AsWide(AName), 0, AType, static_cast<const BYTE*>(AData),
                          static_cast<DWORD>(ASize)) == ERROR_SUCCESS;
}

} // namespace vanto::win32
