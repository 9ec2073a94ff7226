// The process entry of the monitor on Windows: one monitor per desktop session, the Windows
// services handed to the portable main form, and the message loop until "Exit".

#include "app/VantoMonExMain.h"
#include "platform/Platform.h"
#include "platform/Utf16.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32Platform.h"
#include "shared/ConfigAppInterface.h"

#include <windows.h>

#include <exception>
#include <string>

namespace {

using namespace vanto;

// Exit codes: 0 also for the second monitor that leaves at once.
constexpr int FAILED_EXIT_CODE = 1;

const wchar_t* MutexName() {
    static const std::u16string Name = MONITOR_MUTEX_NAME;
    return win32::AsWide(Name);
}

bool AnotherMonitorRuns() {
    HANDLE Existing = OpenMutexW(MUTEX_ALL_ACCESS, FALSE, MutexName());
    if (Existing == nullptr) {
        return false;
    }
    CloseHandle(Existing);
    return true;
}

// Held for the whole run, so that a monitor started later in the session finds it.
class TSingleInstanceMutex {
public:
    TSingleInstanceMutex() : FMutex(CreateOwnedMutex()) {
        // Two monitors started at the same moment may both miss the other's mutex when they
        // look; the one whose create only opened the existing mutex leaves as well.
        FOwned = FMutex != nullptr && GetLastError() != ERROR_ALREADY_EXISTS;
    }
    ~TSingleInstanceMutex() {
        if (FOwned) {
            ReleaseMutex(FMutex);
        }
        if (FMutex != nullptr) {
            CloseHandle(FMutex);
        }
    }
    TSingleInstanceMutex(const TSingleInstanceMutex&) = delete;
    TSingleInstanceMutex& operator=(const TSingleInstanceMutex&) = delete;

    bool Owned() const { return FOwned; }

private:
    // A fresh mutex need not clear the last error, and a stale ERROR_ALREADY_EXISTS would make
    // the only monitor leave.
    static HANDLE CreateOwnedMutex() {
        SetLastError(ERROR_SUCCESS);
        return CreateMutexW(nullptr, TRUE, MutexName());
    }

    HANDLE FMutex;
    bool FOwned = false;
};

int RunMonitor() {
    if (AnotherMonitorRuns()) {
        return 0;
    }
    TSingleInstanceMutex Mutex;
    if (!Mutex.Owned()) {
        return 0;
    }
    win32::TWin32Platform Services;
    const platform::TPlatform Platform = Services.Platform();
    // The main form reads the stored language while it is created, so the profiles come first.
    TDM DM(Services.FRegistry, Services.FFiles, Services.FShell, Services.FIni, Services.FLocale,
           Services.FClock);
    DM.DataModuleCreate();
    int ExitCode = 0;
    {
        TVantoMonExMain MainForm(Platform, DM);
        MainForm.FormCreate();
        ExitCode = Services.FWindows.RunMessageLoop();
    }
    DM.DataModuleDestroy();
    return ExitCode;
}

void ReportFailure(const std::u16string& AText) {
    const std::u16string Line = u"VantoMon: " + AText + u"\n";
    OutputDebugStringW(win32::AsWide(Line));
}

} // namespace

int WINAPI wWinMain(HINSTANCE /*AInstance*/, HINSTANCE /*APrevious*/, PWSTR /*ACommandLine*/,
                    int /*AShow*/) {
    // An exception that left the process would end it with the system's crash report; the
    // monitor rather says what went wrong where a debugger sees it and ends with a failure code.
    try {
        return RunMonitor();
    } catch (const std::exception& Error) {
        ReportFailure(AsciiToUtf16(Error.what()));
    } catch (...) {
        ReportFailure(u"unknown exception");
    }
    return FAILED_EXIT_CODE;
}
