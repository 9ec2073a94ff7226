#pragma once

#include "platform/SceneWindow.h"

#include <cstdint>
#include <vector>

namespace vanto::win32 {

// The screen resolution at which a point is 4/3 pixels.
inline constexpr float SCENE_DEFAULT_DPI = 96;

// What lies under the scene's items.
enum class TSceneBackdrop {
    // Opaque black, for a window that covers its rectangle.
    OpaqueBlack,
    // Nothing: uncovered pixels are 0 and every colour is premultiplied by its alpha, as a
    // layered window blends them over what lies beneath.
    Transparent,
};

// Draws a scene antialiased into an offscreen bitmap of the scene's size and returns its
// pixels row by row from the top, each 0xAARRGGBB as a 32-bit DIB holds them, over
// ABackdrop. Font sizes in points become pixels at ADpi.
//
// Beyond what the scene types promise: outlines lie inside an item's bounds; a text is centred
// vertically in its bounds, stays on one line and ends in an ellipsis when it does not fit.
// Empty for a scene without area, or when GDI+ cannot draw.
std::vector<std::uint32_t>
RenderSceneToPixels(const platform::TScene& AScene, float ADpi = SCENE_DEFAULT_DPI,
                    TSceneBackdrop ABackdrop = TSceneBackdrop::OpaqueBlack);

// One 0xAARRGGBB pixel with its colour scaled by its alpha, rounded to the nearest level.
std::uint32_t PremultipliedPixel(std::uint32_t AArgb);

} // namespace vanto::win32
