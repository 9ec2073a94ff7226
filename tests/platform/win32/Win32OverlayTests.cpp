#include "platform/win32/Win32SceneAnimation.h"
#include "platform/win32/Win32ScenePlacement.h"
#include "platform/win32/Win32SceneWindows.h"
#include "platform/win32/Win32WindowSystem.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <memory>
#include <string>

namespace vanto::win32 {
namespace {

using platform::TScene;
using platform::TSceneColor;
using platform::TSceneItem;
using platform::TSceneItemKind;
using platform::TScenePlacement;

constexpr TSceneColor DIM{0x60, 0x60, 0x60, 0x00};
constexpr TSceneColor RED{0xFC, 0x08, 0x08, 0xFF};
constexpr float LEG_SECONDS = 0.2F;

TSceneItem Blinking() {
    TSceneItem Item;
    Item.FKind = TSceneItemKind::Ellipse;
    Item.FBounds = {10, 10, 20, 20};
    Item.FFill = DIM;
    Item.FAnimateTo = RED;
    Item.FAnimateSeconds = LEG_SECONDS;
    return Item;
}

// How far AColour has come from AFrom towards ATo, by the red channel, which moves most.
double Travelled(const TSceneColor& AColour, const TSceneColor& AFrom, const TSceneColor& ATo) {
    return static_cast<double>(AColour.R - AFrom.R) / (ATo.R - AFrom.R);
}

TEST(SceneAnimationTest, EasingStartsFastAndLandsExactlyOnBothEnds) {
    EXPECT_EQ(EaseOutExponential(0), 0);
    EXPECT_EQ(EaseOutExponential(1), 1);
    EXPECT_EQ(EaseOutExponential(-0.5F), 0) << "clamped";
    EXPECT_EQ(EaseOutExponential(2), 1);
    // Exponential: half the time covers all but 2^-5 of the way, a tenth of it half the way.
    EXPECT_NEAR(EaseOutExponential(0.5F), (1 - std::exp2(-5.0)) / (1 - std::exp2(-10.0)), 1e-5);
    EXPECT_NEAR(EaseOutExponential(0.1F), 0.5 / (1 - std::exp2(-10.0)), 1e-5);
}

TEST(SceneAnimationTest, FillRunsThereAndBackAgainForEver) {
    const TSceneItem Dot = Blinking();
    EXPECT_EQ(AnimatedFill(Dot, 0), DIM);
    EXPECT_EQ(AnimatedFill(Dot, LEG_SECONDS), RED) << "alpha included";
    EXPECT_EQ(AnimatedFill(Dot, 2 * LEG_SECONDS), DIM);
    EXPECT_GT(Travelled(AnimatedFill(Dot, LEG_SECONDS / 2), DIM, RED), 0.9) << "eases out";
    // On the way back it starts at the far end and eases out towards the first colour.
    EXPECT_LT(Travelled(AnimatedFill(Dot, 1.5 * LEG_SECONDS), DIM, RED), 0.1);
    for (const double At : {0.01, 0.05, 0.13, 0.19}) {
        const TSceneColor Out = AnimatedFill(Dot, At);
        const TSceneColor Back = AnimatedFill(Dot, LEG_SECONDS + At);
        // The return mirrors the way out: as far from RED as the way out was from DIM.
        EXPECT_NEAR(Out.R + Back.R, DIM.R + RED.R, 1) << At;
        EXPECT_NEAR(Out.A + Back.A, DIM.A + RED.A, 1) << At;
        EXPECT_EQ(AnimatedFill(Dot, At + 6 * LEG_SECONDS), Out) << "repeats, at " << At;
    }

    TSceneItem Still = Blinking();
    Still.FAnimateSeconds = 0;
    const TScene Later = SceneAt(TScene{40, 40, {Still, Dot}}, LEG_SECONDS);
    EXPECT_EQ(Later.Items[0].FFill, DIM) << "an item without animation keeps its fill";
    EXPECT_EQ(Later.Items[1].FFill, RED);
}

TEST(ScenePlacementTest, EachPlacementFromTheScreenAndWorkArea) {
    const TSceneScreen Screen{{0, 0, 1280, 1024}, {0, 30, 1200, 954}};
    EXPECT_EQ(PlaceScene(TScenePlacement::BottomCentreOfScreen, 372, 100, Screen),
              (TScenePosition{454, 874}));
    EXPECT_EQ(PlaceScene(TScenePlacement::BottomCentreOfScreen, 371, 100, Screen),
              (TScenePosition{455, 874}))
        << "454.5 rounds to the nearest, up";
    EXPECT_EQ(PlaceScene(TScenePlacement::CentredOnDesktop, 371, 101, Screen),
              (TScenePosition{454, 461}));
    EXPECT_EQ(PlaceScene(TScenePlacement::TopRightOfWorkArea, 300, 100, Screen),
              (TScenePosition{900, 30}));
    // A message keeps above the taskbar, which the work area leaves out, and above the overlay.
    EXPECT_EQ(PlaceScene(TScenePlacement::BottomCentreOfPointerScreen, 200, 44, Screen),
              (TScenePosition{500, 820}));
    const TSceneScreen HighTaskbar{{0, 0, 1280, 1024}, {0, 0, 1280, 800}};
    EXPECT_EQ(PlaceScene(TScenePlacement::BottomCentreOfPointerScreen, 200, 44, HighTaskbar),
              (TScenePosition{540, 716}));
}

constexpr TSceneColor BACKDROP{0x3A, 0x6E, 0xA5, 0xFF};
constexpr TSceneColor FRAME{0x30, 0x40, 0x50, 0xFF};
constexpr TSceneColor GREEN{0x10, 0xC0, 0x10, 0xFF};
constexpr TSceneColor BLUE{0x10, 0x10, 0xC0, 0xFF};
constexpr int OVERLAY_WIDTH = 371; // odd, so that centring meets a half pixel
constexpr int OVERLAY_HEIGHT = 100;

// A frame with rounded corners and room around it, and a patch of AColour inside.
TScene OverlayScene(TSceneColor APatch = FRAME) {
    TSceneItem Frame;
    Frame.FKind = TSceneItemKind::Rectangle;
    Frame.FBounds = {5, 5, OVERLAY_WIDTH - 10, OVERLAY_HEIGHT - 10};
    Frame.FFill = FRAME;
    Frame.FRadius = 12;
    TSceneItem Patch;
    Patch.FKind = TSceneItemKind::Rectangle;
    Patch.FBounds = {100, 30, 40, 40};
    Patch.FFill = APatch;
    return {OVERLAY_WIDTH, OVERLAY_HEIGHT, {Frame, Patch}};
}

TScene AnimatedScene() {
    TScene Scene = OverlayScene();
    Scene.Items.push_back(Blinking());
    return Scene;
}

HWND ToHwnd(platform::TWindowHandle AWindow) {
    return reinterpret_cast<HWND>(AWindow);
}

// What a device context holds at one point; CLR_INVALID shows as alpha 0.
TSceneColor PixelOf(HWND AWindow, int AX, int AY) {
    const HDC DC = GetDC(AWindow);
    const COLORREF Colour = GetPixel(DC, AX, AY);
    ReleaseDC(AWindow, DC);
    return Colour == CLR_INVALID
               ? TSceneColor{0, 0, 0, 0}
               : TSceneColor{GetRValue(Colour), GetGValue(Colour), GetBValue(Colour)};
}

// A plain opaque window of BACKDROP colour, for whatever test needs something else on screen.
class TPlainWindow {
public:
    explicit TPlainWindow(const RECT& ABounds) {
        const HINSTANCE Module = GetModuleHandleW(nullptr);
        WNDCLASSEXW Class{};
        Class.cbSize = sizeof Class;
        if (!GetClassInfoExW(Module, PLAIN_CLASS, &Class)) {
            Class.lpfnWndProc = DefWindowProcW;
            Class.hInstance = Module;
            Class.hbrBackground = CreateSolidBrush(RGB(BACKDROP.R, BACKDROP.G, BACKDROP.B));
            Class.lpszClassName = PLAIN_CLASS;
            RegisterClassExW(&Class);
        }
        FWindow = CreateWindowExW(0, PLAIN_CLASS, L"plain", WS_POPUP, ABounds.left, ABounds.top,
                                  ABounds.right - ABounds.left, ABounds.bottom - ABounds.top,
                                  nullptr, nullptr, Module, nullptr);
        ShowWindow(FWindow, SW_SHOWNA);
        UpdateWindow(FWindow);
    }
    ~TPlainWindow() { DestroyWindow(FWindow); }
    TPlainWindow(const TPlainWindow&) = delete;
    TPlainWindow& operator=(const TPlainWindow&) = delete;

