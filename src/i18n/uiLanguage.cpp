#include "i18n/uiLanguage.h"

#include "i18n/Translate.h"
#include "platform/Utf16.h"

#include <algorithm>
#include <cstdio>

namespace vanto {

namespace {

std::vector<TLanguageForm*>& RegisteredForms() {
    static std::vector<TLanguageForm*> Forms;
    return Forms;
}

bool ContainsName(const std::vector<std::u16string>& ANames, std::u16string_view AName) {
    return std::ranges::any_of(
        ANames, [&](const std::u16string& AEach) { return SameTextIgnoringCase(AEach, AName); });
}

std::u16string UpperCase(std::u16string_view AText) {
    std::u16string Upper(AText);
    std::ranges::transform(Upper, Upper.begin(), UpperCaseOf);
    return Upper;
}

} // namespace

TuiLanguage::TuiLanguage(const TuiLanguageServices& AServices, TLanguageForm* AOwner,
                         std::span<const std::uint8_t> AResourcesBin,
                         std::span<const std::uint8_t> AOwnTexts)
    : FServices(AServices), FOwner(AOwner), FTranslatePropertyList{u"Caption", u"Hint"},
      FTranslateSpecialClassList{u"TMenuItem", u"TTabControl", u"TTabSheet",   u"TListView",
                                 u"TTreeView", u"TStatusBar",  u"TComboBoxEx", u"TuiMenuEx"} {
    if (FOwner != nullptr) {
        RegisteredForms().push_back(FOwner);
    }
    LoadLocalFile();
    // The stored table comes after the file, so that a language of the file wins over a stored
    // one of the same id, and the file's languages count first.
    AppendTable(AResourcesBin);
    MergeOwnTexts(AOwnTexts);
    Loaded();
}

TuiLanguage::~TuiLanguage() {
    if (FOwner != nullptr) {
        auto& Forms = RegisteredForms();
        if (auto Found = std::ranges::find(Forms, FOwner); Found != Forms.end()) {
            Forms.erase(Found);
        }
    }
    RemoveActiveLanguageTableOf(this);
}

const std::map<std::u16string, std::u16string>& TuiLanguage::LocaleNames() const {
    if (!FLocaleNames) {
        FLocaleNames.emplace();
        for (const platform::TLocaleLanguage& Locale : FServices.FLocale.SupportedLocales()) {
            FLocaleNames->try_emplace(UpperCase(Locale.FLanguageId), Locale.FNativeLanguageName);
        }
    }
    return *FLocaleNames;
}

// A file that does not read cleanly is passed over as if it were not there: whoever put it
// there gets the carried languages rather than a monitor that stops.
void TuiLanguage::LoadLocalFile() {
    const std::u16string Path =
        FServices.FShell.ExecutableFolder() + u"\\" + LOCAL_LANGUAGE_FILE_NAME;
    // Anyone can drop this file: one far larger than any table is not even read.
    const std::optional<std::uint64_t> Size = FServices.FFiles.FileSize(Path);
    if (!Size || *Size > LOCAL_LANGUAGE_FILE_LIMIT) {
        return;
    }
    const std::optional<std::vector<std::uint8_t>> Bytes = FServices.FFiles.ReadWholeFile(Path);
    std::optional<TLanguageTable> Table = Bytes ? ReadLanguageTable(*Bytes) : std::nullopt;
    if (!Table) {
        return;
    }
    FResources.clear();
    AppendTable(std::move(*Table));
}

bool TuiLanguage::AppendTable(std::span<const std::uint8_t> ABytes) {
    std::optional<TLanguageTable> Table = ReadLanguageTable(ABytes);
    if (Table) {
        AppendTable(std::move(*Table));
    }
    return Table.has_value();
}

void TuiLanguage::AppendTable(TLanguageTable ATable) {
    FOriginal = std::move(ATable.FSourceStrings);
    std::ranges::sort(FOriginal);
    for (TLanguageResource& Language : ATable.FLanguages) {
        SortLanguageLines(Language.FLines);
        FResources.push_back(std::move(Language));
    }
}

// The carried table must stay as shipped, and a "ui.local" may carry the same languages, so the
// own texts join each language of their id as extra lines: a line the language already has for
// a text wins, and a language the own table does not know keeps showing the English text.
void TuiLanguage::MergeOwnTexts(std::span<const std::uint8_t> ABytes) {
    std::optional<TLanguageTable> Own = ABytes.empty() ? std::nullopt : ReadLanguageTable(ABytes);
    if (!Own) {
        return;
    }
    for (std::u16string& Source : Own->FSourceStrings) {
        if (!std::ranges::binary_search(FOriginal, Source)) {
            FOriginal.insert(std::ranges::upper_bound(FOriginal, Source), std::move(Source));
        }
    }
    for (const TLanguageResource& OwnLanguage : Own->FLanguages) {
        for (TLanguageResource& Language : FResources) {
            if (!SameTextIgnoringCase(Language.FId, OwnLanguage.FId)) {
                continue;
            }
            for (const TLanguageLine& Line : OwnLanguage.FLines) {
                if (std::ranges::none_of(Language.FLines, [&](const TLanguageLine& AHad) {
                        return AHad.FName == Line.FName;
                    })) {
                    Language.FLines.push_back(Line);
                }
            }
            SortLanguageLines(Language.FLines);
        }
    }
}

// The base selects automatically from its creation on: the system's language, if the table
// has it. Only the base's selection changes; Lang stays empty until the first SetLang.
void TuiLanguage::Loaded() {
    FLang = SystemLanguageCode();
    const int Index = GetLanguageIndexByShortID(FLang);
    if (!FLang.empty() && Index >= 0) {
        InstallActiveLanguageTable(FResources[static_cast<std::size_t>(Index)].FLines, this);
    }
}

std::u16string TuiLanguage::SystemLanguageCode() const {
    std::u16string Code = FServices.FLocale.UserDefaultAbbreviatedLanguageName().substr(0, 2);
    std::ranges::transform(Code, Code.begin(), LowerCaseOf);
    return Code;
}

void TuiLanguage::SetLang(const std::u16string& AValue) {
    FLang = AValue;
    if (AValue == u"en") {
        RemoveActiveLanguageTable();
    } else if (const int Index = GetLanguageIndexByShortID(AValue); Index >= 0) {
        InstallActiveLanguageTable(FResources[static_cast<std::size_t>(Index)].FLines, this);
    }
    FLanguageName = AValue;
    // A copy: a form may go or come while the forms translate.
    const std::vector<TLanguageForm*> Forms = RegisteredForms();
    for (TLanguageForm* Form : Forms) {
        TranslateForm(*Form);
    }
    if (OnLanguageChanged) {
        OnLanguageChanged(*this, AValue, GetLanguageLongNameByShortID(AValue));
    }
}

// The components of the monitor's forms own nothing further, so the walk is one level deep:
// no component is met twice and no base name grows beyond the form's.
void TuiLanguage::TranslateForm(TLanguageForm& AForm) {
    for (TFormComponent& Component : AForm.FComponents) {
        // The special classes (the tray menu's items here) have no other texts than these, so
        // they are translated like any other component even when also listed as custom.
        const bool Custom = !ContainsName(FTranslateSpecialClassList, Component.FClassName) &&
                            ContainsName(FTranslateCustomClassList, Component.FClassName);
        if (!Custom) {
            TranslateProperties(Component);
        } else if (OnCustomTranslate) {
            OnCustomTranslate(Component, AForm.FName);
        }
    }
}

void TuiLanguage::TranslateProperties(TFormComponent& AComponent) {
    for (const std::u16string& Property : FTranslatePropertyList) {
        const std::optional<std::u16string> Value =
            AComponent.FRead ? AComponent.FRead(Property) : std::nullopt;
        if (!Value || Value->empty()) {
            continue;
        }
        const std::u16string Translated = Translate(*Value);
        if (!Translated.empty() && AComponent.FWrite) {
            AComponent.FWrite(Property, Translated);
        }
    }
}

int TuiLanguage::GetLanguageIndexByShortID(std::u16string_view AId) const {
    return IndexOfLanguage(FResources, AId);
}

std::u16string TuiLanguage::GetLanguageShortIDByIndex(int AIndex) const {
    if (AIndex < 0 || static_cast<std::size_t>(AIndex) >= FResources.size()) {
        return {};
    }
    return FResources[static_cast<std::size_t>(AIndex)].FId;
}

std::u16string TuiLanguage::GetLanguageLongNameByLangID(std::u16string_view ALangID) const {
    const auto& Names = LocaleNames();
    const auto Found = Names.find(UpperCase(ALangID));
    return Found == Names.end() ? std::u16string() : Found->second;
}

std::u16string TuiLanguage::GetLanguageLongNameByShortID(std::u16string_view AId) const {
    return GetLanguageLongNameByLangID(AId);
}

std::u16string TuiLanguage::GetOSDefaultLang() const {
    char Digits[8];
    std::snprintf(Digits, sizeof Digits, "%04X",
                  static_cast<unsigned>(FServices.FLocale.SystemDefaultLangID()));
    return AsciiToUtf16(Digits);
}

void TuiLanguage::SetAutoSelect(bool AValue) {
    FAutoSelect = AValue;
    if (AValue) {
        SetLang(SystemLanguageCode());
    }
}

int TuiLanguage::uiParentFormCount() {
    return static_cast<int>(RegisteredForms().size());
}

bool TuiLanguage::LoadFromFile(const std::u16string& AFileName) {
    const std::optional<std::vector<std::uint8_t>> Bytes =
        FServices.FFiles.ReadWholeFile(AFileName);
    return Bytes && AppendTable(*Bytes);
}

bool TuiLanguage::SaveToFile(const std::u16string& AFileName) const {
    const std::vector<std::uint8_t> Bytes = WriteLanguageTable({FOriginal, FResources});
    return FServices.FFiles.WriteWholeFile(AFileName, Bytes.data(), Bytes.size());
}

} // namespace vanto
