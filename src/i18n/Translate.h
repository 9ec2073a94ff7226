#pragma once

#include <string>
#include <string_view>

namespace vanto {

// Maps an English source text to the active interface language; a text without a translation
// comes back as it is. No language table is active yet, so every text comes back unchanged.
std::u16string Translate(std::u16string_view AText);

} // namespace vanto
