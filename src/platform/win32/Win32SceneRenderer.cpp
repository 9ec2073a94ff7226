#include "platform/win32/Win32SceneRenderer.h"

#include "platform/win32/Win32Gdiplus.h"

// clang-format off
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
// clang-format on

#include <algorithm>

namespace vanto::win32 {

using platform::TScene;
using platform::TSceneColor;
using platform::TSceneItem;
using platform::TSceneItemKind;
using platform::TSceneRect;

namespace {

constexpr float POINTS_PER_INCH = 72;

Gdiplus::Color ToColor(const TSceneColor& AColour) {
    return Gdiplus::Color(AColour.A, AColour.R, AColour.G, AColour.B);
}

Gdiplus::RectF ToRectF(const TSceneRect& ARect) {
    return Gdiplus::RectF(static_cast<Gdiplus::REAL>(ARect.X), static_cast<Gdiplus::REAL>(ARect.Y),
                          static_cast<Gdiplus::REAL>(ARect.Width),
                          static_cast<Gdiplus::REAL>(ARect.Height));
}

bool HasArea(const TSceneRect& ARect) {
    return ARect.Width > 0 && ARect.Height > 0;
}

void AddRoundedRect(Gdiplus::GraphicsPath& APath, const Gdiplus::RectF& ARect, float ARadius) {
    const float Diameter = std::min({2 * ARadius, ARect.Width, ARect.Height});
    if (Diameter <= 0) {
        APath.AddRectangle(ARect);
        return;
    }
    const float Right = ARect.X + ARect.Width - Diameter;
    const float Bottom = ARect.Y + ARect.Height - Diameter;
    APath.AddArc(ARect.X, ARect.Y, Diameter, Diameter, 180, 90);
    APath.AddArc(Right, ARect.Y, Diameter, Diameter, 270, 90);
    APath.AddArc(Right, Bottom, Diameter, Diameter, 0, 90);
    APath.AddArc(ARect.X, Bottom, Diameter, Diameter, 90, 90);
    APath.CloseFigure();
}

void FillRounded(Gdiplus::Graphics& AGraphics, const Gdiplus::Brush& ABrush,
                 const Gdiplus::RectF& ARect, float ARadius) {
    Gdiplus::GraphicsPath Path;
    AddRoundedRect(Path, ARect, ARadius);
    AGraphics.FillPath(&ABrush, &Path);
}

// The pen runs along the middle of its width; inset by half of it, the outline stays inside
// the bounds and does not spill over a neighbour.
void OutlineRounded(Gdiplus::Graphics& AGraphics, const TSceneItem& AItem) {
    const float Half = AItem.FStrokeWidth / 2;
    Gdiplus::RectF Inner = ToRectF(AItem.FBounds);
    Inner.Inflate(-Half, -Half);
    if (Inner.Width <= 0 || Inner.Height <= 0) {
        return;
    }
    const Gdiplus::Pen Pen(ToColor(AItem.FStroke), AItem.FStrokeWidth);
    Gdiplus::GraphicsPath Path;
    AddRoundedRect(Path, Inner, std::max(0.0f, AItem.FRadius - Half));
    AGraphics.DrawPath(&Pen, &Path);
}

void DrawRectangle(Gdiplus::Graphics& AGraphics, const TSceneItem& AItem) {
    if (AItem.FFill.A > 0) {
        const Gdiplus::SolidBrush Brush(ToColor(AItem.FFill));
        FillRounded(AGraphics, Brush, ToRectF(AItem.FBounds), AItem.FRadius);
    }
    if (AItem.FStrokeWidth > 0) {
        OutlineRounded(AGraphics, AItem);
    }
}

void DrawGradient(Gdiplus::Graphics& AGraphics, const TSceneItem& AItem) {
    const Gdiplus::RectF Bounds = ToRectF(AItem.FBounds);
    Gdiplus::LinearGradientBrush Brush(Bounds, ToColor(AItem.FFill), ToColor(AItem.FFill2),
                                       Gdiplus::LinearGradientModeVertical);
    // A tiling brush would start over at the last row, which then shows the top colour.
    Brush.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
    FillRounded(AGraphics, Brush, Bounds, AItem.FRadius);
}

void DrawEllipse(Gdiplus::Graphics& AGraphics, const TSceneItem& AItem) {
    const Gdiplus::SolidBrush Brush(ToColor(AItem.FFill));
    AGraphics.FillEllipse(&Brush, ToRectF(AItem.FBounds));
}

// Coordinates name pixels, so a line runs through the centres of its end pixels: without the
// half-pixel offset that keeps fills crisp, integer coordinates are pixel centres.
void DrawLine(Gdiplus::Graphics& AGraphics, const TSceneItem& AItem) {
    if (AItem.FStrokeWidth <= 0) {
        return;
    }
    const Gdiplus::Pen Pen(ToColor(AItem.FStroke), AItem.FStrokeWidth);
    const TSceneRect& B = AItem.FBounds;
    AGraphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeNone);
    AGraphics.DrawLine(&Pen, B.X, B.Y, B.X + B.Width, B.Y + B.Height);
    AGraphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
}

Gdiplus::StringAlignment ToAlignment(platform::TTextAlign AAlign) {
    switch (AAlign) {
    case platform::TTextAlign::Center:
        return Gdiplus::StringAlignmentCenter;
    case platform::TTextAlign::Right:
        return Gdiplus::StringAlignmentFar;
    case platform::TTextAlign::Left:
        break;
    }
    return Gdiplus::StringAlignmentNear;
}

void DrawText(Gdiplus::Graphics& AGraphics, const TSceneItem& AItem, float ADpi) {
    const std::wstring& FamilyName = SceneFontFamily();
    if (AItem.FText.empty() || FamilyName.empty()) {
        return;
    }
    const Gdiplus::FontFamily Family(FamilyName.c_str());
    const Gdiplus::Font Font(&Family, AItem.FFontSizePt * ADpi / POINTS_PER_INCH,
                             AItem.FBold ? Gdiplus::FontStyleBold : Gdiplus::FontStyleRegular,
                             Gdiplus::UnitPixel);
    Gdiplus::StringFormat Format;
    Format.SetAlignment(ToAlignment(AItem.FAlign));
    Format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
    Format.SetFormatFlags(Gdiplus::StringFormatFlagsNoWrap);
    Format.SetTrimming(Gdiplus::StringTrimmingEllipsisCharacter);
    const Gdiplus::SolidBrush Brush(ToColor(AItem.FFill));
    AGraphics.DrawString(reinterpret_cast<const WCHAR*>(AItem.FText.c_str()),
                         static_cast<INT>(AItem.FText.size()), &Font, ToRectF(AItem.FBounds),
                         &Format, &Brush);
}

void DrawItem(Gdiplus::Graphics& AGraphics, const TSceneItem& AItem, float ADpi) {
    if (AItem.FKind != TSceneItemKind::Line && !HasArea(AItem.FBounds)) {
        return;
    }
    switch (AItem.FKind) {
    case TSceneItemKind::Rectangle:
        DrawRectangle(AGraphics, AItem);
        break;
    case TSceneItemKind::VerticalGradient:
        DrawGradient(AGraphics, AItem);
        break;
    case TSceneItemKind::Ellipse:
        DrawEllipse(AGraphics, AItem);
        break;
    case TSceneItemKind::Line:
        DrawLine(AGraphics, AItem);
        break;
    case TSceneItemKind::Text:
        DrawText(AGraphics, AItem, ADpi);
        break;
    }
}

Gdiplus::Color BackdropColour(TSceneBackdrop ABackdrop) {
    return ABackdrop == TSceneBackdrop::Transparent ? Gdiplus::Color(0, 0, 0, 0)
                                                    : Gdiplus::Color(255, 0, 0, 0);
}

void DrawScene(Gdiplus::Bitmap& ACanvas, const TScene& AScene, float ADpi,
               TSceneBackdrop ABackdrop) {
    Gdiplus::Graphics Graphics(&ACanvas);
    Graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    // Integer coordinates fall on pixel edges, so filled shapes end crisply where they should.
    Graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    Graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAliasGridFit);
    Graphics.Clear(BackdropColour(ABackdrop));
    for (const TSceneItem& Item : AScene.Items) {
        DrawItem(Graphics, Item, ADpi);
    }
}

