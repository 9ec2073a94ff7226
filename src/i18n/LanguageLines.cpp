#include "i18n/LanguageLines.h"

#include <algorithm>

namespace vanto {

namespace {

constexpr std::u16string_view LINE_END = u"\r\n";

std::u16string WholeLine(const TLanguageLine& ALine) {
    return ALine.FName + u"=" + ALine.FValue;
}

} // namespace

std::vector<std::u16string> SplitTextLines(std::u16string_view AText) {
    std::vector<std::u16string> Lines;
    while (!AText.empty()) {
        const std::size_t End = AText.find(LINE_END);
        if (End == std::u16string_view::npos) {
            Lines.emplace_back(AText);
            break;
        }
        Lines.emplace_back(AText.substr(0, End));
        AText.remove_prefix(End + LINE_END.size());
    }
    return Lines;
}

std::u16string JoinTextLines(const std::vector<std::u16string>& ALines) {
    std::u16string Text;
    for (const std::u16string& Line : ALines) {
        Text += Line;
        Text += LINE_END;
    }
    return Text;
}

std::optional<TLanguageLines> ParseLanguageLines(std::u16string_view AText) {
    TLanguageLines Lines;
    for (const std::u16string& Line : SplitTextLines(AText)) {
        const std::size_t Equals = Line.find(u'=');
        if (Equals == std::u16string::npos) {
            return std::nullopt;
        }
        Lines.push_back({Line.substr(0, Equals), Line.substr(Equals + 1)});
    }
    return Lines;
}

std::u16string LanguageLinesText(const TLanguageLines& ALines) {
    std::vector<std::u16string> Lines;
    Lines.reserve(ALines.size());
    for (const TLanguageLine& Line : ALines) {
        Lines.push_back(WholeLine(Line));
    }
    return JoinTextLines(Lines);
}

void SortLanguageLines(TLanguageLines& ALines) {
    std::stable_sort(
        ALines.begin(), ALines.end(),
        [](const TLanguageLine& A, const TLanguageLine& B) { return WholeLine(A) < WholeLine(B); });
}

} // namespace vanto