    HWND Handle() const { return FWindow; }

private:
    static constexpr const wchar_t* PLAIN_CLASS = L"VantoOverlayTestPlain";
    HWND FWindow = nullptr;
};

class OverlayWindowTest : public testing::Test {
protected:
    std::unique_ptr<platform::ISceneWindow> Open(const TScene& AScene) {
        platform::TSceneWindowStyle Style;
        Style.FTopMost = true;
        Style.FPerPixelAlpha = true;
        Style.FTitle = u"FrmRecord";
        auto Window = FScenes.CreateSceneWindow(0, 0, TScenePlacement::BottomCentreOfScreen, Style);
        Window->Show(AScene);
        FWindows.ProcessPendingMessages();
        return Window;
    }

    static RECT BottomCentre() {
        const int Left =
            static_cast<int>(std::lround((GetSystemMetrics(SM_CXSCREEN) - OVERLAY_WIDTH) / 2.0));
        const int Top = GetSystemMetrics(SM_CYSCREEN) - OVERLAY_HEIGHT - 50;
        return {Left, Top, Left + OVERLAY_WIDTH, Top + OVERLAY_HEIGHT};
    }

    static RECT FrameOf(HWND AWindow) {
        RECT Frame{};
        GetWindowRect(AWindow, &Frame);
        return Frame;
    }

