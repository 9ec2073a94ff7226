#pragma once

// The records another program stores for the monitor, read from fuzz input: each one is absent,
// of the wrong type, the factory record, the factory record with bytes changed (at the fields
// that steer the monitor, or anywhere), cut or grown to any size, or bytes of its own.

#include "FuzzSupport.h"
#include "platform/FileSystem.h"
#include "platform/sim/SimRegistry.h"
#include "shared/pubunit_quorvin.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace vanto::fuzz {

// Factory contents of each record, made the way a fresh monitor makes them.
struct TFactoryRecords {
    std::vector<std::uint8_t> FSettingGroup;
    std::vector<std::uint8_t> FAllSettings;
    std::vector<std::uint8_t> FGameProfile;
    std::vector<std::uint8_t> FMacro;
};
const TFactoryRecords& FactoryRecords();

enum class TRecordKind { SettingGroup, AllSettings, GameProfile, Macro };

// One stored value as the input describes it; nothing when it is absent.
std::optional<platform::TRegValue> ReadStoredRecord(TFuzzInput& AInput, TRecordKind AKind);

// Just the bytes: a record as a file holds it (a wrong type becomes its bytes).
std::vector<std::uint8_t> ReadRecordBytes(TFuzzInput& AInput, TRecordKind AKind);

// Stores the shared key's values (setting group, all settings, last recording) and the five game
// profiles, each where the stored setting group says it lives: a registry value or a file.
void StoreRecords(TFuzzInput& AInput, sim::TSimRegistry& ARegistry, platform::IFileSystem& AFiles);

} // namespace vanto::fuzz
