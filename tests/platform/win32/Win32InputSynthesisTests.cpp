#include "platform/win32/Win32InputSynthesis.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <iostream>
#include <mutex>
#include <thread>
#include <vector>

namespace vanto::win32 {
namespace {

// F24: a key that exists on no keyboard here, so sending it disturbs nothing.
constexpr std::uint8_t QUIET_KEY = 0x87;

struct TSeenInput {
    bool IsKey = false;
    DWORD Code = 0;  // virtual key, or the mouse message
    DWORD Flags = 0; // LLKHF_... of a key
    DWORD Data = 0;  // mouseData of a mouse event
    ULONG_PTR Extra = 0;
};

// Low-level hooks on a thread of their own with its own message loop, as our own hook will see
// the input. Only one instance lives at a time: the hook procedures reach it through Current.
class TInputWatcher {
public:
    TInputWatcher() {
        Current = this;
        FThread = std::thread([this] { Run(); });
        std::unique_lock Lock(FLock);
        FChanged.wait(Lock, [this] { return FReady; });
    }
    ~TInputWatcher() {
        PostThreadMessageW(FThreadId, WM_QUIT, 0, 0);
        FThread.join();
        Current = nullptr;
    }

    bool Hooked() const { return FHooked; }

    // What the hooks saw of our marked events, once AWant of them came or the wait ran out.
    std::vector<TSeenInput> WaitForMarked(std::size_t AWant) {
        std::unique_lock Lock(FLock);
        FChanged.wait_for(Lock, std::chrono::seconds(5), [&] { return FSeen.size() >= AWant; });
        return FSeen;
    }

private:
    void Run() {
        FThreadId = GetCurrentThreadId();
        MSG Msg;
        PeekMessageW(&Msg, nullptr, 0, 0, PM_NOREMOVE); // the thread's queue, for WM_QUIT
        HHOOK Keys = SetWindowsHookExW(WH_KEYBOARD_LL, KeyProc, GetModuleHandleW(nullptr), 0);
        HHOOK Mouse = SetWindowsHookExW(WH_MOUSE_LL, MouseProc, GetModuleHandleW(nullptr), 0);
        {
            std::lock_guard Lock(FLock);
            FHooked = Keys && Mouse;
            FReady = true;
        }
        FChanged.notify_all();
        while (GetMessageW(&Msg, nullptr, 0, 0) > 0) {
            DispatchMessageW(&Msg);
        }
        if (Keys) {
            UnhookWindowsHookEx(Keys);
        }
        if (Mouse) {
            UnhookWindowsHookEx(Mouse);
        }
    }

    void Note(const TSeenInput& AInput) {
        if (AInput.Extra != platform::SYNTHESISED_INPUT_MARK) {
            return; // the user's, or another program's
        }
        {
            std::lock_guard Lock(FLock);
            FSeen.push_back(AInput);
        }
        FChanged.notify_all();
    }

    static LRESULT CALLBACK KeyProc(int ACode, WPARAM AWParam, LPARAM ALParam) {
        if (ACode == HC_ACTION && Current) {
            const auto* Info = reinterpret_cast<const KBDLLHOOKSTRUCT*>(ALParam);
            Current->Note({true, Info->vkCode, Info->flags, 0, Info->dwExtraInfo});
        }
        return CallNextHookEx(nullptr, ACode, AWParam, ALParam);
    }
    static LRESULT CALLBACK MouseProc(int ACode, WPARAM AWParam, LPARAM ALParam) {
        if (ACode == HC_ACTION && Current) {
            const auto* Info = reinterpret_cast<const MSLLHOOKSTRUCT*>(ALParam);
            Current->Note(
                {false, static_cast<DWORD>(AWParam), 0, Info->mouseData, Info->dwExtraInfo});
        }
        return CallNextHookEx(nullptr, ACode, AWParam, ALParam);
    }