    // The redraws posted to AWindow and not handled yet, handled now.
    static int PendingPrivateMessages(HWND AWindow) {
        int Count = 0;
        MSG Msg{};
        while (PeekMessageW(&Msg, AWindow, WM_USER, 0x7FFF, PM_REMOVE)) {
            DispatchMessageW(&Msg);
            ++Count;
        }
        return Count;
    }

    // Windows tells whether a timer runs only by stopping it, so one found is started again.
    static bool AnimationTimerRuns(HWND AWindow) {
        if (!KillTimer(AWindow, SCENE_ANIMATION_TIMER)) {
            return false;
        }
        SetTimer(AWindow, SCENE_ANIMATION_TIMER, SCENE_ANIMATION_INTERVAL_MS, nullptr);
        return true;
    }

    TWin32WindowSystem FWindows;
    TWin32SceneWindows FScenes;
};

MATCHER_P(SameRect, AExpected, "") {
    *result_listener << "is {" << arg.left << ", " << arg.top << ", " << arg.right << ", "
                     << arg.bottom << "}";
    return EqualRect(&arg, &AExpected) != FALSE;
}

// GDI+ costs an idle monitor memory for nothing: a window that is made but has not drawn yet
// (the About window from start-up on) does not load it. Run alone, as other tests here draw.
TEST_F(OverlayWindowTest, GdiplusIsLoadedByTheFirstWindowThatDrawsNotByOneThatIsMade) {
    if (GetModuleHandleW(L"gdiplus.dll") != nullptr) {
        GTEST_SKIP() << "an earlier test of this process drew; run this one on its own";
    }
    platform::TSceneWindowStyle Style;
    Style.FPerPixelAlpha = true;
    auto Window = FScenes.CreateSceneWindow(0, 0, TScenePlacement::CentredOnDesktop, Style);
    EXPECT_EQ(GetModuleHandleW(L"gdiplus.dll"), nullptr) << "made, not shown";
    Window->Show(OverlayScene());
    EXPECT_NE(GetModuleHandleW(L"gdiplus.dll"), nullptr);

    // Nor does a window that was closed; and GDI+ comes back for the next one that draws.
    Window->Hide();
    EXPECT_EQ(GetModuleHandleW(L"gdiplus.dll"), nullptr) << "hidden, the last one";
    Window->Show(OverlayScene());
    EXPECT_NE(GetModuleHandleW(L"gdiplus.dll"), nullptr);
    EXPECT_TRUE(Window->IsVisible());
}

TEST_F(OverlayWindowTest, IsALayeredTopMostToolWindowWithItsTitleAtTheBottomCentre) {
    const auto Overlay = Open(OverlayScene());
    const HWND Window = ToHwnd(Overlay->Handle());
    ASSERT_NE(Window, nullptr);
    const LONG_PTR ExStyle = GetWindowLongPtrW(Window, GWL_EXSTYLE);
    EXPECT_TRUE(ExStyle & WS_EX_LAYERED);
    EXPECT_TRUE(ExStyle & WS_EX_TOPMOST);
    EXPECT_TRUE(ExStyle & WS_EX_TOOLWINDOW) << "no taskbar button";
    wchar_t Title[32] = {};
    GetWindowTextW(Window, Title, 32);
    EXPECT_EQ(std::wstring(Title), L"FrmRecord");
    EXPECT_TRUE(Overlay->IsVisible());
    EXPECT_THAT(FrameOf(Window), SameRect(BottomCentre()));

    // Wherever it was moved, it returns there when shown again.
    SetWindowPos(Window, nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Overlay->Hide();
    EXPECT_FALSE(Overlay->IsVisible());
    Overlay->Show(OverlayScene());
    EXPECT_THAT(FrameOf(Window), SameRect(BottomCentre()));
}

// A layered window's own DC cannot be read back, so its pixels are read from the screen, over
// a plain window a little larger than it. Where the display does not let the plain window be
// read back, the test says so rather than pass.
TEST_F(OverlayWindowTest, ScreenShowsTheFrameAndWhatLiesBeneathItsCorners) {
    const RECT Area = BottomCentre();
    const TPlainWindow Beneath({Area.left - 20, Area.top - 20, Area.right + 20, Area.bottom + 20});
    const auto Shown = [&](int AX, int AY) {
        return PixelOf(nullptr, Area.left + AX, Area.top + AY);
    };
    // Wine puts a window's paint on screen when its thread finds no message waiting.
    FWindows.ProcessPendingMessages();
    if (Shown(-10, 50) != BACKDROP) {
        GTEST_SKIP() << "this display does not let the screen be read back";
    }
    const auto Overlay = Open(OverlayScene(GREEN));
    ASSERT_EQ(GetTopWindow(nullptr), ToHwnd(Overlay->Handle())) << "top-most comes first";
    EXPECT_EQ(Shown(200, 50), FRAME);
    EXPECT_EQ(Shown(110, 40), GREEN);
    EXPECT_EQ(Shown(6, 6), BACKDROP) << "the rounded corner";
    EXPECT_EQ(Shown(1, 50), BACKDROP) << "the margin";

    Overlay->Show(OverlayScene(BLUE));
    EXPECT_EQ(Shown(110, 40), GREEN) << "nothing drawn inside Show";
    FWindows.ProcessPendingMessages();
    EXPECT_EQ(Shown(110, 40), BLUE);
}

TEST_F(OverlayWindowTest, ShowOnAShownWindowDrawsOnceFromTheMessageLoop) {
    platform::TSceneWindowStyle Style;
    Style.FTopMost = true;
    const auto Overlay =
        FScenes.CreateSceneWindow(0, 0, TScenePlacement::BottomCentreOfScreen, Style);
    const HWND Window = ToHwnd(Overlay->Handle());
    Overlay->Show(OverlayScene(GREEN));
    EXPECT_EQ(PixelOf(Window, 110, 40), GREEN) << "the first Show draws at once";

    Overlay->Show(OverlayScene(BLUE));
    EXPECT_EQ(PixelOf(Window, 110, 40), GREEN) << "nothing drawn inside Show";
    Overlay->Show(OverlayScene(FRAME));
    Overlay->Show(OverlayScene(BLUE));
    EXPECT_EQ(PendingPrivateMessages(Window), 1) << "three scenes, one redraw";
    EXPECT_EQ(PixelOf(Window, 110, 40), BLUE) << "the last scene";
    EXPECT_THAT(FrameOf(Window), SameRect(BottomCentre()));

    Overlay->Show(OverlayScene(GREEN));
    FWindows.ProcessPendingMessages();
    EXPECT_EQ(PixelOf(Window, 110, 40), GREEN) << "and again";
}

TEST_F(OverlayWindowTest, AnimationTimerRunsOnlyWhileAShownSceneAnimates) {
    const auto Overlay = Open(AnimatedScene());
    const HWND Window = ToHwnd(Overlay->Handle());
    EXPECT_TRUE(AnimationTimerRuns(Window));

    Overlay->Hide();
    Overlay->Show(AnimatedScene());
    Overlay->Hide();
    EXPECT_FALSE(AnimationTimerRuns(Window)) << "stopped by hiding";

    Overlay->Show(OverlayScene());
    EXPECT_FALSE(AnimationTimerRuns(Window)) << "nothing to animate";
    Overlay->Show(AnimatedScene());
    FWindows.ProcessPendingMessages();
    EXPECT_TRUE(AnimationTimerRuns(Window)) << "started by a redraw";

    Overlay->Hide();
    Overlay->Show(AnimatedScene());
    Overlay->Show(OverlayScene());
    FWindows.ProcessPendingMessages();
    EXPECT_FALSE(AnimationTimerRuns(Window)) << "stopped by a scene without animation";
}

// Under Wine without a window manager this takes some seconds: it waits for one, in vain,
// whenever a window that was active goes away.
TEST_F(OverlayWindowTest, BringToFrontTakesTheForegroundBackWithoutMoving) {
    const auto Overlay = Open(OverlayScene());
    const HWND Window = ToHwnd(Overlay->Handle());
    const TPlainWindow Other({0, 0, 200, 200});
    Overlay->Hide();
    SetForegroundWindow(Other.Handle());
    ASSERT_EQ(GetForegroundWindow(), Other.Handle());

    Overlay->BringToFront();
    EXPECT_TRUE(Overlay->IsVisible()) << "shown again";
    EXPECT_EQ(GetForegroundWindow(), Window);
    EXPECT_EQ(GetFocus(), Window);
    EXPECT_THAT(FrameOf(Window), SameRect(BottomCentre()));

    SetForegroundWindow(Other.Handle());
    SetWindowPos(Other.Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ASSERT_NE(GetTopWindow(nullptr), Window);
    Overlay->BringToFront();
    EXPECT_EQ(GetForegroundWindow(), Window);
    EXPECT_EQ(GetTopWindow(nullptr), Window) << "above the other top-most window";
    EXPECT_TRUE(GetWindowLongPtrW(Window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_THAT(FrameOf(Window), SameRect(BottomCentre()));
}

} // namespace
} // namespace vanto::win32
