#include "platform/win32/Win32Platform.h"

namespace vanto::win32 {

namespace {

template <class TService, class TOwn> TService& ChosenOr(TService* ASubstitute, TOwn& AOwn) {
    return ASubstitute != nullptr ? *ASubstitute : AOwn;
}

} // namespace

platform::TPlatform TWin32Platform::Platform(const TWin32Substitutes& ASubstitutes) {
    return {FRegistry,
            FFiles,
            FWindows,
            FDebug,
            FClock,
            FShell,
            FIni,
            FLocale,
            ChosenOr(ASubstitutes.FHid, FHid),
            FDeviceNotifications,
            ChosenOr(ASubstitutes.FTray, FTray),
            FScenes,
            FInput,
            ChosenOr(ASubstitutes.FAudio, FAudio),
            ChosenOr(ASubstitutes.FMessageBox, FMessageBox),
            FHooks};
}

} // namespace vanto::win32
