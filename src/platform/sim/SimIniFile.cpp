#include "platform/sim/SimIniFile.h"

#include "platform/Utf16.h"

#include <filesystem>
#include <string>

namespace vanto::sim {

namespace {

std::u16string_view Trim(std::u16string_view AText) {
    auto IsBlank = [](char16_t C) { return C == u' ' || C == u'\t' || C == u'\r'; };
    while (!AText.empty() && IsBlank(AText.front())) {
        AText.remove_prefix(1);
    }
    while (!AText.empty() && IsBlank(AText.back())) {
        AText.remove_suffix(1);
    }
    return AText;
}

// Calls AOnPair for every key line of the section, in file order.
template <typename TOnPair>
void ForEachPair(std::u16string_view AText, std::u16string_view ASection, TOnPair AOnPair) {
    bool InSection = false;
    while (!AText.empty()) {
        std::size_t End = AText.find(u'\n');
        std::u16string_view Line = Trim(AText.substr(0, End));
        AText = End == std::u16string_view::npos ? std::u16string_view{} : AText.substr(End + 1);
        if (Line.empty() || Line.front() == u';') {
            continue;
        }
        if (Line.front() == u'[') {
            std::size_t Close = Line.find(u']');
            InSection = Close != std::u16string_view::npos &&
                        SameTextIgnoringCase(Trim(Line.substr(1, Close - 1)), ASection);
            continue;
        }
        std::size_t Equals = Line.find(u'=');
        if (InSection && Equals != std::u16string_view::npos) {
            AOnPair(Trim(Line.substr(0, Equals)), Trim(Line.substr(Equals + 1)));
        }
    }
}

} // namespace

std::optional<std::u16string> TSimIniFile::ReadText(const std::u16string& AFile) {
    auto Bytes = FFiles.ReadWholeFile(AFile);
    if (!Bytes) {
        return std::nullopt;
    }
    if (Bytes->size() >= 2 && (*Bytes)[0] == 0xFF && (*Bytes)[1] == 0xFE) {
        std::u16string Text((Bytes->size() - 2) / 2, u'\0');
        for (std::size_t I = 0; I < Text.size(); ++I) {
            Text[I] = static_cast<char16_t>((*Bytes)[2 + 2 * I] | (*Bytes)[3 + 2 * I] << 8);
        }
        return Text;
    }
    std::size_t Skip =
        Bytes->size() >= 3 && (*Bytes)[0] == 0xEF && (*Bytes)[1] == 0xBB && (*Bytes)[2] == 0xBF ? 3
                                                                                                : 0;
    std::string Utf8(Bytes->begin() + static_cast<std::ptrdiff_t>(Skip), Bytes->end());
    // The standard library converts UTF-8 to UTF-16 through a path; invalid text gives up.
    try {
        return std::filesystem::path(std::u8string(Utf8.begin(), Utf8.end())).u16string();
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::u16string TSimIniFile::ReadString(const std::u16string& AFile, const std::u16string& ASection,
                                       const std::u16string& AKey, const std::u16string& ADefault) {
    auto Text = ReadText(AFile);
    if (!Text) {
        return ADefault;
    }
    std::optional<std::u16string> Found;
    ForEachPair(*Text, ASection, [&](std::u16string_view AName, std::u16string_view AValue) {
        if (!Found && SameTextIgnoringCase(AName, AKey)) {
            Found = std::u16string(AValue);
        }
    });
    return Found.value_or(ADefault);
}

int TSimIniFile::ReadInteger(const std::u16string& AFile, const std::u16string& ASection,
                             const std::u16string& AKey, int ADefault) {
    std::u16string Text = ReadString(AFile, ASection, AKey, u"");
    // Like GetPrivateProfileIntW: leading decimal digits, an optional '-', else the default.
    std::size_t Pos = 0;
    bool Negative = !Text.empty() && Text[0] == u'-';
    Pos += Negative ? 1 : 0;
    if (Pos >= Text.size() || Text[Pos] < u'0' || Text[Pos] > u'9') {
        return ADefault;
    }
    long long Value = 0;
    for (; Pos < Text.size() && Text[Pos] >= u'0' && Text[Pos] <= u'9'; ++Pos) {
        Value = Value * 10 + (Text[Pos] - u'0');
        if (Value > 0xFFFFFFFFLL) {
            Value = 0xFFFFFFFFLL; // saturate rather than overflow
        }
    }
    return static_cast<int>(static_cast<std::uint32_t>(Negative ? -Value : Value));
}

platform::TIniPairs TSimIniFile::ReadSection(const std::u16string& AFile,
                                             const std::u16string& ASection) {
    platform::TIniPairs Pairs;
    if (auto Text = ReadText(AFile)) {
        ForEachPair(*Text, ASection, [&](std::u16string_view AName, std::u16string_view AValue) {
            Pairs.emplace_back(AName, AValue);
        });
    }
    return Pairs;
}

} // namespace vanto::sim
