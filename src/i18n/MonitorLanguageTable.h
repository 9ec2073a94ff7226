#pragma once

#include <cstdint>
#include <span>

namespace vanto {

// The monitor's own texts in the stored format, generated at build time from
// MonitorLanguageTable.txt; the language component merges them into its languages.
std::span<const std::uint8_t> MonitorLanguageTable();

} // namespace vanto
