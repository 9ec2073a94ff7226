#include "keys/KeyLookupFormat.h"

#include "keys/uiKeyCode.h"

#include <array>
#include <charconv>

namespace vanto {

namespace {

constexpr char HEX_DIGITS[] = "0123456789abcdef";

void AppendEscaped(std::string& AOut, char16_t AChar) {
    if (AChar == u'"' || AChar == u'\\') {
        AOut += '\\';
        AOut += static_cast<char>(AChar);
    } else if (AChar >= 0x20 && AChar < 0x7F) {
        AOut += static_cast<char>(AChar);
    } else {
        AOut += "\\u";
        for (int Shift = 12; Shift >= 0; Shift -= 4) {
            AOut += HEX_DIGITS[(AChar >> Shift) & 0xF];
        }
    }
}

std::string HexAtLeastTwoDigits(std::int32_t AValue) {
    std::array<char, 16> Buffer{};
    const auto Result = std::to_chars(Buffer.data(), Buffer.data() + Buffer.size(), AValue, 16);
    std::string Digits(Buffer.data(), Result.ptr);
    return Digits.size() < 2 ? std::string(2 - Digits.size(), '0') + Digits : Digits;
}

} // namespace

std::string EscapeForPrinting(std::u16string_view AText) {
    std::string Out;
    Out.reserve(AText.size());
    for (char16_t C : AText) {
        AppendEscaped(Out, C);
    }
    return Out;
}

std::string FormatKeyLookup(std::uint16_t AVirtualKey, std::uint16_t AExtended) {
    return "description=\"" + EscapeForPrinting(GetKeyDescription(AVirtualKey, AExtended)) +
           "\" hid=0x" + HexAtLeastTwoDigits(GetKeyHIDCode(AVirtualKey, AExtended));
}

} // namespace vanto
