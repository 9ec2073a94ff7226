#include "app/AboutScene.h"
#include "platform/win32/Win32SceneRenderer.h"
#include "platform/win32/Win32SceneWindows.h"
#include "platform/win32/Win32WindowSystem.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

namespace vanto::win32 {
namespace {

using platform::TScene;
using platform::TSceneColor;
using platform::TSceneItem;
using platform::TSceneItemKind;
using platform::TSceneRect;

constexpr TSceneColor WHITE{255, 255, 255};
constexpr TSceneColor RED{255, 0, 0};
constexpr TSceneColor BLUE{0, 0, 255};
constexpr TSceneColor BLACK{0, 0, 0};

// A rendered scene, read as colours.
class TPicture {
public:
    explicit TPicture(const TScene& AScene, float ADpi = SCENE_DEFAULT_DPI)
        : FWidth(AScene.Width), FPixels(RenderSceneToPixels(AScene, ADpi)) {}

    std::size_t Size() const { return FPixels.size(); }
    TSceneColor At(int AX, int AY) const {
        const std::uint32_t P = FPixels.at(static_cast<std::size_t>(AY * FWidth + AX));
        return {static_cast<std::uint8_t>(P >> 16), static_cast<std::uint8_t>(P >> 8),
                static_cast<std::uint8_t>(P), static_cast<std::uint8_t>(P >> 24)};
    }
    // The pixels within ARect that are brighter than AThreshold in any channel.
    std::vector<POINT> Lit(const TSceneRect& ARect, int AThreshold = 96) const {
        std::vector<POINT> Result;
        for (int Y = ARect.Y; Y < ARect.Y + ARect.Height; ++Y) {
            for (int X = ARect.X; X < ARect.X + ARect.Width; ++X) {
                const TSceneColor C = At(X, Y);
                if (C.R > AThreshold || C.G > AThreshold || C.B > AThreshold) {
                    Result.push_back({X, Y});
                }
            }
        }
        return Result;
    }

private:
    int FWidth;
    std::vector<std::uint32_t> FPixels;
};

int Distance(const TSceneColor& A, const TSceneColor& B) {
    return std::abs(A.R - B.R) + std::abs(A.G - B.G) + std::abs(A.B - B.B);
}

MATCHER_P2(NearColour, AExpected, ATolerance, "") {
    *result_listener << "is (" << int(arg.R) << ", " << int(arg.G) << ", " << int(arg.B) << ", "
                     << int(arg.A) << ")";
    return arg.A == 255 && Distance(arg, AExpected) <= ATolerance;
}

TSceneItem Item(TSceneItemKind AKind, TSceneRect ABounds, TSceneColor AFill) {
    TSceneItem Result;
    Result.FKind = AKind;
    Result.FBounds = ABounds;
    Result.FFill = AFill;
    return Result;
}

TSceneItem Text(std::u16string AText, TSceneRect ABounds, platform::TTextAlign AAlign,
                float APoints = 12, bool ABold = false) {
    TSceneItem Result = Item(TSceneItemKind::Text, ABounds, WHITE);
    Result.FText = std::move(AText);
    Result.FAlign = AAlign;
    Result.FFontSizePt = APoints;
    Result.FBold = ABold;
    return Result;
}

TScene SceneOf(int AWidth, int AHeight, std::vector<TSceneItem> AItems) {
    return {AWidth, AHeight, std::move(AItems)};
}

struct TInk {
    int FLeft = 0;
    int FRight = 0;
    int FHeight = 0;
    std::size_t FCount = 0;
};

TInk InkOf(const TPicture& APicture, const TSceneRect& AArea) {
    const std::vector<POINT> Lit = APicture.Lit(AArea);
    TInk Ink{AArea.X + AArea.Width, AArea.X, 0, Lit.size()};
    int Top = AArea.Y + AArea.Height;
    int Bottom = AArea.Y;
    for (const POINT& P : Lit) {
        Ink.FLeft = std::min<int>(Ink.FLeft, P.x);
        Ink.FRight = std::max<int>(Ink.FRight, P.x);
        Top = std::min<int>(Top, P.y);
        Bottom = std::max<int>(Bottom, P.y);
    }
    Ink.FHeight = Lit.empty() ? 0 : Bottom - Top + 1;
    return Ink;
}

TEST(SceneRendererTest, ShapesFillExactlyTheirBoundsInRowOrder) {
    TSceneItem Round = Item(TSceneItemKind::Rectangle, {40, 0, 40, 30}, WHITE);
    Round.FRadius = 10;
    Round.FStroke = BLUE;
    Round.FStrokeWidth = 2;
    const TPicture Picture(
        SceneOf(80, 40,
                {Item(TSceneItemKind::Rectangle, {10, 5, 20, 10}, RED), Round,
                 Item(TSceneItemKind::Rectangle, {0, 30, 80, 0}, RED)})); // no area: nothing
    ASSERT_EQ(Picture.Size(), 80u * 40u);
    EXPECT_THAT(Picture.At(10, 5), NearColour(RED, 0));
    EXPECT_THAT(Picture.At(29, 14), NearColour(RED, 0));
    for (const POINT Outside : {POINT{9, 5}, POINT{30, 5}, POINT{10, 4}, POINT{10, 15}}) {
        EXPECT_THAT(Picture.At(Outside.x, Outside.y), NearColour(BLACK, 0))
            << Outside.x << "," << Outside.y;
    }
    EXPECT_THAT(Picture.At(40, 0), NearColour(BLACK, 30)) << "rounded corner";
    EXPECT_THAT(Picture.At(60, 0), NearColour(BLUE, 30)) << "outline inside the bounds";
    EXPECT_THAT(Picture.At(60, 1), NearColour(BLUE, 30));
    EXPECT_THAT(Picture.At(60, 15), NearColour(WHITE, 0));
    EXPECT_THAT(Picture.At(60, 29), NearColour(BLUE, 30));
    EXPECT_THAT(Picture.At(60, 30), NearColour(BLACK, 0));
}

TEST(SceneRendererTest, GradientEllipseLineAndTranslucency) {
    TSceneItem Gradient = Item(TSceneItemKind::VerticalGradient, {0, 0, 20, 100}, RED);
    Gradient.FFill2 = BLUE;
    TSceneItem Line = Item(TSceneItemKind::Line, {20, 50, 59, 0}, {});
    Line.FStroke = WHITE;
    Line.FStrokeWidth = 1;
    const TPicture Picture(
        SceneOf(80, 100,
                {Gradient, Item(TSceneItemKind::Ellipse, {40, 0, 40, 40}, WHITE), Line,
                 Item(TSceneItemKind::Rectangle, {40, 60, 40, 40}, WHITE),
                 Item(TSceneItemKind::Rectangle, {40, 60, 40, 40}, TSceneColor{255, 0, 0, 128})}));
    EXPECT_THAT(Picture.At(10, 0), NearColour(RED, 12));
    EXPECT_THAT(Picture.At(10, 99), NearColour(BLUE, 12)) << "no wrap-around at the last row";
    EXPECT_GT(Picture.At(10, 30).R, Picture.At(10, 70).R);
    EXPECT_LT(Picture.At(10, 30).B, Picture.At(10, 70).B);
    EXPECT_THAT(Picture.At(60, 20), NearColour(WHITE, 0));
    EXPECT_THAT(Picture.At(41, 1), NearColour(BLACK, 0)) << "outside the ellipse";
    EXPECT_THAT(Picture.At(30, 50), NearColour(WHITE, 10));
    EXPECT_THAT(Picture.At(30, 48), NearColour(BLACK, 0));
    EXPECT_THAT(Picture.At(30, 52), NearColour(BLACK, 0));
    EXPECT_THAT(Picture.At(60, 80), NearColour((TSceneColor{255, 127, 127}), 6));
}

TEST(SceneRendererTest, TextFollowsAlignmentSizeWeightAndResolution) {
    const TSceneRect Row{0, 0, 300, 60};
    const auto Ink = [&](const TSceneItem& AText, float ADpi = SCENE_DEFAULT_DPI) {
        return InkOf(TPicture(SceneOf(300, 60, {AText}), ADpi), Row);
    };
    const TInk Left = Ink(Text(u"OK", Row, platform::TTextAlign::Left));
    const TInk Centre = Ink(Text(u"OK", Row, platform::TTextAlign::Center));
    const TInk Right = Ink(Text(u"OK", Row, platform::TTextAlign::Right));
    ASSERT_GT(Left.FCount, 20u) << "no text drawn: no usable font family?";
    EXPECT_LT(Left.FRight, 60);
    EXPECT_NEAR((Centre.FLeft + Centre.FRight) / 2, 150, 6);
    EXPECT_GT(Right.FLeft, 240);

    EXPECT_GT(Ink(Text(u"确定", Row, platform::TTextAlign::Left)).FCount, 20u)
        << "the chosen family must cover Chinese";
    EXPECT_GT(Ink(Text(u"OK", Row, platform::TTextAlign::Left, 12, true)).FCount, Left.FCount);
    const int Twice = Ink(Text(u"OK", Row, platform::TTextAlign::Left, 24)).FHeight;
    EXPECT_NEAR(Twice, 2 * Left.FHeight, 3);
    EXPECT_NEAR(Ink(Text(u"OK", Row, platform::TTextAlign::Left), 192).FHeight, Twice, 2);

    const TInk Long =
        Ink(Text(std::u16string(200, u'W'), {0, 0, 300, 30}, platform::TTextAlign::Left));
    EXPECT_LT(Long.FRight, 300);
    EXPECT_LT(Long.FHeight, 30) << "stays on one line";
}

TEST(SceneRendererTest, TransparentBackdropLeavesUncoveredPixelsEmptyAndPremultiplies) {
    TSceneItem Frame = Item(TSceneItemKind::Rectangle, {0, 0, 60, 40}, {200, 100, 50, 255});
    Frame.FRadius = 10;
    const TScene Scene = SceneOf(
        80, 40, {Frame, Item(TSceneItemKind::Rectangle, {60, 0, 20, 40}, {200, 100, 50, 128})});
    const std::vector<std::uint32_t> Pixels =
        RenderSceneToPixels(Scene, SCENE_DEFAULT_DPI, TSceneBackdrop::Transparent);
    ASSERT_EQ(Pixels.size(), 80u * 40u);
    const auto At = [&](int AX, int AY) { return Pixels[static_cast<std::size_t>(AY * 80 + AX)]; };
    EXPECT_EQ(At(0, 0), 0u) << "the rounded corner lets everything beneath show";
    EXPECT_EQ(At(30, 20), 0xFFC86432u) << "opaque colours stay as they are";
    EXPECT_EQ(At(70, 20), 0x80643219u) << "translucent ones are scaled by their alpha";
    // Antialiasing leaves partial alpha along the curve; no channel may exceed it there.
    for (int X = 0; X < 10; ++X) {
        const std::uint32_t P = At(X, 2);
        const std::uint32_t Alpha = P >> 24;
        EXPECT_LE(P >> 16 & 0xFF, Alpha) << X;
    }
    EXPECT_THAT(TPicture(Scene).At(0, 0), NearColour(BLACK, 0)) << "opaque windows keep black";
}

TEST(SceneRendererTest, PremultiplyingScalesEachChannelByAlphaRounded) {
    EXPECT_EQ(PremultipliedPixel(0xFF123456u), 0xFF123456u);
    EXPECT_EQ(PremultipliedPixel(0x00FFFFFFu), 0u);
    EXPECT_EQ(PremultipliedPixel(0x80FF0001u), 0x80800001u);
    // 0x0C at 0xA4 is 7.72 levels: the nearest, not the one below.
    EXPECT_EQ(PremultipliedPixel(0xA40C0C0Cu), 0xA4080808u);
    EXPECT_EQ(PremultipliedPixel(0x01FF7F80u), 0x01010001u)
        << "0x7F is just under half a level, 0x80 just over";
}

TEST(SceneRendererTest, SceneWithoutAreaHasNoPixels) {
    EXPECT_TRUE(RenderSceneToPixels(SceneOf(0, 10, {})).empty());
    EXPECT_TRUE(RenderSceneToPixels(SceneOf(10, 0, {})).empty());
}

const TAboutTexts English = AboutSourceTexts();
const TAboutTexts Chinese{u"硬件和软件信息:", u"硬件版本：1.00.00", u"软件版本：1.00.00", u"确定"};

const TSceneItem& HeadingOf(const TScene& AScene) {
    for (const TSceneItem& Item : AScene.Items) {
        if (Item.FKind == TSceneItemKind::Text) {
            return Item;
        }
    }
    throw std::logic_error("the About scene has no text");
}

TEST(AboutRenderingTest, PictureButtonAndTextsShow) {
    const TScene Scene = BuildAboutScene(English);
    const TPicture Picture(Scene);
    ASSERT_EQ(Picture.Size(), 504u * 335u);
    const TSceneItem& Sky = Scene.Items.front();
    EXPECT_THAT(Picture.At(0, 0), NearColour(Sky.FFill, 12));
    EXPECT_THAT(Picture.At(0, 334), NearColour(Sky.FFill2, 40));
    EXPECT_GT(Distance(Picture.At(503, 0), Picture.At(0, 0)), 20) << "the glow at the top right";
    const TSceneColor Button = Picture.At(ABOUT_OK_BUTTON.X + 5, ABOUT_OK_BUTTON.Y + 5);
    EXPECT_GT(Distance(Button, Picture.At(ABOUT_OK_BUTTON.X + 5, ABOUT_OK_BUTTON.Y - 5)), 120);
    EXPECT_GT(InkOf(Picture, ABOUT_OK_BUTTON).FCount, 0u);
}

TEST(AboutRenderingTest, HeadingIsDrawnInEveryLanguage) {
    for (const TAboutTexts& Texts : {English, Chinese}) {
        const TScene Scene = BuildAboutScene(Texts);
        TScene Bare = Scene;
        for (TSceneItem& Item : Bare.Items) {
            Item.FText.clear();
        }
        const TPicture With(Scene);
        const TPicture Without(Bare);
        const TSceneRect Heading = HeadingOf(Scene).FBounds;
        int Changed = 0;
        for (int Y = Heading.Y; Y < Heading.Y + Heading.Height; ++Y) {
            for (int X = Heading.X; X < Heading.X + Heading.Width; ++X) {
                Changed += Distance(With.At(X, Y), Without.At(X, Y)) > 200 ? 1 : 0;
            }
        }
        EXPECT_GT(Changed, 100) << "heading of " << Texts.FHeading.size() << " characters";
    }
}

constexpr platform::TMessageId ClickMsg = WM_USER + 7;

class SceneWindowTest : public testing::Test {
protected:
    void SetUp() override {
        FOwner = FWindows.CreateHiddenWindow(u"VantoSceneTestOwner", u"",
                                             [this](auto AMsg, auto AW, auto) {
                                                 if (AMsg == ClickMsg) {
                                                     FClicks.push_back(AW);
                                                 }
                                                 return platform::TMessageResult{0};
                                             });
        ASSERT_NE(FOwner, 0u);
    }

