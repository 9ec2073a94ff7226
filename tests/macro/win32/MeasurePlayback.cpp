// Prints how late the delays of a macro end when the monitor's player plays it on this system;
// not a test. scripts/measure-playback runs it under Wine, idle and with busy cores.
//
//   measure_playback inside [--fallback] [ROUNDS]  each delay step against what it asked for
//   measure_playback hook [--fallback] [ROUNDS]    the gaps between the key events, as a
//                                                  low-level keyboard hook in another process
//                                                  sees them (the player runs in "send")
//   measure_playback send [--fallback] [ROUNDS]    the player alone, for "hook"
//
// --fallback takes the thread priority a system without the multimedia class scheduler gets.
// Figures are microseconds past the asked delay: median, p99 and the worst, and the share of
// delays that ended more than 1 ms late.

#include "macro/MacroPlayback.h"
#include "macro/MacroSteps.h"
#include "macro/MonitorFlags.h"
#include "platform/win32/Win32InputSynthesis.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace vanto {
namespace {

// F24: a key that exists on no keyboard here, so sending it disturbs nothing.
constexpr std::uint8_t QUIET_KEY = 0x87;
// Short and long delays alike; a round of the macro takes about half a second.
constexpr std::uint16_t DELAYS_MS[] = {1, 2, 3, 5, 10, 20};
constexpr std::size_t KEY_EVENTS = MACRO_STEP_COUNT / 2;
constexpr int DEFAULT_ROUNDS = 20;

struct TOptions {
    std::string FMode;
    bool FFallback = false;
    int FRounds = DEFAULT_ROUNDS;
};

// The delay after key event AIndex of a round.
std::uint16_t DelayAfter(std::size_t AIndex) {
    return DELAYS_MS[AIndex % std::size(DELAYS_MS)];
}

// F24 pressed and released, each followed by a delay: the 128 steps a macro holds.
TMACROKEYINFO MeasuringMacro() {
    TMACROKEYINFO Macro{};
    for (std::size_t Event = 0; Event < KEY_EVENTS; ++Event) {
        Macro.MacroList[Macro.MacroListCount++] = KeyStep(QUIET_KEY, false, Event % 2 == 0);
        Macro.MacroList[Macro.MacroListCount++] = DelayStep(DelayAfter(Event));
    }
    return Macro;
}

double TicksToUs(std::int64_t ATicks) {
    static const double TicksPerUs = [] {
        LARGE_INTEGER Frequency;
        QueryPerformanceFrequency(&Frequency);
        return static_cast<double>(Frequency.QuadPart) / 1e6;
    }();
    return static_cast<double>(ATicks) / TicksPerUs;
}

std::int64_t Now() {
    LARGE_INTEGER Counter;
    QueryPerformanceCounter(&Counter);
    return Counter.QuadPart;
}

void PrintErrors(const char* AWhat, std::vector<double> AErrorsUs, const std::string& AThread) {
    if (AErrorsUs.empty()) {
        std::printf("%s: nothing measured\n", AWhat);
        return;
    }
    std::sort(AErrorsUs.begin(), AErrorsUs.end());
    const std::size_t P99 = std::min(AErrorsUs.size() - 1, AErrorsUs.size() * 99 / 100);
    const auto OverOneMs = std::count_if(AErrorsUs.begin(), AErrorsUs.end(),
                                         [](double AErrorUs) { return AErrorUs > 1000.0; });
    std::printf("%-7s n=%-5zu median %+8.1f us  p99 %+8.1f us  max %+8.1f us  over 1 ms %4.1f%%  "
                "(%s)\n",
                AWhat, AErrorsUs.size(), AErrorsUs[AErrorsUs.size() / 2], AErrorsUs[P99],
                AErrorsUs.back(), 100.0 * static_cast<double>(OverOneMs) / AErrorsUs.size(),
                AThread.c_str());
    std::fflush(stdout);
}

// The Win32 synthesis with each wait timed from the player's side of the seam.
class TTimedInput final : public platform::IInputSynthesis {
public:
    explicit TTimedInput(bool AFallback) : FInner(true, !AFallback) {}

    platform::TCursorPos CursorPos() override { return FInner.CursorPos(); }
    void SendKey(std::uint8_t AVirtualKey, std::uint8_t AScanCode, bool AExtended,
                 bool AUp) override {
        NoteSend();
        FInner.SendKey(AVirtualKey, AScanCode, AExtended, AUp);
    }
    void SendMouse(std::uint32_t AFlags, platform::TCursorPos APos, std::int32_t AData) override {
        NoteSend();
        FInner.SendMouse(AFlags, APos, AData);
    }
    // A delay step asks for its time after the start of the event before it.
    bool WaitPrecise(std::uint32_t AMs) override {
        const std::int64_t Start = FSentSinceWait ? FLastSendStart : Now();
        FSentSinceWait = false;
        const bool Whole = FInner.WaitPrecise(AMs);
        FLateUs.push_back(TicksToUs(Now() - Start) - AMs * 1000.0);
        return Whole;
    }
    void CancelWaits() noexcept override { FInner.CancelWaits(); }
    void ArmWaits() noexcept override { FInner.ArmWaits(); }
    void BeginPlayback() noexcept override { FInner.BeginPlayback(); }
    void EndPlayback() noexcept override { FInner.EndPlayback(); }

    const std::vector<double>& LateUs() const { return FLateUs; }
    std::string Describe() const {
        return std::string(win32::WaitTimerKindName(FInner.TimerKind())) + ", " +
               win32::ThreadBoostKindName(FInner.ThreadBoost());
    }

private:
    void NoteSend() {
        FLastSendStart = Now();
        FSentSinceWait = true;
    }

