#include "platform/sim/SimWindowSystem.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace vanto::sim {
namespace {

using platform::TLParam;
using platform::TMessageId;
using platform::TWindowHandle;
using platform::TWParam;
using testing::ElementsAre;

class SimWindowSystemTest : public testing::Test {
protected:
    TWindowHandle Recorder(const std::u16string& AClass, std::vector<TMessageId>& ALog) {
        return FWindows.CreateHiddenWindow(AClass, u"", [&ALog](TMessageId AMsg, TWParam, TLParam) {
            ALog.push_back(AMsg);
            return static_cast<platform::TMessageResult>(AMsg) * 2;
        });
    }

    TSimClock FClock;
    TSimWindowSystem FWindows{FClock};
};

TEST_F(SimWindowSystemTest, PostedMessagesWaitForTheLoopAndKeepTheirOrder) {
    std::vector<TMessageId> Log;
    TWindowHandle Window = Recorder(u"A", Log);
    EXPECT_TRUE(FWindows.Post(Window, 1, 0, 0));
    EXPECT_TRUE(FWindows.Post(Window, 2, 0, 0));
    EXPECT_TRUE(Log.empty());
    EXPECT_TRUE(FWindows.ProcessPendingMessages());
    EXPECT_THAT(Log, ElementsAre(1, 2));
    EXPECT_FALSE(FWindows.Post(0x7777, 3, 0, 0));
}

TEST_F(SimWindowSystemTest, ASendRunsAtOnceAndNestedSendsRunInsideIt) {
    std::vector<TMessageId> MonitorLog;
    TWindowHandle Monitor = Recorder(u"Monitor", MonitorLog);
    // The other side answers a send with a send of its own, before it returns.
    TWindowHandle Other =
        FWindows.CreateHiddenWindow(u"Other", u"", [&](TMessageId AMsg, TWParam, TLParam) {
            FWindows.Send(Monitor, AMsg + 1, 0, 0);
            return platform::TMessageResult{42};
        });
    EXPECT_EQ(FWindows.Send(Other, 10, 0, 0), 42);
    EXPECT_THAT(MonitorLog, ElementsAre(11));
    EXPECT_EQ(FWindows.Send(0x7777, 10, 0, 0), 0);
}

TEST_F(SimWindowSystemTest, FindsWindowsByClassUntilDestroyed) {
    std::vector<TMessageId> Log;
    TWindowHandle Window = Recorder(u"TVantoCfgExMain", Log);
    EXPECT_EQ(FWindows.FindTopWindow(u"TVantoCfgExMain"), Window);
    EXPECT_EQ(FWindows.FindTopWindow(u"Nobody"), 0u);
    FWindows.Post(Window, 1, 0, 0);
    FWindows.DestroyHiddenWindow(Window);
    FWindows.ProcessPendingMessages();
    EXPECT_TRUE(Log.empty());
    EXPECT_EQ(FWindows.FindTopWindow(u"TVantoCfgExMain"), 0u);
}

TEST_F(SimWindowSystemTest, TimersTickWithSimulatedTime) {
    std::vector<std::pair<TWParam, std::uint64_t>> Ticks;
    TWindowHandle Window =
        FWindows.CreateHiddenWindow(u"T", u"", [&](TMessageId AMsg, TWParam AW, TLParam) {
            if (AMsg == platform::WM_TIMER_MESSAGE) {
                Ticks.emplace_back(AW, FClock.NowMs());
            }
            return 0;
        });
    FWindows.StartTimer(Window, 7, 1500);
    FWindows.StartTimer(Window, 8, 100);
    FWindows.AdvanceTime(1499);
    EXPECT_EQ(std::count(Ticks.begin(), Ticks.end(), std::pair<TWParam, std::uint64_t>{8, 1400}),
              1);
    EXPECT_EQ(Ticks.size(), 14u);
    FWindows.StopTimer(Window, 8);
    FWindows.AdvanceTime(1);
    EXPECT_EQ(Ticks.back(), (std::pair<TWParam, std::uint64_t>{7, 1500}));

    // Restarting a timer restarts its interval; a timer left behind by a sleep fires once.
    FWindows.StartTimer(Window, 7, 1500);
    Ticks.clear();
    FClock.SleepMs(10000);
    FWindows.ProcessPendingMessages();
    FWindows.ProcessPendingMessages();
    EXPECT_THAT(Ticks, ElementsAre(std::pair<TWParam, std::uint64_t>{7, 11500}));
}

TEST_F(SimWindowSystemTest, RunMessageLoopEndsOnQuitAfterTheQueuedMessages) {
    std::vector<TMessageId> Log;
    TWindowHandle Window =
        FWindows.CreateHiddenWindow(u"Q", u"", [&](TMessageId AMsg, TWParam, TLParam) {
            Log.push_back(AMsg);
            if (AMsg == 1) {
                FWindows.Quit(5);
                FWindows.Post(Window, 2, 0, 0);
            }
            return 0;
        });
    FWindows.Post(Window, 1, 0, 0);
    EXPECT_EQ(FWindows.RunMessageLoop(), 5);
    EXPECT_THAT(Log, ElementsAre(1, 2));
}

TEST_F(SimWindowSystemTest, TheLoopJumpsToTheNextTimerWhenIdle) {
    TWindowHandle Window =
        FWindows.CreateHiddenWindow(u"J", u"", [&](TMessageId AMsg, TWParam, TLParam) {
            if (AMsg == platform::WM_TIMER_MESSAGE) {
                FWindows.Quit(0);
            }
            return 0;
        });
    FWindows.StartTimer(Window, 1, 1500);
    FWindows.RunMessageLoop();
    EXPECT_EQ(FClock.NowMs(), 1500u);
}

TEST_F(SimWindowSystemTest, ASendFromAnotherThreadRunsOnTheMainThread) {
    std::thread::id HandledOn;
    TWindowHandle Window =
        FWindows.CreateHiddenWindow(u"S", u"", [&](TMessageId AMsg, TWParam AW, TLParam) {
            HandledOn = std::this_thread::get_id();
            if (AMsg == 2) {
                FWindows.Quit(0);
            }
            return static_cast<platform::TMessageResult>(AW + 1);
        });
    std::atomic<platform::TMessageResult> Result{0};
    std::thread Reader([&] {
        Result = FWindows.Send(Window, 1, 41, 0);
        FWindows.Post(Window, 2, 0, 0);
    });
    FWindows.RunMessageLoop();
    Reader.join();
    EXPECT_EQ(Result.load(), 42);
    EXPECT_EQ(HandledOn, std::this_thread::get_id());
}

} // namespace
} // namespace vanto::sim
