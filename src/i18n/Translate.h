#pragma once

#include "i18n/LanguageLines.h"

#include <string>
#include <string_view>

namespace vanto {

// Maps an English source text to the active language (the ActiveLanguageTable): the value of
// the first line whose name is the text, case and all. Without an active table, without such a
// line, or for a line with an empty value, the text comes back as it is; an empty text stays
// empty. While a table is being removed the lookup runs the other way, from a translation back
// to its source string, so that windows showing translations can go back to their sources.
std::u16string Translate(std::u16string_view AText);

bool HasActiveLanguageTable();

// Puts a copy of ALines in place as the ActiveLanguageTable; lines are looked up in the order
// given. A table already active is removed first. Every registered window re-applies its texts
// after each step. AInstaller only marks who installed it (see RemoveActiveLanguageTableOf).
void InstallActiveLanguageTable(const TLanguageLines& ALines, const void* AInstaller = nullptr);

// Windows go back to their source strings through the reverse lookup, then the table is
// dropped. Nothing happens without an active table.
void RemoveActiveLanguageTable();

// Removes the active table only if AInstaller installed it.
void RemoveActiveLanguageTableOf(const void* AInstaller);

} // namespace vanto
