// Shows the recording overlay for a few seconds, so that its look can be judged on a real
// screen, and prints what one animation frame costs to render.
//
//   show_record_overlay [SECONDS [STEPS]]
//
// STEPS (default 3) is what the step counter shows; at 127 the overlay says it is full.

#include "macro/FrmRecord.h"
#include "platform/win32/Win32Gdiplus.h"
#include "platform/win32/Win32SceneAnimation.h"
#include "platform/win32/Win32SceneRenderer.h"
#include "platform/win32/Win32SceneWindows.h"
#include "platform/win32/Win32WindowSystem.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

using namespace vanto;

constexpr std::uintptr_t CLOSE_TIMER = 1;
constexpr int TIMED_FRAMES = 200;

constexpr int STEP_LIMIT = 127;

platform::TScene OverlayScene(int ASteps) {
    TRecordCounter Counter{ASteps, STEP_LIMIT, {}};
    if (ASteps >= STEP_LIMIT) {
        Counter.FFullNotice = RECORD_FULL_TEXT;
    }
    return BuildRecordScene(u"Recording...", {u"Mouse ClickDown", u"200ms", u"Mouse ClickUp"},
                            Counter);
}

// Frames at times spread over the blink, as the animation timer draws them.
void PrintFrameCost(const platform::TScene& AScene) {
    const win32::TGdiplusScope Gdiplus;
    win32::RenderSceneToPixels(AScene, win32::SCENE_DEFAULT_DPI,
                               win32::TSceneBackdrop::Transparent); // loads the font once
    const auto Start = std::chrono::steady_clock::now();
    for (int Frame = 0; Frame < TIMED_FRAMES; ++Frame) {
        const double Seconds = Frame * win32::SCENE_ANIMATION_INTERVAL_MS / 1000.0;
        win32::RenderSceneToPixels(win32::SceneAt(AScene, Seconds), win32::SCENE_DEFAULT_DPI,
                                   win32::TSceneBackdrop::Transparent);
    }
    const std::chrono::duration<double, std::milli> Spent =
        std::chrono::steady_clock::now() - Start;
    std::printf("overlay %dx%d: %.3f ms to render one frame (mean of %d), timer period %u ms\n",
                AScene.Width, AScene.Height, Spent.count() / TIMED_FRAMES, TIMED_FRAMES,
                win32::SCENE_ANIMATION_INTERVAL_MS);
}

} // namespace

int main(int AArgc, char** AArgv) {
    const unsigned Seconds = AArgc > 1 ? static_cast<unsigned>(std::atoi(AArgv[1])) : 5;
    const platform::TScene Scene = OverlayScene(AArgc > 2 ? std::atoi(AArgv[2]) : 3);
    PrintFrameCost(Scene);

    win32::TWin32WindowSystem Windows;
    std::unique_ptr<platform::ISceneWindow> Overlay;
    const platform::TWindowHandle Owner = Windows.CreateHiddenWindow(
        u"VantoShowOverlayOwner", u"", [&](platform::TMessageId AMsg, platform::TWParam AW, auto) {
            if (AMsg == platform::WM_TIMER_MESSAGE && AW == CLOSE_TIMER) {
                Overlay->Hide();
                Windows.Quit(0);
            }
            return platform::TMessageResult{0};
        });
    platform::TSceneWindowStyle Style;
    Style.FTopMost = true;
    Style.FPerPixelAlpha = true;
    Style.FTitle = RECORD_OVERLAY_TITLE;
    win32::TWin32SceneWindows SceneWindows;
    Overlay = SceneWindows.CreateSceneWindow(
        Owner, 0, platform::TScenePlacement::BottomCentreOfScreen, Style);
    Overlay->Show(Scene);
    Overlay->BringToFront();
    Windows.StartTimer(Owner, CLOSE_TIMER, Seconds * 1000);
    const int ExitCode = Windows.RunMessageLoop();
    std::fflush(stdout);
    return ExitCode;
}
