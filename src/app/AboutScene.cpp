#include "app/AboutScene.h"

#include "i18n/Translate.h"
#include "platform/Utf16.h"

#include <cstdio>
#include <string_view>
#include <utility>

namespace vanto {

using platform::TScene;
using platform::TSceneColor;
using platform::TSceneItem;
using platform::TSceneItemKind;
using platform::TSceneRect;
using platform::TTextAlign;

namespace {

// A dark blue-grey night sky with a cool blue glow: quiet enough for light text on top.
constexpr TSceneColor SKY_TOP{0x24, 0x30, 0x44};
constexpr TSceneColor SKY_BOTTOM{0x0E, 0x14, 0x1E};
constexpr TSceneColor ACCENT{0x2F, 0x8F, 0xF5};
constexpr TSceneColor HEADING_COLOUR{0xFF, 0xFF, 0xFF};
constexpr TSceneColor LINE_COLOUR{0xC3, 0xCC, 0xD8};

constexpr float HEADING_POINTS = 16;
constexpr float LINE_POINTS = 13;
constexpr float BUTTON_POINTS = 10;
// Row heights leave room for the descenders and the taller CJK glyphs of a translation.
constexpr int HEADING_ROW = 30;
constexpr int LINE_ROW = 24;

constexpr TSceneColor WithAlpha(TSceneColor AColour, std::uint8_t AAlpha) {
    AColour.A = AAlpha;
    return AColour;
}

TSceneItem Shape(TSceneItemKind AKind, TSceneRect ABounds, TSceneColor AFill) {
    TSceneItem Item;
    Item.FKind = AKind;
    Item.FBounds = ABounds;
    Item.FFill = AFill;
    return Item;
}

TSceneItem Background() {
    TSceneItem Sky =
        Shape(TSceneItemKind::VerticalGradient, {0, 0, ABOUT_WIDTH, ABOUT_HEIGHT}, SKY_TOP);
    Sky.FFill2 = SKY_BOTTOM;
    return Sky;
}

// Faint discs around one centre add up to a soft glow without needing a radial gradient.
void AddGlow(TScene& AScene, int ACentreX, int ACentreY, int ARadius, TSceneColor AColour) {
    constexpr int RINGS = 12;
    for (int Ring = 0; Ring < RINGS; ++Ring) {
        const int Radius = ARadius - Ring * ARadius / RINGS;
        AScene.Items.push_back(Shape(TSceneItemKind::Ellipse,
                                     {ACentreX - Radius, ACentreY - Radius, 2 * Radius, 2 * Radius},
                                     AColour));
    }
}

TSceneItem Line(TSceneRect AFromTo, TSceneColor AColour, float AWidth) {
    TSceneItem Item = Shape(TSceneItemKind::Line, AFromTo, {});
    Item.FStroke = AColour;
    Item.FStrokeWidth = AWidth;
    return Item;
}

// A mouse drawn in outline at the lower right, where the texts never reach.
void AddMouseOutline(TScene& AScene) {
    constexpr int X = 392;
    constexpr int Y = 146;
    constexpr int W = 66;
    constexpr int H = 104;
    const TSceneColor Outline = WithAlpha(ACCENT, 150);
    TSceneItem Body = Shape(TSceneItemKind::Rectangle, {X, Y, W, H}, WithAlpha(ACCENT, 22));
    Body.FRadius = W / 2.0f;
    Body.FStroke = Outline;
    Body.FStrokeWidth = 2;
    AScene.Items.push_back(Body);
    AScene.Items.push_back(Line({X + W / 2, Y + 2, 0, 40}, Outline, 2));
    AScene.Items.push_back(Line({X + 2, Y + 42, W - 4, 0}, Outline, 2));
    TSceneItem Wheel = Shape(TSceneItemKind::Rectangle, {X + W / 2 - 4, Y + 14, 8, 16}, ACCENT);
    Wheel.FRadius = 4;
    AScene.Items.push_back(Wheel);
}

void AddPicture(TScene& AScene) {
    AScene.Items.push_back(Background());
    AddGlow(AScene, 470, 20, 240, WithAlpha(ACCENT, 5));
    AddGlow(AScene, 60, 330, 180, TSceneColor{0x6A, 0x5A, 0xE0, 4});
    AddMouseOutline(AScene);
    // Sets the button apart from the information above it.
    AScene.Items.push_back(Line({ABOUT_TEXT_AREA.X, 268, ABOUT_TEXT_AREA.Width, 0},
                                TSceneColor{0xFF, 0xFF, 0xFF, 28}, 1));
}

TSceneItem Text(std::u16string AText, TSceneRect ABounds, float APoints, TSceneColor AColour) {
    TSceneItem Item = Shape(TSceneItemKind::Text, ABounds, AColour);
    Item.FText = std::move(AText);
    Item.FFontSizePt = APoints;
    return Item;
}

void AddInformation(TScene& AScene, const TAboutTexts& ATexts) {
    const int Left = ABOUT_TEXT_AREA.X;
    const int Width = ABOUT_TEXT_AREA.Width;
    int Top = ABOUT_TEXT_AREA.Y;
    TSceneItem Heading =
        Text(ATexts.FHeading, {Left, Top, Width, HEADING_ROW}, HEADING_POINTS, HEADING_COLOUR);
    Heading.FBold = true;
    AScene.Items.push_back(Heading);
    Top += HEADING_ROW + 5;
    // Text starts a few pixels in from its bounds; the accent bar lines up with the glyphs.
    TSceneItem Underline = Shape(TSceneItemKind::Rectangle, {Left + 3, Top, 44, 3}, ACCENT);
    Underline.FRadius = 1.5f;
    AScene.Items.push_back(Underline);
    Top += 13;
    AScene.Items.push_back(
        Text(ATexts.FHardwareLine, {Left, Top, Width, LINE_ROW}, LINE_POINTS, LINE_COLOUR));
    Top += LINE_ROW + 4;
    AScene.Items.push_back(
        Text(ATexts.FSoftwareLine, {Left, Top, Width, LINE_ROW}, LINE_POINTS, LINE_COLOUR));
}

void AddOkButton(TScene& AScene, const std::u16string& ACaption) {
    TSceneItem Button = Shape(TSceneItemKind::Rectangle, ABOUT_OK_BUTTON, ACCENT);
    Button.FRadius = 4;
    Button.FStroke = TSceneColor{0x7C, 0xBA, 0xFF};
    Button.FStrokeWidth = 1;
    Button.FCommandId = ABOUT_OK_COMMAND;
    AScene.Items.push_back(Button);
    TSceneItem Caption = Text(ACaption, ABOUT_OK_BUTTON, BUTTON_POINTS, HEADING_COLOUR);
    Caption.FAlign = TTextAlign::Center;
    AScene.Items.push_back(Caption);
}

// The software line names the build's own version, so that the About window, the version
// resources and the installer agree. The table's line is looked up by its text and its number
// replaced, so every language keeps its wording.
std::u16string WithBuildVersion(std::u16string ALine) {
    constexpr std::u16string_view TABLE_VERSION = u"1.00.00";
    char Version[32];
    std::snprintf(Version, sizeof Version, "%u.%02u.%02u", unsigned{VANTO_VERSION_MAJOR},
                  unsigned{VANTO_VERSION_MINOR}, unsigned{VANTO_VERSION_PATCH});
    if (const auto At = ALine.rfind(TABLE_VERSION); At != std::u16string::npos) {
        ALine.replace(At, TABLE_VERSION.size(), AsciiToUtf16(Version));
    }
    return ALine;
}

TAboutTexts TranslatedAboutTexts() {
    const TAboutTexts Source = AboutSourceTexts();
    return {Translate(Source.FHeading), Translate(Source.FHardwareLine),
            WithBuildVersion(Translate(Source.FSoftwareLine)), Translate(Source.FOkCaption)};
}

} // namespace

TAboutTexts AboutSourceTexts() {
    return {u"Hardware & Software Information:", u"Hardware Core:1.00.00", u"Software Core:1.00.00",
            u"OK"};
}

TScene BuildAboutScene(const TAboutTexts& ATexts) {
    TScene Scene;
    Scene.Width = ABOUT_WIDTH;
    Scene.Height = ABOUT_HEIGHT;
    AddPicture(Scene);
    AddInformation(Scene, ATexts);
    AddOkButton(Scene, ATexts.FOkCaption);
    return Scene;
}

TAboutWindow::TAboutWindow(platform::ISceneWindows& AScenes, platform::TWindowHandle AOwner,
                           platform::TMessageId AClickMessage)
    : FWindow(AScenes.CreateSceneWindow(AOwner, AClickMessage,
                                        platform::TScenePlacement::CentredOnDesktop, {})),
      FTexts(TranslatedAboutTexts()) {}

void TAboutWindow::Show() {
    FWindow->Show(BuildAboutScene(FTexts));
}

void TAboutWindow::ReapplyTexts() {
    FTexts = TranslatedAboutTexts();
    if (FWindow->IsVisible()) {
        Show();
    }
}

} // namespace vanto
