#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vanto {

// Printable ASCII as it is, '"' and '\' escaped, everything else as a lower-case \uXXXX
// escape, so the result prints the same whatever the console's code page.
std::string EscapeForPrinting(std::u16string_view AText);

// One lookup as the line `description="..." hid=0x..` (no line end), the hid value in at least
// two lower-case hex digits.
std::string FormatKeyLookup(std::uint16_t AVirtualKey, std::uint16_t AExtended);

} // namespace vanto
