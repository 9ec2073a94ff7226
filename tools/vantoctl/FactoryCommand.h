#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vanto::ctl {

struct TFactoryOptions {
    std::u16string FDocumentsFolder; // for the setting group's profile folder
    std::uint16_t FSystemLangID = 0x0409;
    double FNow = 0; // the creation stamp of profiles
};

// The factory record of a kind ("game", "test", "group", "settings") as raw bytes, built from a
// zero blob as at a first run; nothing for an unknown kind.
std::optional<std::vector<std::uint8_t>> BuildFactoryRecord(std::string_view AKind,
                                                            const TFactoryOptions& AOptions);

// The local date-time as profiles store it: days since 1899-12-30.
double LocalDateTimeNow();

} // namespace vanto::ctl
