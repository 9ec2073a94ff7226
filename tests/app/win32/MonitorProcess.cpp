#include "MonitorProcess.h"

#include <algorithm>

namespace vanto::monitortest {

namespace {

constexpr wchar_t CONFIG_APP_CLASS[] = L"TVantoCfgExMain";
constexpr wchar_t MONITOR_CLASS[] = L"TVantoMonExMain";
constexpr wchar_t MONITOR_TITLE[] = L"QUORVIN_MONITOR_EX";
constexpr UINT EXIT_COMMAND = 1003;
constexpr DWORD EXIT_WAIT_MS = 10000;
constexpr wchar_t OVERLAY_TITLE[] = L"FrmRecord";

void HandlePending() {
    MSG Message;
    while (PeekMessageW(&Message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&Message);
        DispatchMessageW(&Message);
    }
}

BOOL CALLBACK CollectMonitorWindow(HWND AWindow, LPARAM AWindows) {
    wchar_t Class[64] = {};
    wchar_t Title[64] = {};
    GetClassNameW(AWindow, Class, 64);
    GetWindowTextW(AWindow, Title, 64);
    if (std::wstring(Class) == MONITOR_CLASS && std::wstring(Title) == MONITOR_TITLE) {
        reinterpret_cast<std::vector<HWND>*>(AWindows)->push_back(AWindow);
    }
    return TRUE;
}

} // namespace

bool PumpUntil(const std::function<bool()>& ADone, DWORD AWaitMs) {
    const ULONGLONG Deadline = GetTickCount64() + AWaitMs;
    for (;;) {
        HandlePending();
        if (ADone()) {
            return true;
        }
        if (GetTickCount64() >= Deadline) {
            return false;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

bool RunHostProgram(const std::wstring& AProgram, const std::wstring& AArguments) {
    std::wstring CommandLine = AProgram + L" " + AArguments;
    STARTUPINFOW Startup{};
    Startup.cb = sizeof Startup;
    PROCESS_INFORMATION Process{};
    if (!CreateProcessW(nullptr, CommandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &Startup, &Process)) {
        return false;
    }
    CloseHandle(Process.hThread);
    CloseHandle(Process.hProcess);
    return true;
}

std::optional<DWORD> ReadProfileId() {
    DWORD Value = 0;
    DWORD Size = sizeof(Value);
    if (RegGetValueW(HKEY_CURRENT_USER, L"software\\VantoGamingMouse", L"ProfileID",
                     RRF_RT_REG_DWORD, nullptr, &Value, &Size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return Value;
}

HWND VisibleOverlay() {
    const HWND Overlay = FindWindowW(nullptr, OVERLAY_TITLE);
    return Overlay != nullptr && IsWindowVisible(Overlay) ? Overlay : nullptr;
}

std::wstring HookLibraryBeside(const std::wstring& AExecutable) {
    const std::size_t Slash = AExecutable.find_last_of(L"\\/");
    return (Slash == std::wstring::npos ? std::wstring() : AExecutable.substr(0, Slash + 1)) +
           L"uiHook.dll";
}

TMonitorCopy CopyMonitorToFolder(const std::string& AMonitorExe, const std::wstring& AFolderName) {
    wchar_t Temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, Temp);
    TMonitorCopy Copy;
    Copy.FFolder = std::wstring(Temp) + AFolderName + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(Copy.FFolder.c_str(), nullptr);
    Copy.FExecutable = Copy.FFolder + L"\\VantoMon.exe";
    CopyFileW(WindowsPathOf(AMonitorExe).c_str(), Copy.FExecutable.c_str(), FALSE);
    CopyFileW(HookLibraryBeside(WindowsPathOf(AMonitorExe)).c_str(),
              HookLibraryBeside(Copy.FExecutable).c_str(), FALSE);
    return Copy;
}

std::wstring WindowsPathOf(const std::string& ABuildPath) {
    std::wstring Path(ABuildPath.begin(), ABuildPath.end());
    std::replace(Path.begin(), Path.end(), L'/', L'\\');
    return !Path.empty() && Path[0] == L'\\' ? L"Z:" + Path : Path;
}

std::vector<HWND> MonitorWindows() {
    std::vector<HWND> Windows;
    EnumWindows(CollectMonitorWindow, reinterpret_cast<LPARAM>(&Windows));
    return Windows;
}

TConfigAppStandIn::TConfigAppStandIn() {
    WNDCLASSW Class{};
    Class.lpfnWndProc = WindowProcedure;
    Class.hInstance = GetModuleHandleW(nullptr);
    Class.lpszClassName = CONFIG_APP_CLASS;
    RegisterClassW(&Class);
    FWindow = CreateWindowExW(0, CONFIG_APP_CLASS, L"Stand-in", WS_OVERLAPPED, 0, 0, 100, 100,
                              nullptr, nullptr, GetModuleHandleW(nullptr), this);
}

TConfigAppStandIn::~TConfigAppStandIn() {
    if (FWindow != nullptr) {
        DestroyWindow(FWindow);
    }
    UnregisterClassW(CONFIG_APP_CLASS, GetModuleHandleW(nullptr));
}

LRESULT CALLBACK TConfigAppStandIn::WindowProcedure(HWND AWindow, UINT AMsg, WPARAM AWParam,
                                                    LPARAM ALParam) {
    if (AMsg == WM_NCCREATE) {
        const auto* Create = reinterpret_cast<const CREATESTRUCTW*>(ALParam);
        SetWindowLongPtrW(AWindow, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(Create->lpCreateParams));
    }
    auto* Self = reinterpret_cast<TConfigAppStandIn*>(GetWindowLongPtrW(AWindow, GWLP_USERDATA));
    if (Self != nullptr && AMsg >= WM_USER && AMsg < 0xC000) {
        Self->FReceived.push_back({AMsg, AWParam, ALParam});
        return 0;
    }
    return DefWindowProcW(AWindow, AMsg, AWParam, ALParam);
}

const TConfigAppStandIn::TMessage* TConfigAppStandIn::Find(UINT AMsg) const {
    const auto Found = std::find_if(FReceived.begin(), FReceived.end(),
                                    [AMsg](const TMessage& AOne) { return AOne.FMsg == AMsg; });
    return Found == FReceived.end() ? nullptr : &*Found;
}

const TConfigAppStandIn::TMessage* TConfigAppStandIn::WaitFor(UINT AMsg, DWORD AWaitMs) {
    PumpUntil([&] { return Find(AMsg) != nullptr; }, AWaitMs);
    return Find(AMsg);
}

TMonitorProcess::TMonitorProcess(const std::wstring& AExecutable) {
    STARTUPINFOW Startup{};
    Startup.cb = sizeof(Startup);
    std::wstring CommandLine = L"\"" + AExecutable + L"\"";
    if (!CreateProcessW(AExecutable.c_str(), CommandLine.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, nullptr, &Startup, &FProcess)) {
        FProcess = {};
        return;
    }
    CloseHandle(FProcess.hThread);
    FProcess.hThread = nullptr;
}

TMonitorProcess::~TMonitorProcess() {
    if (!Started()) {
        return;
    }
    if (!WaitForExit(0)) {
        if (HWND Window = WaitForWindow(0)) {
            PostMessageW(Window, WM_COMMAND, EXIT_COMMAND, 0);
        }
        if (!WaitForExit(EXIT_WAIT_MS)) {
            TerminateProcess(FProcess.hProcess, 99);
            WaitForSingleObject(FProcess.hProcess, EXIT_WAIT_MS);
        }
    }
    CloseHandle(FProcess.hProcess);
}

HWND TMonitorProcess::WaitForWindow(DWORD AWaitMs) const {
    HWND Found = nullptr;
    PumpUntil(
        [&] {
            for (HWND Window : MonitorWindows()) {
                DWORD Owner = 0;
                GetWindowThreadProcessId(Window, &Owner);
                if (Owner == FProcess.dwProcessId) {
                    Found = Window;
                }
            }
            return Found != nullptr;
        },
        AWaitMs);
    return Found;
}

bool TMonitorProcess::WaitForExit(DWORD AWaitMs) const {
    return PumpUntil([&] { return WaitForSingleObject(FProcess.hProcess, 0) == WAIT_OBJECT_0; },
                     AWaitMs);
}

DWORD TMonitorProcess::ExitCode() const {
    DWORD Code = STILL_ACTIVE;
    GetExitCodeProcess(FProcess.hProcess, &Code);
    return Code;
}

} // namespace vanto::monitortest
