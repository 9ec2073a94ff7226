#include "ProfileTransfer.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32IniFile.h"
#include "platform/win32/Win32Locale.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32WindowSystem.h"

namespace vanto::ctl {

namespace {

class TThisMachine final : public TMachine {
public:
    TProfileServices Services() override {
        return {FRegistry, FFiles, FShell, FIni, FLocale, FClock, FWindows};
    }

private:
    win32::TWin32Registry FRegistry;
    win32::TWin32FileSystem FFiles;
    win32::TWin32Shell FShell;
    win32::TWin32IniFile FIni;
    win32::TWin32Locale FLocale;
    win32::TWin32Clock FClock;
    win32::TWin32WindowSystem FWindows;
};

} // namespace

std::unique_ptr<TMachine> OpenThisMachine() {
    return std::make_unique<TThisMachine>();
}

} // namespace vanto::ctl
