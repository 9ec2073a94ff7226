#pragma once

#include "platform/Locale.h"

namespace vanto::win32 {

class TWin32Locale final : public platform::ILocale {
public:
    std::uint16_t SystemDefaultLangID() override;
    std::uint32_t UserDefaultLCID() override;
    std::vector<platform::TLocaleLanguage> SupportedLocales() override;
    std::u16string UserDefaultAbbreviatedLanguageName() override;
};

} // namespace vanto::win32
