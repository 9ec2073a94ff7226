#pragma once

#include "platform/SceneWindow.h"

namespace vanto::win32 {

// The top-left corner of a scene window, in screen pixels.
struct TScenePosition {
    int FLeft = 0;
    int FTop = 0;
    friend bool operator==(const TScenePosition&, const TScenePosition&) = default;
};

// A screen and its work area (the screen less the taskbar), in screen pixels.
struct TSceneScreen {
    platform::TSceneRect FScreen;
    platform::TSceneRect FWorkArea;
};

// Where a window of AWidth by AHeight goes by APlacement. A window centred on the desktop
// drops a half pixel; one at the bottom centre rounds it away from zero, as lround does.
TScenePosition PlaceScene(platform::TScenePlacement APlacement, int AWidth, int AHeight,
                          const TSceneScreen& AScreen);

// The primary screen and work area as Windows reports them now.
TSceneScreen CurrentSceneScreen();
// The screen that holds the pointer now; the primary one when that cannot be told.
TSceneScreen PointerSceneScreen();

} // namespace vanto::win32
