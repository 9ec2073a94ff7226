#pragma once

#include "platform/Types.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vanto::platform {

// A small retained vector scene: what the About window and the recording overlay draw. The
// platform renders it antialiased; coordinates are pixels of the window's client area.
struct TSceneColor {
    std::uint8_t R = 0;
    std::uint8_t G = 0;
    std::uint8_t B = 0;
    std::uint8_t A = 255;
    friend bool operator==(const TSceneColor&, const TSceneColor&) = default;
};

struct TSceneRect {
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;
    friend bool operator==(const TSceneRect&, const TSceneRect&) = default;
};

enum class TSceneItemKind {
    Rectangle,        // filled with FFill, corners rounded by FRadius, outlined by FStroke when
                      // FStrokeWidth > 0
    VerticalGradient, // filled from FFill at the top to FFill2 at the bottom, corners rounded by
                      // FRadius
    Ellipse,          // filled with FFill inside FBounds
    Line, // from the top-left to the bottom-right corner of FBounds, FStroke, FStrokeWidth
    Text, // FText in FBounds, FFontSizePt, FBold, FFill as colour, aligned by FAlign
};

enum class TTextAlign { Left, Center, Right };

struct TSceneItem {
    TSceneItemKind FKind = TSceneItemKind::Rectangle;
    TSceneRect FBounds;
    TSceneColor FFill;
    TSceneColor FFill2;
    TSceneColor FStroke;
    float FStrokeWidth = 0;
    float FRadius = 0;
    std::u16string FText;
    float FFontSizePt = 9;
    bool FBold = false;
    TTextAlign FAlign = TTextAlign::Left;
    // A click inside FBounds posts the window's click message with this id as wParam; 0: none.
    TWParam FCommandId = 0;
    // When above 0, the fill runs from FFill to FAnimateTo in this many seconds, easing out
    // exponentially, then back again, for as long as the window shows the scene.
    float FAnimateSeconds = 0;
    TSceneColor FAnimateTo;
};

struct TScene {
    int Width = 0;
    int Height = 0;
    std::vector<TSceneItem> Items;
};

// One borderless window that shows a scene.
class ISceneWindow {
public:
    virtual ~ISceneWindow() = default;
    // Shows (or redraws) the scene; the window takes the scene's size. A window already shown
    // only takes the new scene here and draws it from the message loop, so that a caller inside
    // an input hook never waits for a paint.
    virtual void Show(const TScene& AScene) = 0;
    virtual void Hide() = 0;
    virtual bool IsVisible() = 0;
    // Gives the window the input focus and puts it on top of its band (the always-on-top band
    // for a top-most window), shown, with its position and size unchanged.
    virtual void BringToFront() = 0;
    // How opaque the whole window is drawn, 0 to 255, over each pixel's own alpha; a fade
    // steps it down. Only a per-pixel-alpha window has it; it holds until set again.
    virtual void SetOpacity(std::uint8_t AOpacity) = 0;
    virtual TWindowHandle Handle() = 0;
};

enum class TScenePlacement {
    CentredOnDesktop,
    TopRightOfWorkArea,
    // Centred across the primary screen, its bottom edge 50 pixels above the screen's.
    BottomCentreOfScreen,
    // Centred across the work area of the screen that holds the pointer, its bottom edge 40
    // pixels above the work area's but clear of a BottomCentreOfScreen window 100 pixels high.
    BottomCentreOfPointerScreen,
};

struct TSceneWindowStyle {
    bool FTopMost = false;
    // Drawn with each pixel's own alpha over what lies beneath, instead of opaque.
    bool FPerPixelAlpha = false;
    // Never activated and never hit: clicks and the pointer fall through to what lies beneath.
    bool FClickThrough = false;
    std::u16string FTitle;
};

class ISceneWindows {
public:
    virtual ~ISceneWindows() = default;
    // Clicks on items with a command id are posted to AOwner as AClickMessage.
    virtual std::unique_ptr<ISceneWindow> CreateSceneWindow(TWindowHandle AOwner,
                                                            TMessageId AClickMessage,
                                                            TScenePlacement APlacement,
                                                            const TSceneWindowStyle& AStyle) = 0;
};

} // namespace vanto::platform
