#pragma once

#include <cstdint>
#include <span>

namespace vanto {

// The translation table the monitor carries, in the stored format: the bytes the main form's
// language component reads as its stored table. Generated at build time from
// LanguageTable.txt.
std::span<const std::uint8_t> CarriedLanguageTable();

} // namespace vanto
