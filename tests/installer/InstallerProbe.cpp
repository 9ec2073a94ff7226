// What the installer test cannot see from outside Wine: the monitor's window and mutex, version
// resources and how the profile functions read a file. One question a run; the answer is the exit
// status (0 yes, 1 no, 2 a wrong command line) and, for readings, standard output.
//
//   vanto_installer_probe monitor-running SECONDS   a monitor window appears within the wait;
//                                                   prints the process id of its owner
//   vanto_installer_probe monitor-ended SECONDS     no monitor window or mutex within the wait
//   vanto_installer_probe end-monitor SECONDS       asks a monitor to exit, then as monitor-ended
//   vanto_installer_probe run SECONDS COMMAND_LINE  runs COMMAND_LINE as Windows would run an
//                                                   uninstall entry's; its exit status is ours,
//                                                   124 when it has not ended within the wait
//   vanto_installer_probe file-version FILE         prints FILE's version as A.B.C.D
//   vanto_installer_probe ini-section FILE SECTION  prints the section's KEY=VALUE lines

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr wchar_t MONITOR_CLASS[] = L"TVantoMonExMain";
constexpr wchar_t MONITOR_TITLE[] = L"QUORVIN_MONITOR_EX";
constexpr wchar_t MONITOR_MUTEX[] = L"TVantoMonExMain";
constexpr WPARAM MONITOR_EXIT_COMMAND = 1003;

constexpr int YES = 0;
constexpr int NO = 1;
constexpr int USAGE = 2;
constexpr int NOT_ENDED = 124;

void Print(const std::wstring& AText) {
    const int Size = WideCharToMultiByte(CP_UTF8, 0, AText.data(), static_cast<int>(AText.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string Bytes(static_cast<std::size_t>(Size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, AText.data(), static_cast<int>(AText.size()), Bytes.data(),
                        Size, nullptr, nullptr);
    std::fwrite(Bytes.data(), 1, Bytes.size(), stdout);
    std::fputc('\n', stdout);
}

HWND MonitorWindow() {
    return FindWindowW(MONITOR_CLASS, MONITOR_TITLE);
}

bool MonitorMutexExists() {
    HANDLE Mutex = OpenMutexW(SYNCHRONIZE, FALSE, MONITOR_MUTEX);
    if (Mutex == nullptr) {
        return false;
    }
    CloseHandle(Mutex);
    return true;
}

bool MonitorEnded() {
    return MonitorWindow() == nullptr && !MonitorMutexExists();
}

// Every wait is bounded: a fault fails the test instead of hanging it.
template <typename TCondition> bool WaitFor(TCondition ACondition, const wchar_t* ASeconds) {
    const ULONGLONG Deadline = GetTickCount64() + 1000ull * std::wcstoul(ASeconds, nullptr, 10);
    for (;;) {
        if (ACondition()) {
            return true;
        }
        if (GetTickCount64() >= Deadline) {
            return false;
        }
        Sleep(100);
    }
}

// The command line as given, not rebuilt from arguments: an uninstaller takes everything after
// "_?=" as its folder, spaces and all, and a quoted argument would hide it.
int Run(const wchar_t* ASeconds, const wchar_t* ACommandLine) {
    std::wstring CommandLine = ACommandLine;
    STARTUPINFOW Startup{};
    Startup.cb = sizeof(Startup);
    PROCESS_INFORMATION Process{};
    if (!CreateProcessW(nullptr, CommandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &Startup, &Process)) {
        return NO;
    }
    CloseHandle(Process.hThread);
    const DWORD WaitMs = 1000 * std::wcstoul(ASeconds, nullptr, 10);
    DWORD Code = NOT_ENDED;
    if (WaitForSingleObject(Process.hProcess, WaitMs) == WAIT_OBJECT_0) {
        GetExitCodeProcess(Process.hProcess, &Code);
    }
    CloseHandle(Process.hProcess);
    return static_cast<int>(Code);
}

int FileVersion(const wchar_t* AFile) {
    DWORD Ignored = 0;
    const DWORD Size = GetFileVersionInfoSizeW(AFile, &Ignored);
    std::vector<BYTE> Block(Size);
    VS_FIXEDFILEINFO* Fixed = nullptr;
    UINT FixedSize = 0;
    if (Size == 0 || !GetFileVersionInfoW(AFile, 0, Size, Block.data()) ||
        !VerQueryValueW(Block.data(), L"\\", reinterpret_cast<void**>(&Fixed), &FixedSize) ||
        FixedSize < sizeof(VS_FIXEDFILEINFO)) {
        return NO;
    }
    Print(std::to_wstring(HIWORD(Fixed->dwFileVersionMS)) + L"." +
          std::to_wstring(LOWORD(Fixed->dwFileVersionMS)) + L"." +
          std::to_wstring(HIWORD(Fixed->dwFileVersionLS)) + L"." +
          std::to_wstring(LOWORD(Fixed->dwFileVersionLS)));
    return YES;
}

// The same calls the monitor reads config.ini with, so a comment or a line it would take for a
// setting shows here as it would there.
int IniSection(const wchar_t* AFile, const wchar_t* ASection) {
    std::vector<wchar_t> Block(1 << 16);
    const DWORD Length =
        GetPrivateProfileSectionW(ASection, Block.data(), static_cast<DWORD>(Block.size()), AFile);
    for (DWORD Start = 0; Start < Length;) {
        const std::wstring Entry(Block.data() + Start);
        Print(Entry);
        Start += static_cast<DWORD>(Entry.size()) + 1;
    }
    return YES;
}

} // namespace

int wmain(int AArgc, wchar_t** AArgv) {
    _setmode(_fileno(stdout), _O_BINARY);
    const std::wstring Command = AArgc > 1 ? AArgv[1] : L"";
    if (Command == L"monitor-running" && AArgc == 3) {
        if (!WaitFor([] { return MonitorWindow() != nullptr; }, AArgv[2])) {
            return NO;
        }
        DWORD Owner = 0;
        GetWindowThreadProcessId(MonitorWindow(), &Owner);
        Print(std::to_wstring(Owner));
        return YES;
    }
    if (Command == L"monitor-ended" && AArgc == 3) {
        return WaitFor(MonitorEnded, AArgv[2]) ? YES : NO;
    }
    if (Command == L"end-monitor" && AArgc == 3) {
        if (HWND Window = MonitorWindow()) {
            PostMessageW(Window, WM_COMMAND, MONITOR_EXIT_COMMAND, 0);
        }
        return WaitFor(MonitorEnded, AArgv[2]) ? YES : NO;
    }
    if (Command == L"run" && AArgc == 4) {
        return Run(AArgv[2], AArgv[3]);
    }
    if (Command == L"file-version" && AArgc == 3) {
        return FileVersion(AArgv[2]);
    }
    if (Command == L"ini-section" && AArgc == 4) {
        return IniSection(AArgv[2], AArgv[3]);
    }
    std::fputs("usage: vanto_installer_probe monitor-running|monitor-ended|end-monitor SECONDS\n"
               "       vanto_installer_probe run SECONDS COMMAND_LINE\n"
               "       vanto_installer_probe file-version FILE\n"
               "       vanto_installer_probe ini-section FILE SECTION\n",
               stderr);
    return USAGE;
}
