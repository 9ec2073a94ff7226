#pragma once

#include "platform/Registry.h"

#include <map>
#include <mutex>
#include <string>

namespace vanto::sim {

// The registry of the current user, held in memory. Keys and value names are compared
// without regard to case, as Windows does, and values keep their type.
class TSimRegistry : public platform::IRegistry {
public:
    bool KeyExists(const std::u16string& AKeyPath) override;
    bool CreateKey(const std::u16string& AKeyPath) override;
    std::optional<platform::TRegValue> ReadValue(const std::u16string& AKeyPath,
                                                 const std::u16string& AName) override;
    bool WriteBinaryValue(const std::u16string& AKeyPath, const std::u16string& AName,
                          const void* AData, std::size_t ASize) override;
    bool WriteDWordValue(const std::u16string& AKeyPath, const std::u16string& AName,
                         std::uint32_t AValue) override;

    // Counts every value write, refused or not, so tests can tell that nothing was written.
    std::size_t WriteCount() const { return FWriteCount; }

private:
    struct TKey {
        // Upper-cased name -> (name as written, value).
        std::map<std::u16string, std::pair<std::u16string, platform::TRegValue>> FValues;
    };

    static std::u16string Normalize(const std::u16string& APath);
    bool WriteValue(const std::u16string& AKeyPath, const std::u16string& AName,
                    platform::TRegValue AValue);

    std::mutex FLock;
    std::map<std::u16string, TKey> FKeys;
    std::size_t FWriteCount = 0;
};

} // namespace vanto::sim
