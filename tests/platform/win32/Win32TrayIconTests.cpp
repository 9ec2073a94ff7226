#include "platform/win32/Win32TrayIcon.h"

#include "platform/win32/Win32WindowSystem.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <optional>
#include <thread>

namespace vanto::win32 {
namespace {

using platform::TWindowHandle;

constexpr platform::TMessageId TRAY_MESSAGE = WM_USER + 1;
constexpr DWORD MENU_WAIT_MS = 10000;

TEST(Win32TrayIconCaptionTest, AmpersandsAreShownRatherThanTakenAsHotKeys) {
    EXPECT_EQ(MenuCaptionText(u"Config"), u"Config");
    EXPECT_EQ(MenuCaptionText(u"Save & Exit"), u"Save && Exit");
    EXPECT_EQ(MenuCaptionText(u"&&"), u"&&&&");
    EXPECT_EQ(MenuCaptionText(u""), u"");
}

class Win32TrayIconTest : public ::testing::Test {
protected:
    void SetUp() override {
        FOwner = FWindows.CreateHiddenWindow(u"VantoTrayTestOwner", u"",
                                             [this](auto AMsg, auto AW, auto) {
                                                 if (AMsg == WM_COMMAND) {
                                                     FCommand = AW;
                                                 }
                                                 return platform::TMessageResult{0};
                                             });
        ASSERT_NE(FOwner, 0u);
    }

    // Pumps until the owner got a WM_COMMAND or the wait ran out.
    std::optional<platform::TWParam> WaitForCommand(DWORD AWaitMs) {
        const ULONGLONG Deadline = GetTickCount64() + AWaitMs;
        while (!FCommand && GetTickCount64() < Deadline) {
            FWindows.ProcessPendingMessages();
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
        return FCommand;
    }

    TWin32WindowSystem FWindows;
    TWindowHandle FOwner = 0;
    std::optional<platform::TWParam> FCommand;
};

TEST_F(Win32TrayIconTest, TheHintChangesOnlyWhileTheIconIsShown) {
    TWin32TrayIcon Tray;
    EXPECT_FALSE(Tray.SetHint(u"before"));
    ASSERT_TRUE(Tray.Add(FOwner, TRAY_MESSAGE, u"Gaming Mouse Driver"));
    EXPECT_TRUE(Tray.SetHint(u"Gaming Mouse Driver, a hint longer than the shell's tip field of "
                             u"one hundred and twenty-eight characters, which is cut to fit"));
    // Explorer restarted: the icon is added again even where the shell still knows it.
    EXPECT_TRUE(Tray.Add(FOwner, TRAY_MESSAGE, u"again"));
    Tray.Remove();
    EXPECT_FALSE(Tray.SetHint(u"after"));
    Tray.Remove();
}

// A menu that were tracked here would wait for a user, and the test would run into its timeout.
TEST_F(Win32TrayIconTest, AnEmptyMenuOrNoOwnerShowsNothing) {
    TWin32TrayIcon Tray;
    Tray.ShowMenu({{1001, u"Config"}}); // not added yet: no owner to report to
    ASSERT_TRUE(Tray.Add(FOwner, TRAY_MESSAGE, u"hint"));
    Tray.ShowMenu({});
    EXPECT_FALSE(WaitForCommand(200).has_value());
}

// A user opens the menu and picks the second item with the keyboard: the choice reaches the
// owner as WM_COMMAND with the item's id once ShowMenu has returned.
TEST_F(Win32TrayIconTest, AChosenMenuItemReachesTheOwnerAsItsCommand) {
    TWin32TrayIcon Tray;
    // The menu needs its owner, not the shell: it opens even where no notification area runs.
    Tray.Add(FOwner, TRAY_MESSAGE, u"hint");
    std::atomic<bool> Chosen = false;
    std::thread User([&] {
        const ULONGLONG Deadline = GetTickCount64() + MENU_WAIT_MS;
        HWND Menu = nullptr;
        while (Menu == nullptr && GetTickCount64() < Deadline) {
            Sleep(20);
            Menu = FindWindowW(L"#32768", nullptr);
        }
        if (Menu == nullptr) {
            return;
        }
        for (WPARAM Key : {VK_DOWN, VK_DOWN, VK_RETURN}) {
            PostMessageW(Menu, WM_KEYDOWN, Key, 0);
        }
        Chosen = true;
    });
    Tray.ShowMenu({{1001, u"Config"}, {1002, u"About"}, {1003, u"Exit"}});
    User.join();
    ASSERT_TRUE(Chosen) << "the menu never appeared";
    EXPECT_EQ(WaitForCommand(MENU_WAIT_MS), std::optional<platform::TWParam>(1002));
}

} // namespace
} // namespace vanto::win32
