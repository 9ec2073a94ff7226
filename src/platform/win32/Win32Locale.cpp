#include "platform/win32/Win32Locale.h"

#include "platform/win32/WideText.h"

#include <windows.h>

#include <cwchar>

namespace vanto::win32 {

namespace {

// EnumSystemLocalesW passes nothing of the caller's to its callback; the list being filled is
// kept per thread, so two threads listing at once do not mix their lists.
thread_local std::vector<platform::TLocaleLanguage>* GCollecting = nullptr;

std::u16string LocaleText(LCID ALocale, LCTYPE AWhat) {
    const int Size = GetLocaleInfoW(ALocale, AWhat, nullptr, 0);
    if (Size <= 1) {
        return {};
    }
    std::wstring Text(static_cast<std::size_t>(Size), L'\0');
    const int Written = GetLocaleInfoW(ALocale, AWhat, Text.data(), Size);
    if (Written <= 1) {
        return {};
    }
    Text.resize(static_cast<std::size_t>(Written - 1));
    return FromWide(Text);
}

BOOL CALLBACK CollectLocale(LPWSTR ALocaleText) {
    // The system names each locale by its identifier in hexadecimal ("00000409").
    wchar_t* End = nullptr;
    const auto Locale = static_cast<LCID>(std::wcstoul(ALocaleText, &End, 16));
    if (End != ALocaleText && GCollecting != nullptr) {
        GCollecting->push_back(
            {LocaleText(Locale, LOCALE_ILANGUAGE), LocaleText(Locale, LOCALE_SNATIVELANGNAME)});
    }
    return TRUE;
}

} // namespace

std::uint16_t TWin32Locale::SystemDefaultLangID() {
    return GetSystemDefaultLangID();
}

std::uint32_t TWin32Locale::UserDefaultLCID() {
    return GetUserDefaultLCID();
}

std::vector<platform::TLocaleLanguage> TWin32Locale::SupportedLocales() {
    std::vector<platform::TLocaleLanguage> Locales;
    GCollecting = &Locales;
    EnumSystemLocalesW(CollectLocale, LCID_SUPPORTED);
    GCollecting = nullptr;
    return Locales;
}

std::u16string TWin32Locale::UserDefaultAbbreviatedLanguageName() {
    return LocaleText(LOCALE_USER_DEFAULT, LOCALE_SABBREVLANGNAME);
}

} // namespace vanto::win32
