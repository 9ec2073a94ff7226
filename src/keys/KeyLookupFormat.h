#pragma once

#include "platform/Utf16.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vanto {

// One lookup as the line `description="..." hid=0x..` (no line end), the hid value in at least
// two lower-case hex digits.
std::string FormatKeyLookup(std::uint16_t AVirtualKey, std::uint16_t AExtended);

} // namespace vanto
