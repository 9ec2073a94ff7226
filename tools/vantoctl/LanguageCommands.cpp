#include "LanguageCommands.h"

#include "Utf8Text.h"
#include "VantoCtl.h"
#include "WholeFile.h"
#include "i18n/CarriedLanguageTable.h"
#include "i18n/LanguageTableFormat.h"
#include "i18n/Translate.h"
#include "platform/Utf16.h"

#include <locale>
#include <optional>
#include <string>
#include <vector>

namespace vanto::ctl {

namespace {

constexpr std::string_view USAGE = "usage: vantoctl translate [--lang ID] TEXT... | table [FILE]";
// Far beyond any translation table; a bigger file is not one and is not read.
constexpr std::uintmax_t LARGEST_TABLE_FILE = 16 * 1024 * 1024;

int UsageError(std::ostream& AErr, std::string_view AProblem) {
    AErr << "vantoctl: " << AProblem << "\n" << USAGE << "\n";
    return EXIT_USAGE;
}

std::string UnitEscape(char16_t AUnit) {
    static constexpr char HEX[] = "0123456789abcdef";
    std::string Escape = "\\u";
    for (int Shift = 12; Shift >= 0; Shift -= 4) {
        Escape += HEX[(AUnit >> Shift) & 0xF];
    }
    return Escape;
}

std::string ControlEscape(char16_t AUnit) {
    switch (AUnit) {
    case u'\r':
        return "\\r";
    case u'\n':
        return "\\n";
    case u'\t':
        return "\\t";
    default:
        return UnitEscape(AUnit);
    }
}

// In double quotes, escaped as LanguageTable.txt is: quotes, backslashes and control
// characters escaped, the rest as UTF-8, a lone surrogate as \uXXXX.
std::string Quoted(std::u16string_view AText) {
    std::string Out = "\"";
    std::u16string Plain;
    const auto Flush = [&] {
        Out += ToUtf8(Plain);
        Plain.clear();
    };
    for (std::size_t I = 0; I < AText.size(); ++I) {
        const char16_t Unit = AText[I];
        if (Unit == u'"' || Unit == u'\\') {
            Flush();
            Out += '\\';
            Out += static_cast<char>(Unit);
        } else if (Unit < 0x20) {
            Flush();
            Out += ControlEscape(Unit);
        } else if (IsLoneSurrogateAt(AText, I)) {
            Flush();
            Out += UnitEscape(Unit);
        } else {
            Plain += Unit;
        }
    }
    Flush();
    return Out + "\"";
}

std::optional<TLanguageTable> CarriedTable() {
    return ReadLanguageTable(CarriedLanguageTable());
}

std::string LanguageIds(const TLanguageTable& ATable) {
    std::string Ids;
    for (const TLanguageResource& Language : ATable.FLanguages) {
        Ids += (Ids.empty() ? "" : ", ") + ToUtf8(Language.FId);
    }
    return Ids;
}

// Prints the texts with ALanguage's lines active, or with no table when there is none.
void PrintTranslations(const std::vector<std::u16string>& ATexts,
                       const TLanguageResource* ALanguage, std::ostream& AOut) {
    if (ALanguage != nullptr) {
        TLanguageLines Lines = ALanguage->FLines;
        SortLanguageLines(Lines);
        InstallActiveLanguageTable(Lines);
    }
    for (const std::u16string& Text : ATexts) {
        AOut << ToUtf8(Translate(Text)) << "\n";
    }
    if (ALanguage != nullptr) {
        RemoveActiveLanguageTable();
    }
}

void PrintTable(const TLanguageTable& ATable, std::ostream& AOut) {
    AOut << "source\n";
    for (const std::u16string& Source : ATable.FSourceStrings) {
        AOut << "  " << Quoted(Source) << "\n";
    }
    for (const TLanguageResource& Language : ATable.FLanguages) {
        AOut << "\nlanguage " << Quoted(Language.FId) << "\n";
        for (const TLanguageLine& Line : Language.FLines) {
            AOut << "  " << Quoted(Line.FName) << " = " << Quoted(Line.FValue) << "\n";
        }
    }
}

} // namespace

int RunTranslateCommand(std::span<const std::string_view> AArgs, std::ostream& AOut,
                        std::ostream& AErr) {
    const std::optional<TLanguageTable> Table = CarriedTable();
    if (!Table) {
        AErr << "vantoctl: the carried translation table does not read\n";
        return EXIT_FAILED;
    }
    const TLanguageResource* Language = nullptr;
    if (!AArgs.empty() && AArgs[0] == "--lang") {
        if (AArgs.size() < 2) {
            return UsageError(AErr, "--lang needs a language id");
        }
        const std::optional<std::u16string> Id = FromUtf8(AArgs[1]);
        const int Index = Id ? IndexOfLanguage(Table->FLanguages, *Id) : -1;
        if (Index < 0 && AArgs[1] != "en") {
            return UsageError(AErr, "no language '" + std::string(AArgs[1]) +
                                        "' in the carried table (" + LanguageIds(*Table) +
                                        ", or en for none)");
        }
        Language = Index < 0 ? nullptr : &Table->FLanguages[static_cast<std::size_t>(Index)];
        AArgs = AArgs.subspan(2);
    }
    if (AArgs.empty()) {
        return UsageError(AErr, "translate needs at least one text");
    }
    std::vector<std::u16string> Texts;
    for (std::string_view Arg : AArgs) {
        std::optional<std::u16string> Text = FromUtf8(Arg);
        if (!Text) {
            return UsageError(AErr, "a text is not UTF-8");
        }
        Texts.push_back(std::move(*Text));
    }
    PrintTranslations(Texts, Language, AOut);
    return EXIT_DONE;
}

int RunTableCommand(std::span<const std::string_view> AArgs, std::ostream& AOut,
                    std::ostream& AErr) {
    if (AArgs.size() > 1) {
        return UsageError(AErr, "table takes at most one file");
    }
    if (AArgs.empty()) {
        const std::optional<TLanguageTable> Table = CarriedTable();
        if (!Table) {
            AErr << "vantoctl: the carried translation table does not read\n";
            return EXIT_FAILED;
        }
        PrintTable(*Table, AOut);
        return EXIT_DONE;
    }
    const std::string File(AArgs[0]);
    std::string Reason;
    const std::optional<std::vector<std::uint8_t>> Bytes =
        ReadWholeFile(File, AtMost(LARGEST_TABLE_FILE), Reason);
    if (!Bytes) {
        AErr << "vantoctl: " << File << ": cannot read (or it is larger than 16 MiB)\n";
        return EXIT_FAILED;
    }
    const std::optional<TLanguageTable> Table = ReadLanguageTable(*Bytes);
    if (!Table) {
        AErr
            << "vantoctl: " << File
            << ": this is not a translation table: a length, count or line of it is out of place\n";
        return EXIT_FAILED;
    }
    PrintTable(*Table, AOut);
    return EXIT_DONE;
}

} // namespace vanto::ctl
