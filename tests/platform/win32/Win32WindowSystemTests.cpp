#include "platform/win32/Win32WindowSystem.h"

#include "platform/win32/WideText.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

namespace vanto::win32 {
namespace {

using platform::TWindowHandle;

constexpr platform::TMessageId Msg = WM_USER + 100;
constexpr platform::TMessageId ThrowMsg = WM_USER + 200;
// The exit code of a loop that a lost quit would have left running.
constexpr int Watchdog = -99;

struct TSeen {
    UINT FMsg;
    WPARAM FW;
    LPARAM FL;
    bool operator==(const TSeen&) const = default;
};

HWND ToHwnd(TWindowHandle AWindow) {
    return reinterpret_cast<HWND>(AWindow);
}

class Win32WindowSystemTest : public ::testing::Test {
protected:
    void TearDown() override {
        FWindows.reset();
        MSG Left; // a quit left behind would end the next test's loop
        while (PeekMessageW(&Left, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

    // A window that notes the messages of interest and answers Msg with twice its wParam.
    TWindowHandle Open(const std::u16string& AClass, const std::u16string& ATitle = u"") {
        return FWindows->CreateHiddenWindow(AClass, ATitle, [this](auto AMsg, auto AW, auto AL) {
            if (AMsg >= WM_USER || AMsg == WM_TIMER || AMsg == WM_SETTEXT) {
                FSeen.push_back({AMsg, AW, AL});
            }
            if (AMsg == ThrowMsg) {
                throw std::runtime_error("handler failed");
            }
            return AMsg == Msg ? static_cast<platform::TMessageResult>(AW * 2) : 0;
        });
    }

    // Pumps until a message of that kind arrived or the wait ran out.
    std::optional<TSeen> WaitFor(UINT AMsg, DWORD AWaitMs) {
        const ULONGLONG Deadline = GetTickCount64() + AWaitMs;
        do {
            FSeen.clear();
            FWindows->ProcessPendingMessages();
            for (const TSeen& Seen : FSeen) {
                if (Seen.FMsg == AMsg) {
                    return Seen;
                }
            }
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        } while (GetTickCount64() < Deadline);
        return std::nullopt;
    }

    std::unique_ptr<TWin32WindowSystem> FWindows = std::make_unique<TWin32WindowSystem>();
    std::vector<TSeen> FSeen;
};

TEST_F(Win32WindowSystemTest, HiddenTopLevelWindowsAreFoundByTheirClass) {
    const TWindowHandle Monitor = Open(u"VantoTestMonitor", u"Monitor Title");
    const TWindowHandle Other = Open(u"VantoTestOther");
    ASSERT_NE(Monitor, 0u);
    ASSERT_NE(Other, 0u);
    EXPECT_EQ(FWindows->FindTopWindow(u"VantoTestMonitor"), Monitor);
    EXPECT_EQ(FWindows->FindTopWindow(u"VantoTestOther"), Other);
    EXPECT_EQ(FindWindowW(L"VantoTestMonitor", L"Monitor Title"), ToHwnd(Monitor));
    EXPECT_FALSE(IsWindowVisible(ToHwnd(Monitor)));
    EXPECT_EQ(GetAncestor(ToHwnd(Monitor), GA_PARENT), GetDesktopWindow());

    FWindows->DestroyHiddenWindow(Other);
    EXPECT_EQ(FWindows->FindTopWindow(u"VantoTestOther"), 0u);
    EXPECT_EQ(FWindows->FindTopWindow(u"VantoTestNobody"), 0u);
}

TEST_F(Win32WindowSystemTest, PostedMessagesWaitForTheLoopAndRunInOrder) {
    const TWindowHandle Window = Open(u"VantoTestMonitor");
    ASSERT_TRUE(FWindows->Post(Window, Msg, 1, -1));
    ASSERT_TRUE(FWindows->Post(Window, Msg + 1, 2, 0));
    ASSERT_TRUE(FWindows->Post(Window, Msg, 3, 0));
    EXPECT_TRUE(FSeen.empty());

    EXPECT_TRUE(FWindows->ProcessPendingMessages());
    EXPECT_EQ(FSeen, (std::vector<TSeen>{{Msg, 1, -1}, {Msg + 1, 2, 0}, {Msg, 3, 0}}));
}

TEST_F(Win32WindowSystemTest, SendRunsTheProcAtOnceAndReturnsItsResult) {
    const TWindowHandle Window = Open(u"VantoTestMonitor");
    EXPECT_EQ(FWindows->Send(Window, Msg, 21, 5), 42);
    EXPECT_EQ(FSeen, (std::vector<TSeen>{{Msg, 21, 5}}));

    // Messages of the system reach the proc and still get their default handling.
    const wchar_t Title[] = L"Renamed";
    FWindows->Send(Window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Title));
    EXPECT_EQ(FSeen.size(), 2u);
    wchar_t Read[16] = {};
    GetWindowTextW(ToHwnd(Window), Read, 16);
    EXPECT_STREQ(Read, Title);

    FWindows->DestroyHiddenWindow(Window);
    EXPECT_EQ(FWindows->Send(Window, Msg, 21, 0), 0);
    EXPECT_FALSE(FWindows->Post(Window, Msg, 21, 0));
}

TEST_F(Win32WindowSystemTest, TimerDeliversItsIdUntilStopped) {
    const TWindowHandle Window = Open(u"VantoTestMonitor");
    ASSERT_TRUE(FWindows->StartTimer(Window, 7, 10));
    const auto Tick = WaitFor(WM_TIMER, 2000);
    ASSERT_TRUE(Tick.has_value());
    EXPECT_EQ(Tick->FW, 7u);

    FWindows->StopTimer(Window, 7);
    EXPECT_FALSE(WaitFor(WM_TIMER, 100).has_value());
}

TEST_F(Win32WindowSystemTest, QuitEndsTheLoopsWithItsCode) {
    const TWindowHandle Window = FWindows->CreateHiddenWindow(
        u"VantoTestMonitor", u"", [this](auto AMsg, auto AW, auto) -> platform::TMessageResult {
            if (AMsg == Msg || AMsg == WM_TIMER) {
                FWindows->Quit(AMsg == Msg ? static_cast<int>(AW) : Watchdog);
            }
            return 0;
        });
    ASSERT_TRUE(FWindows->StartTimer(Window, 1, 3000));
    ASSERT_TRUE(FWindows->Post(Window, Msg, 42, 0));
    EXPECT_EQ(FWindows->RunMessageLoop(), 42);

    // A nested pump stops at the quit and leaves it for the loop further out.
    FWindows->Quit(5);
    EXPECT_FALSE(FWindows->ProcessPendingMessages());
    EXPECT_EQ(FWindows->RunMessageLoop(), 5);
}

TEST_F(Win32WindowSystemTest, ExceptionsOfTheProcReachTheDispatchingCall) {
    const TWindowHandle Window = Open(u"VantoTestMonitor");
    ASSERT_TRUE(FWindows->Post(Window, ThrowMsg, 0, 0));
    EXPECT_THROW(FWindows->ProcessPendingMessages(), std::runtime_error);
    EXPECT_THROW(FWindows->Send(Window, ThrowMsg, 0, 0), std::runtime_error);
    EXPECT_EQ(FWindows->Send(Window, Msg, 1, 0), 2); // and the window goes on working
}

TEST_F(Win32WindowSystemTest, WindowsReleaseTheirProcWhenDestroyed) {
    auto Token = std::make_shared<int>(0);
    auto Keeper = [Token](auto, auto, auto) -> platform::TMessageResult { return 0; };
    const TWindowHandle Window = FWindows->CreateHiddenWindow(u"VantoTestMonitor", u"", Keeper);
    FWindows->CreateHiddenWindow(u"VantoTestOther", u"", Keeper);
    ASSERT_EQ(Token.use_count(), 4); // Token, Keeper and the two windows' copies

    FWindows->DestroyHiddenWindow(Window);
    EXPECT_EQ(Token.use_count(), 3);
    FWindows.reset(); // the owner takes its remaining windows with it
    EXPECT_EQ(Token.use_count(), 2);
    EXPECT_EQ(FindWindowW(L"VantoTestOther", nullptr), nullptr);
}

} // namespace
} // namespace vanto::win32