    static inline TInputWatcher* Current = nullptr;
    std::mutex FLock;
    std::condition_variable FChanged;
    bool FReady = false;
    bool FHooked = false;
    DWORD FThreadId = 0;
    std::vector<TSeenInput> FSeen;
    std::thread FThread;
};

double ElapsedMs(const LARGE_INTEGER& AStart, const LARGE_INTEGER& AEnd) {
    LARGE_INTEGER Frequency;
    QueryPerformanceFrequency(&Frequency);
    return static_cast<double>(AEnd.QuadPart - AStart.QuadPart) * 1000.0 /
           static_cast<double>(Frequency.QuadPart);
}

class Win32PreciseWaitTest : public testing::TestWithParam<bool> {};

// Both the timer this system offers and the fallback of systems that refuse it.
TEST_P(Win32PreciseWaitTest, WaitsAtLeastTheAskedTime) {
    TWin32InputSynthesis Input(GetParam());
    std::cout << "[ timer    ] " << WaitTimerKindName(Input.TimerKind()) << std::endl;
    testing::Test::RecordProperty("TimerKind", WaitTimerKindName(Input.TimerKind()));
    platform::TPlaybackScope Playback(Input);
    for (std::uint32_t Ms : {0u, 1u, 2u, 3u, 6u, 15u, 40u}) {
        for (int Round = 0; Round < 3; ++Round) {
            LARGE_INTEGER Start, End;
            QueryPerformanceCounter(&Start);
            Input.WaitPrecise(Ms);
            QueryPerformanceCounter(&End);
            const double Took = ElapsedMs(Start, End);
            EXPECT_GE(Took, static_cast<double>(Ms)) << "asked " << Ms << " ms";
            if (Round == 0) {
                std::cout << "[ wait     ] " << Ms << " ms took " << Took << " ms" << std::endl;
            }
        }
    }
}

// The monitor's main thread ends a playback in the middle of a delay of a minute.
TEST_P(Win32PreciseWaitTest, ACancelFromAnotherThreadEndsALongWaitAtOnceUntilArmedAgain) {
    TWin32InputSynthesis Input(GetParam());
    platform::TPlaybackScope Playback(Input);
    std::thread MainThread([&Input] {
        Sleep(50);
        Input.CancelWaits();
    });
    LARGE_INTEGER Start, End;
    QueryPerformanceCounter(&Start);
    EXPECT_FALSE(Input.WaitPrecise(60000));
    QueryPerformanceCounter(&End);
    MainThread.join();
    EXPECT_LT(ElapsedMs(Start, End), 10000.0);
    EXPECT_FALSE(Input.WaitPrecise(40)); // cancelled before it began
    Input.ArmWaits();
    QueryPerformanceCounter(&Start);
    EXPECT_TRUE(Input.WaitPrecise(40));
    QueryPerformanceCounter(&End);
    EXPECT_GE(ElapsedMs(Start, End), 40.0);
}

INSTANTIATE_TEST_SUITE_P(Win32InputSynthesisTest, Win32PreciseWaitTest, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& AInfo) {
                             return AInfo.param ? "BestTimer" : "Fallback";
                         });

TEST(Win32InputSynthesisTest, EventsCarryTheMarkAndTheirFlags) {
    TInputWatcher Watcher;
    if (!Watcher.Hooked()) {
        GTEST_SKIP() << "low-level hooks are not available here";
    }
    TWin32InputSynthesis Input;
    Input.SendKey(QUIET_KEY, 0, false, false);
    Input.SendKey(QUIET_KEY, 0, true, true);
    const platform::TCursorPos Pos = Input.CursorPos();
    Input.SendMouse(platform::MOUSE_WHEEL, Pos, -platform::WHEEL_NOTCH);
    const std::vector<TSeenInput> Seen = Watcher.WaitForMarked(3);
    ASSERT_EQ(Seen.size(), 3u);
    EXPECT_TRUE(Seen[0].IsKey);
    EXPECT_EQ(Seen[0].Code, QUIET_KEY);
    EXPECT_EQ(Seen[0].Flags & (LLKHF_UP | LLKHF_EXTENDED), 0u);
    EXPECT_EQ(Seen[1].Code, QUIET_KEY);
    EXPECT_EQ(Seen[1].Flags & (LLKHF_UP | LLKHF_EXTENDED),
              static_cast<DWORD>(LLKHF_UP | LLKHF_EXTENDED));
    EXPECT_FALSE(Seen[2].IsKey);
    EXPECT_EQ(Seen[2].Code, static_cast<DWORD>(WM_MOUSEWHEEL));
    EXPECT_EQ(static_cast<short>(HIWORD(Seen[2].Data)), -WHEEL_DELTA);
}

} // namespace
} // namespace vanto::win32
