#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace vanto::win32 {

// Rendered scene pixels (see Win32SceneRenderer.h) onto the screen, in the window's client
// coordinates. Both do nothing with fewer pixels than AWidth by AHeight.

// Copies opaque pixels into a paint DC.
void PaintScenePixels(HDC ADC, const std::vector<std::uint32_t>& APixels, int AWidth, int AHeight);

// Hands premultiplied pixels to a layered window, which Windows then blends by each pixel's
// alpha over what lies beneath it and resizes to AWidth by AHeight. No WM_PAINT is needed
// afterwards: the system keeps the picture. AOpacity scales the whole picture on top.
bool PresentLayeredScene(HWND AWindow, const std::vector<std::uint32_t>& APixels, int AWidth,
                         int AHeight, std::uint8_t AOpacity = 255);

} // namespace vanto::win32
