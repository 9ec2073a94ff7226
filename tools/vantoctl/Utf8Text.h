#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace vanto::ctl {

// Conversions through the standard library's UTF-8 facet. Nothing when the bytes are not UTF-8.
std::optional<std::u16string> FromUtf8(std::string_view AText);
// AText holds no lone surrogate: those cannot be written in UTF-8.
std::string ToUtf8(std::u16string_view AText);
// A file named on the command line. Arguments are UTF-8 on every system (main makes them so on
// Windows), while a path built from plain chars reads them in Windows' ANSI code page.
std::filesystem::path PathFromUtf8(std::string_view AText);

} // namespace vanto::ctl
