#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vanto::monitortest {

// Handles the messages of the calling thread until ADone is true or the wait ran out; every
// wait of these tests is bounded so that a fault fails the test instead of hanging it.
bool PumpUntil(const std::function<bool()>& ADone, DWORD AWaitMs);

// Wine starts programs of the host system too: the X tool that moves and clicks the pointer.
inline constexpr wchar_t XDOTOOL[] = L"Z:\\usr\\bin\\xdotool";

// Starts a program; a host program's handle cannot be waited on under Wine, so the callers wait
// for its effect.
bool RunHostProgram(const std::wstring& AProgram, const std::wstring& AArguments);

// ProfileID of the shared registry key: the onboard profile the mouse last reported.
std::optional<DWORD> ReadProfileId();

// The recording overlay while it is on screen, else nullptr.
HWND VisibleOverlay();

// A Windows path for a path of the build; under Wine the build's Unix paths are on drive Z:.
std::wstring WindowsPathOf(const std::string& ABuildPath);

// The hook library that belongs beside an executable: the monitor loads it from its own folder.
std::wstring HookLibraryBeside(const std::wstring& AExecutable);

// The monitor copied with its hook library into a new folder of the temporary folder, as it would
// be installed: no configuration application and no "config.ini" beside it.
struct TMonitorCopy {
    std::wstring FFolder;
    std::wstring FExecutable;
};
TMonitorCopy CopyMonitorToFolder(const std::string& AMonitorExe, const std::wstring& AFolderName);

// What the configuration application is for the monitor: a top-level window of its class.
// It notes every message of the application range it receives.
class TConfigAppStandIn {
public:
    struct TMessage {
        UINT FMsg;
        WPARAM FWParam;
        LPARAM FLParam;
    };

    TConfigAppStandIn();
    ~TConfigAppStandIn();
    TConfigAppStandIn(const TConfigAppStandIn&) = delete;
    TConfigAppStandIn& operator=(const TConfigAppStandIn&) = delete;

    HWND Window() const { return FWindow; }
    const std::vector<TMessage>& Received() const { return FReceived; }
    void Forget() { FReceived.clear(); }
    // Pumps until a message of that number arrived; the first one, if any.
    const TMessage* WaitFor(UINT AMsg, DWORD AWaitMs);

private:
    static LRESULT CALLBACK WindowProcedure(HWND AWindow, UINT AMsg, WPARAM AWParam,
                                            LPARAM ALParam);
    const TMessage* Find(UINT AMsg) const;

    HWND FWindow = nullptr;
    std::vector<TMessage> FReceived;
};

// One VantoMon.exe started from a copy in its own folder. A monitor still running when the
// object goes is told to exit, and ended by force if it does not.
class TMonitorProcess {
public:
    explicit TMonitorProcess(const std::wstring& AExecutable);
    ~TMonitorProcess();
    TMonitorProcess(const TMonitorProcess&) = delete;
    TMonitorProcess& operator=(const TMonitorProcess&) = delete;

    bool Started() const { return FProcess.hProcess != nullptr; }
    HANDLE Process() const { return FProcess.hProcess; }
    // The monitor's window once it appeared, else nullptr.
    HWND WaitForWindow(DWORD AWaitMs) const;
    // True when the process ended within the wait (messages of this thread are handled
    // meanwhile, so a monitor that sends to the stand-in does not block).
    bool WaitForExit(DWORD AWaitMs) const;
    DWORD ExitCode() const;

private:
    PROCESS_INFORMATION FProcess{};
};

// The top-level windows of the monitor's class and title, of any process.
std::vector<HWND> MonitorWindows();

} // namespace vanto::monitortest
