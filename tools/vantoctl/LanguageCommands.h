#pragma once

#include <ostream>
#include <span>
#include <string_view>

namespace vanto::ctl {

// vantoctl translate [--lang ID] TEXT...; AArgs are the words after "translate".
// Prints each TEXT through the monitor's translation, one a line, with the carried table's
// language ID active (upper and lower case alike; "en" or no --lang: no table, as the monitor
// has before a language is chosen).
int RunTranslateCommand(std::span<const std::string_view> AArgs, std::ostream& AOut,
                        std::ostream& AErr);

// vantoctl table [FILE]: a translation table in the stored format (the carried one without
// FILE, or a "ui.local"), printed as LanguageTable.txt writes it: the source strings, then each
// language's id and lines, every text quoted.
int RunTableCommand(std::span<const std::string_view> AArgs, std::ostream& AOut,
                    std::ostream& AErr);

} // namespace vanto::ctl
