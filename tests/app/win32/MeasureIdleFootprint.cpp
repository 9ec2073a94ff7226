// Prints what the idle monitor costs beside the smallest program that has a window, a message
// loop and a tray icon; not a test.
//
//   measure_idle_footprint [IDLE_SECONDS]
//
// Both start fresh; the monitor with the profiles the session's Documents folder holds (the
// factory profile in a fresh home). After IDLE_SECONDS (default 10) each one's working set and
// private bytes are printed with the difference, then the modules the monitor has loaded that
// the minimal program has not. This is done with the virtual mouse plugged in (the monitor reads
// it on a thread of its own), again after a profile switch on the mouse showed an on-screen
// message that has faded since, and with the mouse pulled out. A second minimal program with
// one idle thread more tells what a thread costs on this system.

#include "MonitorProcess.h"
#include "MouseProbe.h"

#include <windows.h>

#include <psapi.h>
#include <tlhelp32.h>

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

long long KiBDifference(SIZE_T AMonitor, SIZE_T AMinimal) {
    return (static_cast<long long>(AMonitor) - static_cast<long long>(AMinimal)) / 1024;
}

unsigned ThreadsOf(HANDLE AProcess) {
    const DWORD Id = GetProcessId(AProcess);
    HANDLE Snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (Snapshot == INVALID_HANDLE_VALUE) {
        return 0;
    }
    unsigned Count = 0;
    THREADENTRY32 Entry{};
    Entry.dwSize = sizeof(Entry);
    for (BOOL More = Thread32First(Snapshot, &Entry); More; More = Thread32Next(Snapshot, &Entry)) {
        Count += Entry.th32OwnerProcessID == Id ? 1 : 0;
    }
    CloseHandle(Snapshot);
    return Count;
}

void PrintLine(const char* AWho, HANDLE AProcess) {
    const TFootprint Footprint = FootprintOf(AProcess);
    std::printf("%-30s resident %7zu KiB, private %7zu KiB, %u threads\n", AWho,
                Footprint.FWorkingSet / 1024, Footprint.FPrivate / 1024, ThreadsOf(AProcess));
}

void PrintDifference(const char* AWhat, HANDLE AProcess, HANDLE AYardstick) {
    const TFootprint Of = FootprintOf(AProcess);
    const TFootprint OfYardstick = FootprintOf(AYardstick);
    std::printf("%-30s resident %+7lld KiB, private %+7lld KiB\n", AWhat,
                KiBDifference(Of.FWorkingSet, OfYardstick.FWorkingSet),
                KiBDifference(Of.FPrivate, OfYardstick.FPrivate));
}

BOOL CALLBACK CloseWindowOf(HWND AWindow, LPARAM AProcessId) {
    DWORD ProcessId = 0;
    GetWindowThreadProcessId(AWindow, &ProcessId);
    if (ProcessId == static_cast<DWORD>(AProcessId)) {
        PostMessageW(AWindow, WM_CLOSE, 0, 0);
    }
    return TRUE;
}

class TMinimalProgram {
public:
    explicit TMinimalProgram(const wchar_t* AArguments = L"") {
        STARTUPINFOW Startup{};
        Startup.cb = sizeof(Startup);
        const std::wstring Program = WindowsPathOf(VANTO_MINIMAL_PROGRAM_EXE);
        std::wstring CommandLine = L"\"" + Program + L"\" " + AArguments;
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
        EnumWindows(CloseWindowOf, static_cast<LPARAM>(FProcess.dwProcessId));
        if (WaitForSingleObject(FProcess.hProcess, 5000) != WAIT_OBJECT_0) {
            TerminateProcess(FProcess.hProcess, 99);
        }
        CloseHandle(FProcess.hProcess);
    }
    TMinimalProgram(const TMinimalProgram&) = delete;
    TMinimalProgram& operator=(const TMinimalProgram&) = delete;

    HANDLE Process() const { return FProcess.hProcess; }
    bool WaitForWindow() const {
        return FProcess.hProcess != nullptr && WaitForInputIdle(FProcess.hProcess, WAIT_MS) == 0;
    }

private:
    PROCESS_INFORMATION FProcess{};
};

