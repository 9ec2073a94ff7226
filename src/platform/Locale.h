#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vanto::platform {

// One locale the system supports, as the translation component lists them.
struct TLocaleLanguage {
    // The locale's language identifier as four hexadecimal digits ("0409"), as the system
    // writes it.
    std::u16string FLanguageId;
    // The language's own name for itself ("English", "中文").
    std::u16string FNativeLanguageName;
};

// The system's and the user's locale settings.
class ILocale {
public:
    virtual ~ILocale() = default;
    // The 16-bit language identifier of the system's default language (0x0409 US English).
    virtual std::uint16_t SystemDefaultLangID() = 0;
    // The user's default locale identifier.
    virtual std::uint32_t UserDefaultLCID() = 0;
    // Every locale the system supports, in the order the system lists them.
    virtual std::vector<TLocaleLanguage> SupportedLocales() = 0;
    // The abbreviated name of the user default locale's language ("ENU", "CHS"); empty when the
    // system cannot tell.
    virtual std::u16string UserDefaultAbbreviatedLanguageName() = 0;
};

} // namespace vanto::platform
