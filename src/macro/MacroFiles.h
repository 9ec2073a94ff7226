#pragma once

// Helpers of the macro files (TuiMacroClass::SaveMacroKeyInfoListToMacroFiles and friends).

#include <string>
#include <string_view>

namespace vanto {

inline constexpr std::u16string_view MACRO_FILE_SUFFIX = u".macro";

// True when "<AMacroName>.macro" names a file directly inside a folder: not empty, not "." or
// "..", and without a folder separator.
bool IsUsableMacroFileName(std::u16string_view AMacroName);

} // namespace vanto
