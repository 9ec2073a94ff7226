#pragma once

#include "platform/SceneWindow.h"

#include <cstdint>
#include <memory>

namespace vanto::win32 {

// The window timer that drives animations, and its period: about 30 frames a second, smooth
// enough for a blinking dot at a small cost.
inline constexpr std::uintptr_t SCENE_ANIMATION_TIMER = 1;
inline constexpr unsigned SCENE_ANIMATION_INTERVAL_MS = 30;

// Scene windows as borderless popups without a taskbar button, painted from an offscreen
// rendering of their scene (see Win32SceneRenderer.h). A per-pixel-alpha window is a layered
// window fed by UpdateLayeredWindow; any other paints opaque pixels on WM_PAINT. A window is
// placed by its TScenePlacement (see Win32ScenePlacement.h) each time it is shown; showing does
// not activate it, BringToFront does. Show on a window already shown posts a redraw to it, and
// any number of them before the loop runs draw once. While the scene holds an animated item a
// timer re-renders it every SCENE_ANIMATION_INTERVAL_MS; hiding or a scene without animation
// stops it.
//
// A click counts when the left button goes down and up on the same item; then the window posts
// the click message to its owner. Closing the window (Alt+F4) only hides it, so the object that
// owns it never holds a destroyed window.
//
// Use from the thread that runs the message loop.
class TWin32SceneWindows final : public platform::ISceneWindows {
public:
    std::unique_ptr<platform::ISceneWindow>
    CreateSceneWindow(platform::TWindowHandle AOwner, platform::TMessageId AClickMessage,
                      platform::TScenePlacement APlacement,
                      const platform::TSceneWindowStyle& AStyle) override;
};

} // namespace vanto::win32