void PrintModulesOnlyIn(HANDLE AProcess, HANDLE AYardstick) {
    const std::set<std::wstring> YardstickModules = ModulesOf(AYardstick);
    std::printf("modules only the monitor has:");
    for (const std::wstring& Name : ModulesOf(AProcess)) {
        if (YardstickModules.count(Name) == 0) {
            std::printf(" %ls", Name.c_str());
        }
    }
    std::printf("\n");
}

void PrintMonitor(const char* AWhen, DWORD AIdleSeconds, HANDLE AMonitor, HANDLE AMinimal) {
    std::printf("after %lu s idle, %s:\n", static_cast<unsigned long>(AIdleSeconds), AWhen);
    PrintLine("VantoMon.exe", AMonitor);
    PrintDifference("beside the minimal program", AMonitor, AMinimal);
    PrintModulesOnlyIn(AMonitor, AMinimal);
}

// With the mouse, a profile switch made on it then shows an on-screen message, which draws with
// GDI+; once it has faded, the monitor is measured again.
bool MeasureMonitor(const char* AWhen, const TMonitorFolder& AFolder, DWORD AIdleSeconds,
                    const TMinimalProgram& AMinimal, vmouse::TVirtualMouse* AMouse = nullptr) {
    TMonitorProcess Monitor(AFolder.Executable());
    if (Monitor.WaitForWindow(WAIT_MS) == nullptr) {
        std::fputs("the monitor did not start\n", stderr);
        return false;
    }
    PumpUntil([] { return false; }, AIdleSeconds * 1000);
    PrintMonitor(AWhen, AIdleSeconds, Monitor.Process(), AMinimal.Process());
    if (AMouse) {
        if (!AMouse->SelectProfile(1)) {
            std::fputs("the virtual mouse took no report\n", stderr);
            return false;
        }
        PumpUntil([] { return false; }, AIdleSeconds * 1000);
        PrintMonitor("the mouse plugged in, after a message came and went", AIdleSeconds,
                     Monitor.Process(), AMinimal.Process());
    }
    return true;
}

bool SetMousePlugged(bool APlugged) {
    std::wstring Error;
    const bool Done = APlugged ? vmouse::IsPlugged() || vmouse::Plug(vmouse::BuiltInfPath(), Error)
                               : !vmouse::IsPlugged() || vmouse::Unplug(Error);
    if (!Done || !vmouse::WaitForInterfaces(APlugged, WAIT_MS)) {
        std::fprintf(stderr, "the virtual mouse could not be %s: %ls\n",
                     APlugged ? "plugged in" : "pulled out", Error.c_str());
        return false;
    }
    return true;
}

int Run(DWORD AIdleSeconds) {
    TConfigAppStandIn ConfigApp;
    TMonitorFolder Folder(L"VantoMonFootprint");
    if (!MonitorWindows().empty()) {
        std::fputs("a monitor is already running\n", stderr);
        return 1;
    }
    TMinimalProgram Minimal;
    TMinimalProgram MinimalWithThread(L"--idle-thread");
    if (!Minimal.WaitForWindow() || !MinimalWithThread.WaitForWindow()) {
        std::fputs("the minimal program did not start\n", stderr);
        return 1;
    }
    PumpUntil([] { return false; }, AIdleSeconds * 1000);
    PrintLine("minimal tray program", Minimal.Process());
    PrintLine("the same with an idle thread", MinimalWithThread.Process());
    PrintDifference("one idle thread costs", MinimalWithThread.Process(), Minimal.Process());
    if (!SetMousePlugged(true)) {
        return 1;
    }
    {
        vmouse::TVirtualMouse Mouse;
        if (!MeasureMonitor("the mouse plugged in", Folder, AIdleSeconds, Minimal, &Mouse)) {
            return 1;
        }
    }
    const bool Measured =
        SetMousePlugged(false) && MeasureMonitor("no mouse", Folder, AIdleSeconds, Minimal);
    // The Windows suite that runs next expects the mouse where it found it.
    return SetMousePlugged(true) && Measured ? 0 : 1;
}

} // namespace
} // namespace vanto::monitortest

int main(int AArgCount, char** AArgs) {
    const long Seconds = AArgCount > 1 ? std::max(1L, std::atol(AArgs[1])) : 10;
    return vanto::monitortest::Run(static_cast<DWORD>(Seconds));
}
