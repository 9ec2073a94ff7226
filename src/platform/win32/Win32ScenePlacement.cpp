#include "platform/win32/Win32ScenePlacement.h"

#include <windows.h>

#include <algorithm>
#include <cmath>

namespace vanto::win32 {

using platform::TScenePlacement;
using platform::TSceneRect;

namespace {

// Far enough above the screen's edge to clear a taskbar of the usual height.
constexpr int BOTTOM_MARGIN = 50;
// A message sits just above the taskbar, which the work area already leaves out, and above
// the band at the bottom of the screen where the recording overlay (100 pixels high) sits, so
// that a message during a recording leaves the overlay readable.
constexpr int MESSAGE_BOTTOM_MARGIN = 40;
constexpr int OVERLAY_BAND = BOTTOM_MARGIN + 100 + 10;

TSceneRect AsSceneRect(const RECT& ARect) {
    return {ARect.left, ARect.top, ARect.right - ARect.left, ARect.bottom - ARect.top};
}

int RoundedHalf(int AValue) {
    return static_cast<int>(std::lround(AValue / 2.0));
}

} // namespace

TScenePosition PlaceScene(TScenePlacement APlacement, int AWidth, int AHeight,
                          const TSceneScreen& AScreen) {
    const TSceneRect& Screen = AScreen.FScreen;
    const TSceneRect& Work = AScreen.FWorkArea;
    switch (APlacement) {
    case TScenePlacement::TopRightOfWorkArea:
        return {Work.X + Work.Width - AWidth, Work.Y};
    case TScenePlacement::BottomCentreOfScreen:
        return {Screen.X + RoundedHalf(Screen.Width - AWidth),
                Screen.Y + Screen.Height - AHeight - BOTTOM_MARGIN};
    case TScenePlacement::BottomCentreOfPointerScreen:
        return {Work.X + RoundedHalf(Work.Width - AWidth),
                std::min(Work.Y + Work.Height - MESSAGE_BOTTOM_MARGIN,
                         Screen.Y + Screen.Height - OVERLAY_BAND) -
                    AHeight};
    case TScenePlacement::CentredOnDesktop:
        break;
    }
    return {Screen.X + (Screen.Width - AWidth) / 2, Screen.Y + (Screen.Height - AHeight) / 2};
}

TSceneScreen CurrentSceneScreen() {
    const TSceneRect Screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    RECT Work{};
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &Work, 0)) {
        return {Screen, Screen};
    }
    return {Screen, AsSceneRect(Work)};
}

TSceneScreen PointerSceneScreen() {
    POINT Pointer{};
    MONITORINFO Info{};
    Info.cbSize = sizeof Info;
    if (!GetCursorPos(&Pointer) ||
        !GetMonitorInfoW(MonitorFromPoint(Pointer, MONITOR_DEFAULTTOPRIMARY), &Info)) {
        return CurrentSceneScreen();
    }
    return {AsSceneRect(Info.rcMonitor), AsSceneRect(Info.rcWork)};
}

} // namespace vanto::win32