    win32::TWin32InputSynthesis FInner;
    // The playback thread's; read after it has gone.
    std::vector<double> FLateUs;
    std::int64_t FLastSendStart = 0;
    bool FSentSinceWait = false;
};

class TNoDebugOutput final : public platform::IDebugOutput {
public:
    void Write(const std::u16string&) override {}
};

// As the monitor plays: a thread of the player's own per playback, one after the other.
void PlayRounds(TTimedInput& AInput, int ARounds) {
    TNoDebugOutput Debug;
    TMonitorFlags Flags;
    auto Profile = std::make_unique<TMouseProfileInfo>();
    Profile->MacroKeyInfoList.MacroInfos[0] = MeasuringMacro();
    TMacroPlayer Player(AInput, Debug, Flags, *Profile);
    for (int Round = 0; Round < ARounds; ++Round) {
        Player.PlayCurrentMacro();
        Player.WaitForEnd();
    }
}

int Inside(const TOptions& AOptions) {
    TTimedInput Input(AOptions.FFallback);
    PlayRounds(Input, AOptions.FRounds);
    PrintErrors("inside", Input.LateUs(), Input.Describe());
    return 0;
}

int Send(const TOptions& AOptions) {
    TTimedInput Input(AOptions.FFallback);
    PlayRounds(Input, AOptions.FRounds);
    return 0;
}

// What the hook saw of our key events, stamped when it saw them.
std::vector<std::int64_t> GSeen;

LRESULT CALLBACK KeyProc(int ACode, WPARAM AWParam, LPARAM ALParam) {
    if (ACode == HC_ACTION) {
        const auto* Info = reinterpret_cast<const KBDLLHOOKSTRUCT*>(ALParam);
        if (Info->dwExtraInfo == platform::SYNTHESISED_INPUT_MARK && Info->vkCode == QUIET_KEY) {
            GSeen.push_back(Now());
        }
    }
    return CallNextHookEx(nullptr, ACode, AWParam, ALParam);
}

HANDLE StartSender(const TOptions& AOptions) {
    wchar_t Path[MAX_PATH];
    GetModuleFileNameW(nullptr, Path, MAX_PATH);
    std::wstring Command = L"\"" + std::wstring(Path) + L"\" send " +
                           (AOptions.FFallback ? L"--fallback " : L"") +
                           std::to_wstring(AOptions.FRounds);
    STARTUPINFOW Startup{};
    Startup.cb = sizeof(Startup);
    PROCESS_INFORMATION Process{};
    if (!CreateProcessW(nullptr, Command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &Startup, &Process)) {
        return nullptr;
    }
    CloseHandle(Process.hThread);
    return Process.hProcess;
}

// The hook's thread does nothing but pump its messages, as a program that watches input does.
int Hook(const TOptions& AOptions) {
    HHOOK KeyHook = SetWindowsHookExW(WH_KEYBOARD_LL, KeyProc, GetModuleHandleW(nullptr), 0);
    if (!KeyHook) {
        std::printf("hook: no low-level keyboard hook here\n");
        return 1;
    }
    HANDLE Sender = StartSender(AOptions);
    if (!Sender) {
        UnhookWindowsHookEx(KeyHook);
        std::printf("hook: the player could not be started\n");
        return 1;
    }
    for (;;) {
        if (MsgWaitForMultipleObjects(1, &Sender, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0) {
            break;
        }
        MSG Msg;
        while (PeekMessageW(&Msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&Msg);
        }
    }
    CloseHandle(Sender);
    UnhookWindowsHookEx(KeyHook);

    const std::size_t Expected = KEY_EVENTS * static_cast<std::size_t>(AOptions.FRounds);
    if (GSeen.size() != Expected) {
        std::printf("hook: saw %zu of %zu key events\n", GSeen.size(), Expected);
        return 1;
    }
    // Within a round only: between rounds the player starts a new thread.
    std::vector<double> ErrorsUs;
    for (std::size_t Round = 0; Round < static_cast<std::size_t>(AOptions.FRounds); ++Round) {
        for (std::size_t Event = 0; Event + 1 < KEY_EVENTS; ++Event) {
            const std::size_t At = Round * KEY_EVENTS + Event;
            ErrorsUs.push_back(TicksToUs(GSeen[At + 1] - GSeen[At]) - DelayAfter(Event) * 1000.0);
        }
    }
    PrintErrors("hook", ErrorsUs,
                AOptions.FFallback ? "player with the fallback priority"
                                   : "player as the monitor runs it");
    return 0;
}

TOptions ReadOptions(int AArgc, char** AArgv) {
    TOptions Options;
    for (int I = 1; I < AArgc; ++I) {
        if (std::strcmp(AArgv[I], "--fallback") == 0) {
            Options.FFallback = true;
        } else if (Options.FMode.empty()) {
            Options.FMode = AArgv[I];
        } else {
            Options.FRounds = std::max(1, std::atoi(AArgv[I]));
        }
    }
    return Options;
}

} // namespace
} // namespace vanto

int main(int argc, char** argv) {
    const vanto::TOptions Options = vanto::ReadOptions(argc, argv);
    if (Options.FMode == "inside") {
        return vanto::Inside(Options);
    }
    if (Options.FMode == "hook") {
        return vanto::Hook(Options);
    }
    if (Options.FMode == "send") {
        return vanto::Send(Options);
    }
    std::fprintf(stderr, "usage: measure_playback inside|hook|send [--fallback] [ROUNDS]\n");
    return 2;
}
