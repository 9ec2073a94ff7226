#include "platform/win32/Win32ScenePresenter.h"

#include <cstring>

namespace vanto::win32 {

namespace {

bool Covers(const std::vector<std::uint32_t>& APixels, int AWidth, int AHeight) {
    return AWidth > 0 && AHeight > 0 &&
           APixels.size() >= static_cast<std::size_t>(AWidth) * static_cast<std::size_t>(AHeight);
}

BITMAPINFO TopDownInfo(int AWidth, int AHeight) {
    BITMAPINFO Info{};
    Info.bmiHeader.biSize = sizeof Info.bmiHeader;
    Info.bmiHeader.biWidth = AWidth;
    Info.bmiHeader.biHeight = -AHeight; // rows from the top, as rendered
    Info.bmiHeader.biPlanes = 1;
    Info.bmiHeader.biBitCount = 32;
    Info.bmiHeader.biCompression = BI_RGB;
    return Info;
}

// A memory DC with a DIB section holding a copy of the pixels selected into it; everything is
// released with the object.
class TPixelSurface {
public:
    TPixelSurface(const std::vector<std::uint32_t>& APixels, int AWidth, int AHeight) {
        const BITMAPINFO Info = TopDownInfo(AWidth, AHeight);
        void* Bits = nullptr;
        FBitmap = CreateDIBSection(nullptr, &Info, DIB_RGB_COLORS, &Bits, nullptr, 0);
        FDC = CreateCompatibleDC(nullptr);
        if (FBitmap == nullptr || FDC == nullptr || Bits == nullptr) {
            return;
        }
        std::memcpy(Bits, APixels.data(),
                    static_cast<std::size_t>(AWidth) * static_cast<std::size_t>(AHeight) *
                        sizeof(std::uint32_t));
        FOld = SelectObject(FDC, FBitmap);
    }
    ~TPixelSurface() {
        if (FOld != nullptr) {
            SelectObject(FDC, FOld);
        }
        if (FDC != nullptr) {
            DeleteDC(FDC);
        }
        if (FBitmap != nullptr) {
            DeleteObject(FBitmap);
        }
    }
    TPixelSurface(const TPixelSurface&) = delete;
    TPixelSurface& operator=(const TPixelSurface&) = delete;

    HDC DC() const { return FOld != nullptr ? FDC : nullptr; }

private:
    HBITMAP FBitmap = nullptr;
    HDC FDC = nullptr;
    HGDIOBJ FOld = nullptr;
};

} // namespace

void PaintScenePixels(HDC ADC, const std::vector<std::uint32_t>& APixels, int AWidth, int AHeight) {
    if (!Covers(APixels, AWidth, AHeight)) {
        return;
    }
    const BITMAPINFO Info = TopDownInfo(AWidth, AHeight);
    SetDIBitsToDevice(ADC, 0, 0, static_cast<DWORD>(AWidth), static_cast<DWORD>(AHeight), 0, 0, 0,
                      static_cast<UINT>(AHeight), APixels.data(), &Info, DIB_RGB_COLORS);
}

bool PresentLayeredScene(HWND AWindow, const std::vector<std::uint32_t>& APixels, int AWidth,
                         int AHeight, std::uint8_t AOpacity) {
    if (!Covers(APixels, AWidth, AHeight)) {
        return false;
    }
    const TPixelSurface Surface(APixels, AWidth, AHeight);
    if (Surface.DC() == nullptr) {
        return false;
    }
    SIZE Size{AWidth, AHeight};
    POINT Origin{0, 0};
    BLENDFUNCTION Blend{AC_SRC_OVER, 0, AOpacity, AC_SRC_ALPHA};
    // No destination point: the window stays where it was placed.
    return UpdateLayeredWindow(AWindow, nullptr, nullptr, &Size, Surface.DC(), &Origin, 0, &Blend,
                               ULW_ALPHA) != FALSE;
}

} // namespace vanto::win32
