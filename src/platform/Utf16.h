#pragma once

#include <string>
#include <string_view>

namespace vanto {

// ASCII-only helpers for texts the system itself writes (numbers, fixed captions).
std::u16string AsciiToUtf16(std::string_view AText);
std::u16string DecimalToUtf16(long long AValue);

// Printable ASCII as it is, '"' and '\' escaped, everything else as a lower-case \uXXXX
// escape, so the result prints the same whatever the console's code page.
std::string EscapeForPrinting(std::u16string_view AText);

// Case-insensitive comparison as the registry and the file system of Windows do it for the
// Latin letters; other characters compare as they are.
bool SameTextIgnoringCase(std::u16string_view A, std::u16string_view B);
char16_t UpperCaseOf(char16_t AChar);
char16_t LowerCaseOf(char16_t AChar);

// UTF-16 surrogates: a high one followed by a low one is one character; either half alone
// (a lone surrogate) is not text, though Windows takes it in names.
bool IsHighSurrogate(char16_t AUnit);
bool IsLowSurrogate(char16_t AUnit);
bool IsLoneSurrogateAt(std::u16string_view AText, std::size_t AAt);

} // namespace vanto
