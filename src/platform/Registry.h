#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vanto::platform {

// Value types as the registry keeps them.
enum class TRegValueType : std::uint32_t {
    None = 0,
    String = 1,
    Binary = 3,
    DWord = 4,
    Other = 0xFFFFFFFF,
};

struct TRegValue {
    TRegValueType FType = TRegValueType::None;
    std::vector<std::uint8_t> FData;
};

// The registry of the current user. Key paths are relative to HKEY_CURRENT_USER, with '\'
// between the parts, and compared without regard to case. Writing a value never creates its
// key: the caller creates the key first when that is what it wants.
class IRegistry {
public:
    virtual ~IRegistry() = default;

    virtual bool KeyExists(const std::u16string& AKeyPath) = 0;
    // Creates the key and any missing parents; true when the key exists afterwards.
    virtual bool CreateKey(const std::u16string& AKeyPath) = 0;
    virtual std::optional<TRegValue> ReadValue(const std::u16string& AKeyPath,
                                               const std::u16string& AName) = 0;
    // The size in bytes of the value's data, without reading it; empty when the key or the
    // value is missing. Lets a reader refuse a value too large to hold before it takes memory.
    virtual std::optional<std::uint64_t> ValueSize(const std::u16string& AKeyPath,
                                                   const std::u16string& AName) = 0;
    virtual bool WriteBinaryValue(const std::u16string& AKeyPath, const std::u16string& AName,
                                  const void* AData, std::size_t ASize) = 0;
    virtual bool WriteDWordValue(const std::u16string& AKeyPath, const std::u16string& AName,
                                 std::uint32_t AValue) = 0;
};

} // namespace vanto::platform
