#pragma once

#include <string>
#include <string_view>

namespace vanto::win32 {

// Both are UTF-16 code units on Windows, so the text crosses the API boundary as it is.
static_assert(sizeof(wchar_t) == sizeof(char16_t));

inline const wchar_t* AsWide(const std::u16string& AText) {
    return reinterpret_cast<const wchar_t*>(AText.c_str());
}

inline std::u16string FromWide(std::wstring_view AText) {
    return {reinterpret_cast<const char16_t*>(AText.data()), AText.size()};
}

} // namespace vanto::win32
