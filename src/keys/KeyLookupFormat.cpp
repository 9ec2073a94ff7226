#include "keys/KeyLookupFormat.h"

#include "keys/uiKeyCode.h"

#include <array>
#include <charconv>

namespace vanto {

namespace {

std::string HexAtLeastTwoDigits(std::int32_t AValue) {
    std::array<char, 16> Buffer{};
    const auto Result = std::to_chars(Buffer.data(), Buffer.data() + Buffer.size(), AValue, 16);
    std::string Digits(Buffer.data(), Result.ptr);
    return Digits.size() < 2 ? std::string(2 - Digits.size(), '0') + Digits : Digits;
}

} // namespace

std::string FormatKeyLookup(std::uint16_t AVirtualKey, std::uint16_t AExtended) {
    return "description=\"" + EscapeForPrinting(GetKeyDescription(AVirtualKey, AExtended)) +
           "\" hid=0x" + HexAtLeastTwoDigits(GetKeyHIDCode(AVirtualKey, AExtended));
}

} // namespace vanto
