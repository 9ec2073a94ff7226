#pragma once

#include "platform/Registry.h"

namespace vanto::win32 {

// The registry of the current user through the advapi32 calls.
class TWin32Registry final : public platform::IRegistry {
public:
    bool KeyExists(const std::u16string& AKeyPath) override;
    bool CreateKey(const std::u16string& AKeyPath) override;
    std::optional<platform::TRegValue> ReadValue(const std::u16string& AKeyPath,
                                                 const std::u16string& AName) override;
    std::optional<std::uint64_t> ValueSize(const std::u16string& AKeyPath,
                                           const std::u16string& AName) override;
    bool WriteBinaryValue(const std::u16string& AKeyPath, const std::u16string& AName,
                          const void* AData, std::size_t ASize) override;
    bool WriteDWordValue(const std::u16string& AKeyPath, const std::u16string& AName,
                         std::uint32_t AValue) override;

private:
    bool WriteValue(const std::u16string& AKeyPath, const std::u16string& AName,
                    unsigned long AType, const void* AData, std::size_t ASize);
};

} // namespace vanto::win32