    std::unique_ptr<platform::ISceneWindow> Open(platform::TScenePlacement APlacement,
                                                 bool ATopMost) {
        platform::TSceneWindowStyle Style;
        Style.FTopMost = ATopMost;
        auto Window = FScenes.CreateSceneWindow(FOwner, ClickMsg, APlacement, Style);
        Window->Show(BuildAboutScene(English));
        return Window;
    }

    // Handles what the clicks posted; they are posted, so they arrive only from the loop.
    std::vector<platform::TWParam> Clicks() {
        FWindows.ProcessPendingMessages();
        return std::exchange(FClicks, {});
    }

    TWin32WindowSystem FWindows;
    TWin32SceneWindows FScenes;
    platform::TWindowHandle FOwner = 0;
    std::vector<platform::TWParam> FClicks;
};

HWND ToHwnd(platform::TWindowHandle AWindow) {
    return reinterpret_cast<HWND>(AWindow);
}

void Click(HWND AWindow, int ADownX, int ADownY, int AUpX, int AUpY) {
    SendMessageW(AWindow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(ADownX, ADownY));
    SendMessageW(AWindow, WM_LBUTTONUP, 0, MAKELPARAM(AUpX, AUpY));
}

TEST_F(SceneWindowTest, AboutWindowIsABorderlessCentredPopupOfTheSceneSize) {
    const auto About = Open(platform::TScenePlacement::CentredOnDesktop, false);
    const HWND Window = ToHwnd(About->Handle());
    ASSERT_NE(Window, nullptr);
    EXPECT_TRUE(About->IsVisible());
    RECT Client{};
    GetClientRect(Window, &Client);
    EXPECT_EQ(Client.right, 504);
    EXPECT_EQ(Client.bottom, 335);
    RECT Frame{};
    GetWindowRect(Window, &Frame);
    EXPECT_EQ(Frame.left, (GetSystemMetrics(SM_CXSCREEN) - 504) / 2);
    EXPECT_EQ(Frame.top, (GetSystemMetrics(SM_CYSCREEN) - 335) / 2);
    EXPECT_EQ(Frame.right - Frame.left, 504) << "no border";
    const LONG_PTR Style = GetWindowLongPtrW(Window, GWL_STYLE);
    const LONG_PTR ExStyle = GetWindowLongPtrW(Window, GWL_EXSTYLE);
    EXPECT_TRUE(Style & WS_POPUP);
    EXPECT_FALSE(Style & WS_CAPTION);
    EXPECT_TRUE(ExStyle & WS_EX_TOOLWINDOW) << "no taskbar button";
    EXPECT_FALSE(ExStyle & WS_EX_TOPMOST);
    EXPECT_FALSE(ExStyle & WS_EX_LAYERED) << "opaque windows paint for themselves";

    // The screen shows the rendering: the button's fill where the button is.
    const TPicture Expected(BuildAboutScene(English));
    const HDC DC = GetDC(Window);
    const COLORREF Shown = GetPixel(DC, ABOUT_OK_BUTTON.X + 5, ABOUT_OK_BUTTON.Y + 5);
    ReleaseDC(Window, DC);
    const TSceneColor Button = Expected.At(ABOUT_OK_BUTTON.X + 5, ABOUT_OK_BUTTON.Y + 5);
    EXPECT_THAT((TSceneColor{GetRValue(Shown), GetGValue(Shown), GetBValue(Shown)}),
                NearColour(Button, 6));

    About->Hide();
    EXPECT_FALSE(About->IsVisible());
    PostMessageW(Window, WM_CLOSE, 0, 0);
    About->Show(BuildAboutScene(English));
    FWindows.ProcessPendingMessages();
    EXPECT_TRUE(IsWindow(Window)) << "closing only hides";
    EXPECT_FALSE(About->IsVisible());
}

TEST_F(SceneWindowTest, TopMostWindowSitsInTheTopRightCornerOfTheWorkArea) {
    const auto Overlay = Open(platform::TScenePlacement::TopRightOfWorkArea, true);
    const HWND Window = ToHwnd(Overlay->Handle());
    RECT Work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &Work, 0);
    RECT Frame{};
    GetWindowRect(Window, &Frame);
    EXPECT_EQ(Frame.right, Work.right);
    EXPECT_EQ(Frame.top, Work.top);
    EXPECT_TRUE(GetWindowLongPtrW(Window, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(SceneWindowTest, ClickOnTheOkButtonPostsItsCommandToTheOwner) {
    const auto About = Open(platform::TScenePlacement::CentredOnDesktop, false);
    const HWND Window = ToHwnd(About->Handle());
    const int X = ABOUT_OK_BUTTON.X + ABOUT_OK_BUTTON.Width / 2;
    const int Y = ABOUT_OK_BUTTON.Y + ABOUT_OK_BUTTON.Height / 2;
    Click(Window, X, Y, X, Y);
    EXPECT_EQ(Clicks(), std::vector<platform::TWParam>{ABOUT_OK_COMMAND});

    Click(Window, 10, 10, 10, 10);
    EXPECT_TRUE(Clicks().empty()) << "the picture is not a button";
    Click(Window, X, Y, 10, 10);
    EXPECT_TRUE(Clicks().empty()) << "released away from the button";
    Click(Window, ABOUT_OK_BUTTON.X, ABOUT_OK_BUTTON.Y, X + ABOUT_OK_BUTTON.Width / 2 - 1, Y);
    EXPECT_EQ(Clicks().size(), 1u) << "the button's own corners count";
}

} // namespace
} // namespace vanto::win32
