// Prints what the idle monitor costs beside the smallest program that has a window, a message
// loop and a tray icon; not a test.
//
//   measure_idle_footprint [IDLE_SECONDS]
//
// Both start fresh; the monitor with the profiles the session's Documents folder holds (the
// factory profile in a fresh home). After IDLE_SECONDS (default 10) each one's working set and
// private bytes are printed with the difference, then the modules the monitor has loaded that
// the minimal program has not.

#include "MonitorProcess.h"
#include "MouseProbe.h"

#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

namespace vanto::monitortest {
namespace {

constexpr DWORD WAIT_MS = 20000;

struct TFootprint {
    SIZE_T FWorkingSet = 0;
    SIZE_T FPrivate = 0;
};

TFootprint FootprintOf(HANDLE AProcess) {
    PROCESS_MEMORY_COUNTERS_EX Counters{};
    Counters.cb = sizeof(Counters);
    GetProcessMemoryInfo(AProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&Counters),
                         sizeof(Counters));
    // The committed private memory; Wine fills PagefileUsage, which Windows documents as the
    // same figure, and leaves PrivateUsage at 0.
    return {Counters.WorkingSetSize, std::max(Counters.PrivateUsage, Counters.PagefileUsage)};
}

std::set<std::wstring> ModulesOf(HANDLE AProcess) {
    HMODULE Modules[1024];
    DWORD Needed = 0;
    std::set<std::wstring> Names;
    if (!EnumProcessModules(AProcess, Modules, sizeof(Modules), &Needed)) {
        return Names;
    }
    const DWORD Count = std::min<DWORD>(Needed / sizeof(HMODULE), std::size(Modules));
    for (DWORD I = 0; I < Count; ++I) {
        wchar_t Name[MAX_PATH] = {};
        if (GetModuleBaseNameW(AProcess, Modules[I], Name, MAX_PATH) != 0) {
            std::wstring Lower(Name);
            CharLowerW(Lower.data());
            Names.insert(Lower);
        }
    }
    return Names;
}

void PrintLine(const char* AWho, const TFootprint& AFootprint) {
    std::printf("%-22s resident %7zu KiB, private %7zu KiB\n", AWho, AFootprint.FWorkingSet / 1024,
                AFootprint.FPrivate / 1024);
}

long long KiBDifference(SIZE_T AMonitor, SIZE_T AMinimal) {
    return (static_cast<long long>(AMonitor) - static_cast<long long>(AMinimal)) / 1024;
}

class TMinimalProgram {
public:
    TMinimalProgram() {
        STARTUPINFOW Startup{};
        Startup.cb = sizeof(Startup);
        const std::wstring Program = WindowsPathOf(VANTO_MINIMAL_PROGRAM_EXE);
        std::wstring CommandLine = L"\"" + Program + L"\"";
        if (!CreateProcessW(Program.c_str(), CommandLine.data(), nullptr, nullptr, FALSE, 0,
                            nullptr, nullptr, &Startup, &FProcess)) {
            FProcess = {};
        } else {
            CloseHandle(FProcess.hThread);
        }
    }
    ~TMinimalProgram() {
        if (FProcess.hProcess == nullptr) {
            return;
        }
        if (HWND Window = FindWindowW(L"VantoMinimalTrayProgram", nullptr)) {
            PostMessageW(Window, WM_CLOSE, 0, 0);
        }
        if (WaitForSingleObject(FProcess.hProcess, 5000) != WAIT_OBJECT_0) {
            TerminateProcess(FProcess.hProcess, 99);
        }
        CloseHandle(FProcess.hProcess);
    }
    TMinimalProgram(const TMinimalProgram&) = delete;
    TMinimalProgram& operator=(const TMinimalProgram&) = delete;

    HANDLE Process() const { return FProcess.hProcess; }
    bool WaitForWindow() const {
        return PumpUntil([] { return FindWindowW(L"VantoMinimalTrayProgram", nullptr) != nullptr; },
                         WAIT_MS);
    }

private:
    PROCESS_INFORMATION FProcess{};
};

int Run(DWORD AIdleSeconds) {
    TConfigAppStandIn ConfigApp;
    TMonitorFolder Folder(L"VantoMonFootprint");
    if (!MonitorWindows().empty()) {
        std::fputs("a monitor is already running\n", stderr);
        return 1;
    }
    TMinimalProgram Minimal;
    TMonitorProcess Monitor(Folder.Executable());
    if (Minimal.Process() == nullptr || !Minimal.WaitForWindow() ||
        Monitor.WaitForWindow(WAIT_MS) == nullptr) {
        std::fputs("the monitor or the minimal program did not start\n", stderr);
        return 1;
    }
    PumpUntil([] { return false; }, AIdleSeconds * 1000);
    const TFootprint OfMonitor = FootprintOf(Monitor.Process());
    const TFootprint OfMinimal = FootprintOf(Minimal.Process());
    std::printf("after %lu s idle:\n", static_cast<unsigned long>(AIdleSeconds));
    PrintLine("VantoMon.exe", OfMonitor);
    PrintLine("minimal tray program", OfMinimal);
    std::printf("%-22s resident %+7lld KiB, private %+7lld KiB\n", "difference",
                KiBDifference(OfMonitor.FWorkingSet, OfMinimal.FWorkingSet),
                KiBDifference(OfMonitor.FPrivate, OfMinimal.FPrivate));
    const std::set<std::wstring> MinimalModules = ModulesOf(Minimal.Process());
    std::printf("modules only the monitor has:");
    for (const std::wstring& Name : ModulesOf(Monitor.Process())) {
        if (MinimalModules.count(Name) == 0) {
            std::printf(" %ls", Name.c_str());
        }
    }
    std::printf("\n");
    return 0;
}

} // namespace
} // namespace vanto::monitortest

int main(int AArgCount, char** AArgs) {
    const long Seconds = AArgCount > 1 ? std::max(1L, std::atol(AArgs[1])) : 10;
    return vanto::monitortest::Run(static_cast<DWORD>(Seconds));
}
