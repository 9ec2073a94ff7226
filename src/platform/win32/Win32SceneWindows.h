#pragma once

#include "platform/SceneWindow.h"

#include <memory>

namespace vanto::win32 {

// Scene windows as borderless popups without a taskbar button, painted from an offscreen
// rendering of their scene (see Win32SceneRenderer.h). A window is centred on the primary
// screen or put into the top right corner of the work area each time it is shown; showing does
// not activate it, BringToFront does. A click
// counts when the left button goes down and up on the same item; then the window posts the
// click message to its owner. Closing the window (Alt+F4) only hides it, so the object that
// owns it never holds a destroyed window.
//
// Use from the thread that runs the message loop.
class TWin32SceneWindows final : public platform::ISceneWindows {
public:
    std::unique_ptr<platform::ISceneWindow> CreateSceneWindow(platform::TWindowHandle AOwner,
                                                              platform::TMessageId AClickMessage,
                                                              platform::TScenePlacement APlacement,
                                                              const platform::TSceneWindowStyle& AStyle) override;
};

} // namespace vanto::win32
