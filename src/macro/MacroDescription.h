#pragma once

// Macros in words, for people reading them on a console ("vantoctl macro FILE.macro").

#include "shared/pubunit_quorvin.h"

#include <string>
#include <string_view>

namespace vanto {

// One step: "left button down", "wheel up 1", "delay 200 ms", "key 0x41 up",
// "media key 0x00E9 down", "loop 3".
std::string DescribeMacroStep(const TMACROKEY& AStep);

// The name, the counters and then one step a line, numbered from 0.
std::string DescribeMacro(const TMACROKEYINFO& AMacroKeyInfo);

// Printable ASCII as it is, a backslash doubled, every other UTF-16 unit as \uXXXX.
std::string EscapedText(std::u16string_view AText);

} // namespace vanto
