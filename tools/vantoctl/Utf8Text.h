#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vanto::ctl {

// Conversions through the standard library's UTF-8 facet. Nothing when the bytes are not UTF-8.
std::optional<std::u16string> FromUtf8(std::string_view AText);
// AText holds no lone surrogate: those cannot be written in UTF-8.
std::string ToUtf8(std::u16string_view AText);

} // namespace vanto::ctl
