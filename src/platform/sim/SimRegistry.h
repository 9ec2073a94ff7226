#pragma once

#include "platform/Registry.h"

#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vanto::sim {

// The registry of the current user. Keys and value names are compared without regard to case,
// as Windows does, and values keep their type.
//
// With a root folder the registry is also kept on disk so a person can look at it and a later
// run finds it again: a key is a folder (its path below the root as written when created), a
// value is a file "<name>.<type>" in its key's folder, holding the raw value data, where type is
// REG_BINARY, REG_DWORD, REG_SZ or REG_<number>. '%', '/' and characters the host cannot name a
// file with are written as %XX.
class TSimRegistry : public platform::IRegistry {
public:
    TSimRegistry() = default;
    explicit TSimRegistry(std::filesystem::path ARoot);

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

    // Any type, as another program may store it.
    bool WriteRawValue(const std::u16string& AKeyPath, const std::u16string& AName,
                       platform::TRegValue AValue);
    // Counts every value write, refused or not, so tests can tell that nothing was written.
    std::size_t WriteCount() const { return FWriteCount; }

    // Failure switches, as a locked or full hive, or missing rights, make the platform refuse.
    // The next AAllowed value writes succeed; every one after them is refused and stores nothing.
    void RefuseWritesAfter(std::size_t AAllowed);
    void SetRefuseWrites(bool ARefuse);
    // A key that does not exist yet cannot be created.
    void SetRefuseKeyCreation(bool ARefuse);
    // Every value of the key with its name as written, ordered by name without regard to case;
    // empty for a missing key. For tools that show a person what is stored.
    std::vector<std::pair<std::u16string, platform::TRegValue>>
    Values(const std::u16string& AKeyPath);

private:
    struct TValue {
        std::u16string FName; // as written
        platform::TRegValue FValue;
    };
    struct TKey {
        std::u16string FPath; // as written when created
        std::map<std::u16string, TValue> FValues;
    };

    static std::u16string Normalize(const std::u16string& APath);
    static std::u16string Tidy(const std::u16string& APath);
    void CreateKeyLocked(const std::u16string& ATidyPath);
    // The stored value, or null; the caller holds FLock.
    const TValue* FindLocked(const std::u16string& AKeyPath, const std::u16string& AName) const;
    std::filesystem::path KeyFolder(const TKey& AKey) const;
    void Persist(const TKey& AKey, const TValue* AOld, const TValue& ANew);
    void Load();

    std::optional<std::filesystem::path> FRoot;
    std::mutex FLock;
    std::map<std::u16string, TKey> FKeys;
    std::size_t FWriteCount = 0;
    std::optional<std::size_t> FWritesAllowed; // no limit when empty
    bool FRefuseKeyCreation = false;
};

} // namespace vanto::sim