// GDI+ copies into a buffer it is handed, which leaves no doubt about who owns the pixels.
bool CopyPixels(Gdiplus::Bitmap& ACanvas, std::vector<std::uint32_t>& APixels, int AWidth,
                int AHeight) {
    Gdiplus::BitmapData Data{};
    Data.Width = static_cast<UINT>(AWidth);
    Data.Height = static_cast<UINT>(AHeight);
    Data.Stride = AWidth * static_cast<INT>(sizeof(std::uint32_t));
    Data.PixelFormat = PixelFormat32bppARGB;
    Data.Scan0 = APixels.data();
    Gdiplus::Rect Whole(0, 0, AWidth, AHeight);
    if (ACanvas.LockBits(&Whole, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf,
                         PixelFormat32bppARGB, &Data) != Gdiplus::Ok) {
        return false;
    }
    return ACanvas.UnlockBits(&Data) == Gdiplus::Ok;
}

} // namespace

std::vector<std::uint32_t> RenderSceneToPixels(const TScene& AScene, float ADpi,
                                               TSceneBackdrop ABackdrop) {
    if (AScene.Width <= 0 || AScene.Height <= 0) {
        return {};
    }
    const TGdiplusScope Session;
    if (!Session.Started()) {
        return {};
    }
    Gdiplus::Bitmap Canvas(AScene.Width, AScene.Height, PixelFormat32bppARGB);
    if (Canvas.GetLastStatus() != Gdiplus::Ok) {
        return {};
    }
    DrawScene(Canvas, AScene, ADpi, ABackdrop);
    std::vector<std::uint32_t> Pixels(static_cast<std::size_t>(AScene.Width) *
                                      static_cast<std::size_t>(AScene.Height));
    if (!CopyPixels(Canvas, Pixels, AScene.Width, AScene.Height)) {
        return {};
    }
    // Done here rather than by GDI+ so that the rounding is ours on every system.
    if (ABackdrop == TSceneBackdrop::Transparent) {
        std::transform(Pixels.begin(), Pixels.end(), Pixels.begin(), PremultipliedPixel);
    }
    return Pixels;
}

std::uint32_t PremultipliedPixel(std::uint32_t AArgb) {
    const std::uint32_t Alpha = AArgb >> 24;
    const auto Scaled = [Alpha](std::uint32_t AChannel) { return (AChannel * Alpha + 127) / 255; };
    return Alpha << 24 | Scaled(AArgb >> 16 & 0xFF) << 16 | Scaled(AArgb >> 8 & 0xFF) << 8 |
           Scaled(AArgb & 0xFF);
}

} // namespace vanto::win32
