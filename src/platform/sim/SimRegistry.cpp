#include "platform/sim/SimRegistry.h"

#include "platform/Utf16.h"

#include <cstring>

namespace vanto::sim {

using platform::TRegValue;
using platform::TRegValueType;

std::u16string TSimRegistry::Normalize(const std::u16string& APath) {
    std::u16string Result;
    Result.reserve(APath.size());
    for (char16_t C : APath) {
        // "a\\b" and "a\b\" name the same key, as they do for the Windows registry.
        if (C == u'\\' && (Result.empty() || Result.back() == u'\\')) {
            continue;
        }
        Result.push_back(UpperCaseOf(C));
    }
    while (!Result.empty() && Result.back() == u'\\') {
        Result.pop_back();
    }
    return Result;
}

bool TSimRegistry::KeyExists(const std::u16string& AKeyPath) {
    std::lock_guard Guard(FLock);
    return FKeys.contains(Normalize(AKeyPath));
}

bool TSimRegistry::CreateKey(const std::u16string& AKeyPath) {
    std::u16string Path = Normalize(AKeyPath);
    if (Path.empty()) {
        return false;
    }
    std::lock_guard Guard(FLock);
    for (std::size_t Pos = Path.find(u'\\'); Pos != std::u16string::npos;
         Pos = Path.find(u'\\', Pos + 1)) {
        FKeys.try_emplace(Path.substr(0, Pos));
    }
    FKeys.try_emplace(Path);
    return true;
}

std::optional<TRegValue> TSimRegistry::ReadValue(const std::u16string& AKeyPath,
                                                 const std::u16string& AName) {
    std::lock_guard Guard(FLock);
    auto Key = FKeys.find(Normalize(AKeyPath));
    if (Key == FKeys.end()) {
        return std::nullopt;
    }
    auto Value = Key->second.FValues.find(Normalize(AName));
    if (Value == Key->second.FValues.end()) {
        return std::nullopt;
    }
    return Value->second.second;
}

bool TSimRegistry::WriteValue(const std::u16string& AKeyPath, const std::u16string& AName,
                              TRegValue AValue) {
    std::lock_guard Guard(FLock);
    ++FWriteCount;
    auto Key = FKeys.find(Normalize(AKeyPath));
    if (Key == FKeys.end()) {
        return false;
    }
    Key->second.FValues[Normalize(AName)] = {AName, std::move(AValue)};
    return true;
}

bool TSimRegistry::WriteBinaryValue(const std::u16string& AKeyPath, const std::u16string& AName,
                                    const void* AData, std::size_t ASize) {
    TRegValue Value{TRegValueType::Binary, std::vector<std::uint8_t>(ASize)};
    if (ASize != 0) {
        std::memcpy(Value.FData.data(), AData, ASize);
    }
    return WriteValue(AKeyPath, AName, std::move(Value));
}

bool TSimRegistry::WriteDWordValue(const std::u16string& AKeyPath, const std::u16string& AName,
                                   std::uint32_t AValue) {
    TRegValue Value{TRegValueType::DWord, std::vector<std::uint8_t>(sizeof(AValue))};
    // The registry stores a DWORD little-endian whatever the host is.
    for (std::size_t I = 0; I < sizeof(AValue); ++I) {
        Value.FData[I] = static_cast<std::uint8_t>(AValue >> (8 * I));
    }
    return WriteValue(AKeyPath, AName, std::move(Value));
}

} // namespace vanto::sim
