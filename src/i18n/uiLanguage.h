#pragma once

#include "i18n/LanguageForm.h"
#include "i18n/LanguageTableFormat.h"
#include "platform/FileSystem.h"
#include "platform/Locale.h"
#include "platform/Shell.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vanto {

// The file beside the executable whose languages come before the carried ones.
inline constexpr char16_t LOCAL_LANGUAGE_FILE_NAME[] = u"ui.local";
// The carried table is 15 KB; a file of many languages stays far below this.
inline constexpr std::uint64_t LOCAL_LANGUAGE_FILE_LIMIT = 1024 * 1024;

struct TuiLanguageServices {
    platform::ILocale& FLocale;
    platform::IShell& FShell;
    platform::IFileSystem& FFiles;
};

// The translation component: it holds the table of all languages, selects the active one and
// has the forms registered with it translated again. Main thread only.
class TuiLanguage {
public:
    using TLanguageChangedEvent =
        std::function<void(TuiLanguage& AComponent, const std::u16string& LanguageShortID,
                           const std::u16string& LanguageLongName)>;
    using TCustomTranslateEvent =
        std::function<void(const TFormComponent& AComponent, const std::u16string& BaseName)>;

    // Creation, then the languages of "ui.local" beside the executable, then AResourcesBin (the
    // table stored with the owner), then the selection after loading. AOwner, when given, is
    // registered with the language components until the component goes. AOwnTexts (same
    // format) are the monitor's own texts, merged into the languages of the same id.
    TuiLanguage(const TuiLanguageServices& AServices, TLanguageForm* AOwner,
                std::span<const std::uint8_t> AResourcesBin,
                std::span<const std::uint8_t> AOwnTexts = {});
    // A table this component installed goes with it, so no text is looked up in it afterwards.
    ~TuiLanguage();
    TuiLanguage(const TuiLanguage&) = delete;
    TuiLanguage& operator=(const TuiLanguage&) = delete;

    // The selected language id; empty until the first selection.
    const std::u16string& Lang() const { return FLanguageName; }
    void SetLang(const std::u16string& AValue);

    int GetLanguageIndexByShortID(std::u16string_view AId) const;
    std::u16string GetLanguageShortIDByIndex(int AIndex) const;
    // Native language names by four-hex-digit language identifier ("0409"); empty if unknown.
    std::u16string GetLanguageLongNameByLangID(std::u16string_view ALangID) const;
    // The same lookup, keyed the same way, so a two-letter id such as "CH" finds nothing.
    std::u16string GetLanguageLongNameByShortID(std::u16string_view AId) const;
    // The system default language identifier as four upper-case hex digits ("0804").
    std::u16string GetOSDefaultLang() const;

    bool AutoSelect() const { return FAutoSelect; }
    // True selects the language whose id is the system's two-letter language code.
    void SetAutoSelect(bool AValue);
    // Forms registered with language components in the process.
    static int uiParentFormCount();
    const std::vector<std::u16string>& SpecialClassName() const {
        return FTranslateSpecialClassList;
    }
    const std::vector<std::u16string>& CustomClassList() const { return FTranslateCustomClassList; }
    void SetCustomClassList(const std::vector<std::u16string>& ANames) {
        FTranslateCustomClassList = ANames;
    }
    bool Active() const { return FActive; }
    void SetActive(bool AValue) { FActive = AValue; }
    bool ActiveLoadFromFile() const { return FActiveLoadFromFile; }
    void SetActiveLoadFromFile(bool AValue) { FActiveLoadFromFile = AValue; }

    // Appends the languages of a file in the stored format and replaces the source strings;
    // false, changing nothing, when the file is missing or does not read cleanly.
    bool LoadFromFile(const std::u16string& AFileName);
    bool SaveToFile(const std::u16string& AFileName) const;

    // The language list in its order, each language's lines sorted; the sorted source strings.
    const std::vector<TLanguageResource>& Languages() const { return FResources; }
    const std::vector<std::u16string>& SourceStrings() const { return FOriginal; }
    // The language selected on the base: the system's code after loading, then each SetLang.
    const std::u16string& BaseLang() const { return FLang; }

    TCustomTranslateEvent OnCustomTranslate;
    TLanguageChangedEvent OnLanguageChanged;

private:
    const std::map<std::u16string, std::u16string>& LocaleNames() const;
    void LoadLocalFile();
    // The table's source strings replace the component's; its languages are appended.
    bool AppendTable(std::span<const std::uint8_t> ABytes);
    void AppendTable(TLanguageTable ATable);
    void MergeOwnTexts(std::span<const std::uint8_t> ABytes);
    void Loaded();
    std::u16string SystemLanguageCode() const;
    void TranslateForm(TLanguageForm& AForm);
    void TranslateProperties(TFormComponent& AComponent);

    TuiLanguageServices FServices;
    TLanguageForm* FOwner;
    std::u16string FLang;
    std::vector<TLanguageResource> FResources;
    std::vector<std::u16string> FOriginal;
    std::u16string FLanguageName;
    std::vector<std::u16string> FTranslatePropertyList;
    std::vector<std::u16string> FTranslateSpecialClassList;
    std::vector<std::u16string> FTranslateCustomClassList;
    // Keyed by the language identifier in upper case; both long-name lookups read it. Listing
    // the system's locales is slow and only a long-name lookup needs them, so the first one
    // builds the table rather than start-up.
    mutable std::optional<std::map<std::u16string, std::u16string>> FLocaleNames;
    bool FActive = false;
    bool FAutoSelect = false;
    bool FActiveLoadFromFile = false;
};

} // namespace vanto
