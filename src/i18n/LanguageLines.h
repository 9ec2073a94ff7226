#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vanto {

// One line of a language: the source string before the line's first "=", its translation after
// it. Leading spaces belong to both.
struct TLanguageLine {
    std::u16string FName;
    std::u16string FValue;
    friend bool operator==(const TLanguageLine&, const TLanguageLine&) = default;
};

using TLanguageLines = std::vector<TLanguageLine>;

// The lines of a text in which each line ends with CR LF. Text after the last CR LF is a line
// of its own, as a text list reads it.
std::vector<std::u16string> SplitTextLines(std::u16string_view AText);
// Each line followed by CR LF.
std::u16string JoinTextLines(const std::vector<std::u16string>& ALines);

// Nothing when a line has no "=": such a text is not a language's lines.
std::optional<TLanguageLines> ParseLanguageLines(std::u16string_view AText);
std::u16string LanguageLinesText(const TLanguageLines& ALines);

// The order a language holds its lines in: by the whole line, code unit by code unit, so upper
// and lower case differ. Lines with the same name keep the order of their values.
void SortLanguageLines(TLanguageLines& ALines);

} // namespace vanto
