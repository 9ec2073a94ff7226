#pragma once

#include "platform/SceneWindow.h"

#include <cstdint>
#include <vector>

namespace vanto::win32 {

// The screen resolution at which a point is 4/3 pixels.
inline constexpr float SCENE_DEFAULT_DPI = 96;

// Draws a scene antialiased into an offscreen bitmap of the scene's size and returns its
// pixels row by row from the top, each 0xAARRGGBB as a 32-bit DIB holds them. Whatever no item
// covers stays opaque black. Font sizes in points become pixels at ADpi.
//
// Beyond what the scene types promise: outlines lie inside an item's bounds; a text is centred
// vertically in its bounds, stays on one line and ends in an ellipsis when it does not fit.
// Empty for a scene without area, or when GDI+ cannot draw.
std::vector<std::uint32_t> RenderSceneToPixels(const platform::TScene& AScene,
                                               float ADpi = SCENE_DEFAULT_DPI);

} // namespace vanto::win32
