#include "i18n/Translate.h"

#include "i18n/TranslatedWindow.h"

#include <optional>

namespace vanto {

namespace {

// Process-wide, as the texts it translates are; used from the main thread only.
struct TActiveLanguageTable {
    std::optional<TLanguageLines> FLines;
    bool FReverse = false;
    const void* FInstaller = nullptr;
};

TActiveLanguageTable& Active() {
    static TActiveLanguageTable Table;
    return Table;
}

std::u16string Forward(const TLanguageLines& ALines, std::u16string_view AText) {
    for (const TLanguageLine& Line : ALines) {
        if (Line.FName == AText) {
            return Line.FValue.empty() ? std::u16string(AText) : Line.FValue;
        }
    }
    return std::u16string(AText);
}

std::u16string Reverse(const TLanguageLines& ALines, std::u16string_view AText) {
    for (const TLanguageLine& Line : ALines) {
        if (Line.FValue == AText) {
            return Line.FName;
        }
    }
    return std::u16string(AText);
}

// Windows that show translations turn them back into their source strings while the old table
// is still there to look them up in; then the table goes.
void TakeBackTranslations() {
    TActiveLanguageTable& Table = Active();
    if (!Table.FLines) {
        return;
    }
    Table.FReverse = true;
    ReapplyAllWindowTexts();
    Table = TActiveLanguageTable{};
}

} // namespace

std::u16string Translate(std::u16string_view AText) {
    const TActiveLanguageTable& Table = Active();
    if (AText.empty() || !Table.FLines) {
        return std::u16string(AText);
    }
    return Table.FReverse ? Reverse(*Table.FLines, AText) : Forward(*Table.FLines, AText);
}

bool HasActiveLanguageTable() {
    return Active().FLines.has_value();
}

void InstallActiveLanguageTable(const TLanguageLines& ALines, const void* AInstaller) {
    // Copied before the old table goes: ALines may be that very table.
    TLanguageLines Copy = ALines;
    TakeBackTranslations();
    Active().FLines = std::move(Copy);
    Active().FInstaller = AInstaller;
    ReapplyAllWindowTexts();
}

void RemoveActiveLanguageTable() {
    if (!HasActiveLanguageTable()) {
        return;
    }
    TakeBackTranslations();
    // Windows that keep their source strings set them once more, now without any table.
    ReapplyAllWindowTexts();
}

void RemoveActiveLanguageTableOf(const void* AInstaller) {
    if (HasActiveLanguageTable() && Active().FInstaller == AInstaller) {
        RemoveActiveLanguageTable();
    }
}

} // namespace vanto
