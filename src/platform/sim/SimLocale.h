#pragma once

#include "platform/Locale.h"

#include <utility>

namespace vanto::sim {

// A simulated system: US English unless a test or scenario says otherwise. It supports a few
// locales of its own, enough for the names a language list shows.
class TSimLocale final : public platform::ILocale {
public:
    std::uint16_t SystemDefaultLangID() override { return FLangID; }
    std::uint32_t UserDefaultLCID() override { return FLCID; }
    std::vector<platform::TLocaleLanguage> SupportedLocales() override { return FLocales; }
    std::u16string UserDefaultAbbreviatedLanguageName() override { return FAbbreviation; }

    void SetSystemDefaultLangID(std::uint16_t ALangID) { FLangID = ALangID; }
    void SetUserDefaultLCID(std::uint32_t ALCID) { FLCID = ALCID; }
    void SetSupportedLocales(std::vector<platform::TLocaleLanguage> ALocales) {
        FLocales = std::move(ALocales);
    }
    void SetUserDefaultAbbreviatedLanguageName(std::u16string AName) {
        FAbbreviation = std::move(AName);
    }

private:
    std::uint16_t FLangID = 0x0409;
    std::uint32_t FLCID = 0x0409;
    std::u16string FAbbreviation = u"ENU";
    // As the system writes them: the hex digits of a language identifier in lower case.
    std::vector<platform::TLocaleLanguage> FLocales = {
        {u"0409", u"English"}, {u"0809", u"English"},  {u"0804", u"中文"},   {u"0404", u"中文"},
        {u"0407", u"Deutsch"}, {u"040c", u"français"}, {u"0411", u"日本語"},
    };
};

} // namespace vanto::sim
