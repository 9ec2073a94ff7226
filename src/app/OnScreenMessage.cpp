#include "app/OnScreenMessage.h"

#include "macro/FrmRecord.h"

#include "i18n/Translate.h"
#include "platform/Utf16.h"

#include <algorithm>
#include <string>

namespace vanto {

using platform::TSceneColor;
using platform::TSceneItem;
using platform::TSceneItemKind;

namespace {

// The recording overlay's frame and text colours, so that all the monitor shows looks alike; the
// fill is a little denser, as a message stands alone over whatever window is below.
constexpr TSceneColor FRAME_FILL{0x0C, 0x0C, 0x0C, 0xC8};
constexpr TSceneColor FRAME_OUTLINE = OVERLAY_FRAME_OUTLINE;
constexpr TSceneColor TEXT_COLOUR = OVERLAY_TEXT_COLOUR;
constexpr float TEXT_POINTS = 12;
constexpr int FRAME_INSET = 4;
constexpr int TEXT_PADDING = 18;
constexpr int MIN_WIDTH = 180;
constexpr int MAX_WIDTH = 760;
// The scene is laid out before any font is at hand: a 12-point character at 96 dots per inch
// is at most this wide on average in Latin text, and a Chinese character twice that.
constexpr int LATIN_CHARACTER_WIDTH = 9;
constexpr int WIDE_CHARACTER_WIDTH = 17;

int TextWidth(const std::u16string& AText) {
    int Width = 0;
    for (const char16_t Character : AText) {
        Width += Character >= 0x2E80 ? WIDE_CHARACTER_WIDTH : LATIN_CHARACTER_WIDTH;
    }
    return Width;
}

} // namespace

std::u16string TranslatedMessage(std::u16string_view ASource, long long ANumber) {
    std::u16string Text = Translate(ASource);
    if (const std::size_t At = Text.find(u"%1"); At != std::u16string::npos) {
        Text.replace(At, 2, DecimalToUtf16(ANumber));
    }
    return Text;
}

platform::TScene BuildMessageScene(const std::u16string& AText) {
    platform::TScene Scene;
    Scene.Width =
        std::clamp(TextWidth(AText) + 2 * (FRAME_INSET + TEXT_PADDING), MIN_WIDTH, MAX_WIDTH);
    Scene.Height = MESSAGE_HEIGHT;
    TSceneItem Frame;
    Frame.FKind = TSceneItemKind::Rectangle;
    Frame.FBounds = {FRAME_INSET, FRAME_INSET, Scene.Width - 2 * FRAME_INSET,
                     Scene.Height - 2 * FRAME_INSET};
    Frame.FFill = FRAME_FILL;
    Frame.FStroke = FRAME_OUTLINE;
    Frame.FStrokeWidth = 2;
    Frame.FRadius = 6;
    TSceneItem Text;
    Text.FKind = TSceneItemKind::Text;
    Text.FText = AText;
    Text.FBounds = {FRAME_INSET + 4, FRAME_INSET + 8, Scene.Width - 2 * FRAME_INSET - 8,
                    Scene.Height - 2 * FRAME_INSET - 12};
    Text.FFontSizePt = TEXT_POINTS;
    Text.FFill = TEXT_COLOUR;
    Text.FAlign = platform::TTextAlign::Center;
    Scene.Items = {Frame, Text};
    return Scene;
}

TOnScreenMessage::TOnScreenMessage(platform::ISceneWindows& AScenes,
                                   platform::IWindowSystem& AWindows, std::uintptr_t ATimerId)
    : FScenes(AScenes), FWindows(AWindows), FTimerId(ATimerId) {}

TOnScreenMessage::~TOnScreenMessage() {
    Close();
}

void TOnScreenMessage::SetEnabled(bool AEnabled) {
    FEnabled = AEnabled;
    if (!FEnabled) {
        Close();
    }
}

void TOnScreenMessage::Show(const std::u16string& AText) {
    if (!FEnabled || AText.empty()) {
        return;
    }
    if (!FWindow) {
        platform::TSceneWindowStyle Style;
        Style.FTopMost = true;
        Style.FPerPixelAlpha = true;
        Style.FClickThrough = true;
        Style.FTitle = MESSAGE_WINDOW_TITLE;
        FWindow = FScenes.CreateSceneWindow(
            0, 0, platform::TScenePlacement::BottomCentreOfPointerScreen, Style);
    }
    FFadeStep = 0;
    // A replaced message may have been half faded; the new one starts at full strength (the
    // window places itself afresh when its size changes).
    FWindow->SetOpacity(255);
    FWindow->Show(BuildMessageScene(AText));
    FWindows.StopTimer(FOwner, FTimerId);
    FWindows.StartTimer(FOwner, FTimerId, MESSAGE_SHOWN_MS);
}

void TOnScreenMessage::Timer() {
    if (!FWindow) {
        FWindows.StopTimer(FOwner, FTimerId);
        return;
    }
    if (FFadeStep == 0) {
        FWindows.StopTimer(FOwner, FTimerId);
        FWindows.StartTimer(FOwner, FTimerId, MESSAGE_FADE_STEP_MS);
    }
    if (++FFadeStep >= MESSAGE_FADE_STEPS) {
        Close();
        return;
    }
    FWindow->SetOpacity(
        static_cast<std::uint8_t>(255 * (MESSAGE_FADE_STEPS - FFadeStep) / MESSAGE_FADE_STEPS));
}

// The window goes with the message: what it drew with is released once nothing shows.
void TOnScreenMessage::Close() {
    FWindows.StopTimer(FOwner, FTimerId);
    if (FWindow) {
        FWindow->Hide();
        FWindow.reset();
    }
    FFadeStep = 0;
}

} // namespace vanto
