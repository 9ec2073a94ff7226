// The monitor's on-screen message over a window the user works in: the virtual mouse switches
// profile, a real VantoMon.exe tells it near the bottom of the screen, and the window below
// keeps the focus and gets the click that X makes over the message.

#include "MonitorProcess.h"
#include "MouseProbe.h"
#include "VirtualMouse.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace vanto::monitortest {
namespace {

constexpr DWORD WAIT_MS = 20000;
constexpr wchar_t MESSAGE_TITLE[] = L"VantoOnScreenMessage";
constexpr wchar_t TARGET_CLASS[] = L"VantoMessageClickTarget";
// Shown for 1.5 s, then faded in about a third of a second.
constexpr DWORD MESSAGE_GONE_MS = 3000;

HWND VisibleMessage() {
    const HWND Window = FindWindowW(nullptr, MESSAGE_TITLE);
    return Window != nullptr && IsWindowVisible(Window) ? Window : nullptr;
}

// A window of this process that covers the screen, as the window a user works in; it counts
// the left clicks it gets.
class TClickTarget {
public:
    TClickTarget() {
        WNDCLASSEXW Class{};
        Class.cbSize = sizeof Class;
        Class.lpfnWndProc = Procedure;
        Class.hInstance = GetModuleHandleW(nullptr);
        Class.hbrBackground = CreateSolidBrush(RGB(0x2E, 0x6B, 0xA8));
        Class.lpszClassName = TARGET_CLASS;
        RegisterClassExW(&Class);
        FWindow = CreateWindowExW(0, TARGET_CLASS, L"Click target", WS_POPUP | WS_VISIBLE, 0, 0,
                                  GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        SetWindowLongPtrW(FWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        SetForegroundWindow(FWindow);
    }
    ~TClickTarget() { DestroyWindow(FWindow); }
    TClickTarget(const TClickTarget&) = delete;
    TClickTarget& operator=(const TClickTarget&) = delete;

    HWND Window() const { return FWindow; }
    int Clicks() const { return FClicks; }

private:
    static LRESULT CALLBACK Procedure(HWND AWindow, UINT AMsg, WPARAM AWParam, LPARAM ALParam) {
        auto* Target = reinterpret_cast<TClickTarget*>(GetWindowLongPtrW(AWindow, GWLP_USERDATA));
        if (AMsg == WM_LBUTTONDOWN && Target != nullptr) {
            ++Target->FClicks;
        }
        return DefWindowProcW(AWindow, AMsg, AWParam, ALParam);
    }

    HWND FWindow = nullptr;
    int FClicks = 0;
};

class MonitorOnScreenMessageTest : public testing::Test {
protected:
    static void SetUpTestSuite() { FFolder = new TMonitorFolder(L"VantoMonMessage"); }
    static void TearDownTestSuite() {
        delete FFolder;
        FFolder = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(MonitorWindows().empty()) << "a monitor is already running";
        ASSERT_NE(GetFileAttributesW(XDOTOOL), INVALID_FILE_ATTRIBUTES)
            << "xdotool is not installed (scripts/setup-deps installs it)";
        std::wstring Error;
        ASSERT_TRUE(FMouse.PlugInFresh(WAIT_MS, Error)) << std::string(Error.begin(), Error.end());
    }

    // The mouse switches profile and the message for it appears.
    HWND SwitchAndWaitForMessage(unsigned AProfile) {
        HWND Message = nullptr;
        if (FMouse.SelectProfile(AProfile)) {
            PumpUntil([&] { return (Message = VisibleMessage()) != nullptr; }, WAIT_MS);
        }
        return Message;
    }

    TConfigAppStandIn FConfigApp;
    vmouse::TVirtualMouse FMouse;
    static TMonitorFolder* FFolder;
};

TMonitorFolder* MonitorOnScreenMessageTest::FFolder = nullptr;

TEST_F(MonitorOnScreenMessageTest, AProfileMessageNeverTakesTheFocusNorAClickFromTheWindowBelow) {
    TMonitorProcess Monitor(FFolder->Executable());
    ASSERT_NE(Monitor.WaitForWindow(WAIT_MS), nullptr);
    ASSERT_TRUE(ProbeUntilRead(FConfigApp, FMouse, 1, WAIT_MS).has_value())
        << "the monitor never read the mouse";
    ASSERT_TRUE(PumpUntil([] { return VisibleMessage() == nullptr; }, MESSAGE_GONE_MS));

    TClickTarget Target;
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == Target.Window(); }, WAIT_MS));
    // The message goes to the screen that holds the pointer.
    const int Width = GetSystemMetrics(SM_CXSCREEN);
    const int Height = GetSystemMetrics(SM_CYSCREEN);
    ASSERT_TRUE(RunHostProgram(XDOTOOL, L"mousemove " + std::to_wstring(Width / 2) + L" " +
                                            std::to_wstring(Height / 3)));
    PumpUntil([] { return false; }, 300);

    HWND Message = SwitchAndWaitForMessage(0);
    ASSERT_NE(Message, nullptr) << "no message for the profile switch";
    const LONG_PTR ExStyle = GetWindowLongPtrW(Message, GWL_EXSTYLE);
    constexpr LONG_PTR STYLE =
        WS_EX_NOACTIVATE | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW | WS_EX_LAYERED | WS_EX_TOPMOST;
    EXPECT_EQ(ExStyle & STYLE, STYLE) << std::hex << ExStyle;
    RECT Bounds{};
    ASSERT_TRUE(GetWindowRect(Message, &Bounds));
    RECT Work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &Work, 0);
    EXPECT_NEAR((Bounds.left + Bounds.right) / 2, (Work.left + Work.right) / 2, 1);
    EXPECT_GT(Bounds.top, Work.bottom - 250) << "near the bottom of the screen";
    EXPECT_LE(Bounds.bottom, Work.bottom);
    EXPECT_EQ(GetForegroundWindow(), Target.Window());

    wchar_t Shot[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"VANTO_MESSAGE_SCREENSHOT", Shot, MAX_PATH) != 0) {
        RunHostProgram(L"Z:\\usr\\bin\\import", L"-window root " + std::wstring(Shot));
        PumpUntil([] { return false; }, 1500);
    }

    // A fresh message, clicked through at once, while it is fully shown.
    Message = SwitchAndWaitForMessage(1);
    ASSERT_NE(Message, nullptr);
    ASSERT_TRUE(GetWindowRect(Message, &Bounds));
    ASSERT_TRUE(RunHostProgram(
        XDOTOOL, L"mousemove " + std::to_wstring((Bounds.left + Bounds.right) / 2) + L" " +
                     std::to_wstring((Bounds.top + Bounds.bottom) / 2) + L" click 1"));
    EXPECT_TRUE(PumpUntil([&] { return Target.Clicks() == 1; }, 1000))
        << "the click over the message did not reach the window below";
    EXPECT_NE(VisibleMessage(), nullptr) << "the click came after the message had gone";
    EXPECT_EQ(GetForegroundWindow(), Target.Window());

    EXPECT_TRUE(PumpUntil([] { return VisibleMessage() == nullptr; }, MESSAGE_GONE_MS))
        << "the message did not fade out";
    EXPECT_EQ(GetForegroundWindow(), Target.Window());
}

} // namespace
} // namespace vanto::monitortest
