#include "platform/win32/Win32Gdiplus.h"

#include "platform/win32/Win32DelayLoad.h"

// clang-format off
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
// clang-format on

#include <array>
#include <memory>

// The toolchain names the descriptor of a delay-load library after the library's file name.
extern "C" const IMAGE_DELAYLOAD_DESCRIPTOR __DELAY_IMPORT_DESCRIPTOR_libgdiplus_delayed_a;

namespace vanto::win32 {

namespace {

int ScopeCount = 0;
ULONG_PTR Token = 0;

// Made before the first call into GDI+, while the library is not loaded yet.
TDelayLoadedLibrary& GdiplusLibrary() {
    static TDelayLoadedLibrary Library(__DELAY_IMPORT_DESCRIPTOR_libgdiplus_delayed_a);
    return Library;
}

// Chinese-capable families first, so one family serves both languages the monitor shows.
constexpr std::array<const wchar_t*, 7> PreferredFamilies{
    L"Microsoft YaHei UI",  L"Microsoft YaHei", L"Segoe UI",
    L"WenQuanYi Micro Hei", L"Tahoma",          L"Arial",
    L"DejaVu Sans"};

bool FamilyExists(const wchar_t* AName) {
    const Gdiplus::FontFamily Family(AName);
    return Family.GetLastStatus() == Gdiplus::Ok && Family.IsAvailable();
}

std::wstring AnyInstalledFamily() {
    const Gdiplus::InstalledFontCollection Installed;
    const INT Count = Installed.GetFamilyCount();
    if (Count <= 0) {
        return {};
    }
    auto Families = std::make_unique<Gdiplus::FontFamily[]>(static_cast<std::size_t>(Count));
    INT Found = 0;
    Installed.GetFamilies(Count, Families.get(), &Found);
    for (INT I = 0; I < Found; ++I) {
        WCHAR Name[LF_FACESIZE] = {};
        if (Families[I].GetFamilyName(Name) == Gdiplus::Ok && Name[0] != 0) {
            return Name;
        }
    }
    return {};
}

std::wstring ChooseFamily() {
    for (const wchar_t* Name : PreferredFamilies) {
        if (FamilyExists(Name)) {
            return Name;
        }
    }
    return AnyInstalledFamily();
}

} // namespace

TGdiplusScope::TGdiplusScope() {
    if (ScopeCount == 0) {
        GdiplusLibrary();
        const Gdiplus::GdiplusStartupInput Input;
        if (Gdiplus::GdiplusStartup(&Token, &Input, nullptr) != Gdiplus::Ok) {
            return;
        }
    }
    ++ScopeCount;
    FStarted = true;
}

TGdiplusScope::~TGdiplusScope() {
    if (FStarted && --ScopeCount == 0) {
        Gdiplus::GdiplusShutdown(Token);
        Token = 0;
        // A closed window leaves nothing of GDI+ in the process.
        GdiplusLibrary().Unload();
    }
}

const std::wstring& SceneFontFamily() {
    static const std::wstring Chosen = ChooseFamily();
    return Chosen;
}

} // namespace vanto::win32
