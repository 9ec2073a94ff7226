#pragma once

#include "shared/pubunit_quorvin.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vanto {

// Factory contents of the stored records. Each sets only the fields it names (and clears only
// the regions it names), so a reset of a loaded record keeps everything else.

// AProfileFolder: the Documents folder followed by "Vanto Gaming Mouse", without a trailing '\'.
void RestoreSettingGroupDefaults(TProfileSettingGroup& AGroup, std::u16string_view AProfileFolder);
// ASystemLangID: the system's default language identifier.
void RestoreAllSettingDefaults(TALLGAMESINFO& AAll, std::uint16_t ASystemLangID);
// ANow: the local date-time stamp; AMacroName: the factory macro's name in the interface language.
void RestoreGameProfileDefaults(TMouseProfileInfo& AProfile, double ANow,
                                std::u16string_view AMacroName);
void RestoreTestProfileDefaults(TMouseProfileInfo& AProfile, double ANow);

// The four CPI levels 1000, 2000, 4000 and AFourthLevel, level 1 current, levels 4..9 cleared.
void SetCpiLevels(TMOUSECONFIGINFO& AConfig, std::uint16_t AFourthLevel,
                  std::uint16_t AUseDifferentXY);
// Report rate 500 Hz and a blue light.
void SetReportRateAndLight(TMOUSECONFIGINFO& AConfig);

// The name of the factory macro: the translation when it fits the name field, else the text.
std::u16string FactoryMacroName(std::u16string_view ATranslated);

} // namespace vanto
