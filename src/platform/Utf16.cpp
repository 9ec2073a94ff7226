#include "platform/Utf16.h"

#include <string>

namespace vanto {

std::u16string AsciiToUtf16(std::string_view AText) {
    std::u16string Result;
    Result.reserve(AText.size());
    for (char C : AText) {
        Result.push_back(static_cast<char16_t>(static_cast<unsigned char>(C)));
    }
    return Result;
}

std::u16string DecimalToUtf16(long long AValue) {
    return AsciiToUtf16(std::to_string(AValue));
}

std::string EscapeForPrinting(std::u16string_view AText) {
    static constexpr char HexDigits[] = "0123456789abcdef";
    std::string Out;
    Out.reserve(AText.size());
    for (char16_t C : AText) {
        if (C == u'"' || C == u'\\') {
            Out += '\\';
            Out += static_cast<char>(C);
        } else if (C >= 0x20 && C < 0x7F) {
            Out += static_cast<char>(C);
        } else {
            Out += "\\u";
            for (int Shift = 12; Shift >= 0; Shift -= 4) {
                Out += HexDigits[(C >> Shift) & 0xF];
            }
        }
    }
    return Out;
}

char16_t UpperCaseOf(char16_t AChar) {
    return (AChar >= u'a' && AChar <= u'z') ? static_cast<char16_t>(AChar - (u'a' - u'A')) : AChar;
}

char16_t LowerCaseOf(char16_t AChar) {
    return (AChar >= u'A' && AChar <= u'Z') ? static_cast<char16_t>(AChar + (u'a' - u'A')) : AChar;
}

bool IsHighSurrogate(char16_t AUnit) {
    return AUnit >= 0xD800 && AUnit <= 0xDBFF;
}

bool IsLowSurrogate(char16_t AUnit) {
    return AUnit >= 0xDC00 && AUnit <= 0xDFFF;
}

bool IsLoneSurrogateAt(std::u16string_view AText, std::size_t AAt) {
    const char16_t Unit = AText[AAt];
    if (IsHighSurrogate(Unit)) {
        return AAt + 1 >= AText.size() || !IsLowSurrogate(AText[AAt + 1]);
    }
    return IsLowSurrogate(Unit) && (AAt == 0 || !IsHighSurrogate(AText[AAt - 1]));
}

bool SameTextIgnoringCase(std::u16string_view A, std::u16string_view B) {
    if (A.size() != B.size()) {
        return false;
    }
    for (std::size_t I = 0; I < A.size(); ++I) {
        if (UpperCaseOf(A[I]) != UpperCaseOf(B[I])) {
            return false;
        }
    }
    return true;
}

} // namespace vanto
