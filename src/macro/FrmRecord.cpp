#include "macro/FrmRecord.h"

#include "i18n/Translate.h"
#include "platform/Utf16.h"

#include <algorithm>
#include <utility>

namespace vanto {

using platform::TSceneColor;
using platform::TSceneItem;
using platform::TSceneItemKind;
using platform::TSceneRect;

namespace {

constexpr TSceneColor FRAME_FILL{0x0C, 0x0C, 0x0C, 0xA4};
constexpr TSceneColor FRAME_OUTLINE = OVERLAY_FRAME_OUTLINE;
constexpr TSceneColor DOT_FROM{0x60, 0x60, 0x60, 0x00};
constexpr TSceneColor DOT_TO{0xFC, 0x08, 0x08, 0xFF};
constexpr float DOT_SECONDS = 0.2F;
// Light text on the dark frame; the frame's own outline colour keeps the two in one family.
constexpr TSceneColor TITLE_COLOUR = OVERLAY_TEXT_COLOUR;
constexpr TSceneColor LINE_COLOUR{0xE6, 0xEA, 0xEB, 0xFF};
// Amber rather than the dot's red, so that a warning is not read as the recording light.
constexpr TSceneColor WARNING_COLOUR{0xFF, 0xB0, 0x20, 0xFF};
constexpr TSceneColor COUNTER_COLOUR{0xA8, 0xB4, 0xB6, 0xFF};

constexpr int FRAME_INSET = 5;
// The dot and the title sit inside the frame: their places count from its corner.
constexpr TSceneRect DOT{FRAME_INSET + 7, FRAME_INSET + 18, 15, 15};
// The title column, as tall as the band the dot sits in, so both share one centre line.
constexpr TSceneRect TITLE{DOT.X + DOT.Width + 3, FRAME_INSET, 99,
                           2 * (DOT.Y - FRAME_INSET) + DOT.Height};
constexpr int LIST_LEFT = TITLE.X + TITLE.Width;
// The bold title is wider than its column in most languages; it may run on into the list's
// margin, which centred step lines leave empty, rather than be cut.
constexpr TSceneRect TITLE_TEXT{TITLE.X, TITLE.Y, TITLE.Width + 40, TITLE.Height};
constexpr int LIST_WIDTH = RECORD_OVERLAY_WIDTH - FRAME_INSET - 2 - LIST_LEFT;
// 12-point lines at the usual 96 dots per inch are 16 pixels high, plus leading.
constexpr int LINE_HEIGHT = 20;
constexpr int LIST_TOP = FRAME_INSET + 4;
constexpr int VISIBLE_LINES = (RECORD_OVERLAY_HEIGHT - 2 * LIST_TOP) / LINE_HEIGHT;
// The title column's lower corner is empty: the counter sits there, clear of the list.
constexpr TSceneRect COUNTER{DOT.X, TITLE.Y + TITLE.Height + 4, LIST_LEFT - DOT.X - 4, 22};

TSceneItem Frame() {
    TSceneItem Item;
    Item.FKind = TSceneItemKind::Rectangle;
    Item.FBounds = {FRAME_INSET, FRAME_INSET, RECORD_OVERLAY_WIDTH - 2 * FRAME_INSET,
                    RECORD_OVERLAY_HEIGHT - 2 * FRAME_INSET};
    Item.FFill = FRAME_FILL;
    Item.FStroke = FRAME_OUTLINE;
    Item.FStrokeWidth = 2;
    Item.FRadius = 3;
    return Item;
}

TSceneItem Dot() {
    TSceneItem Item;
    Item.FKind = TSceneItemKind::Ellipse;
    Item.FBounds = DOT;
    Item.FFill = DOT_FROM;
    Item.FAnimateTo = DOT_TO;
    Item.FAnimateSeconds = DOT_SECONDS;
    return Item;
}

TSceneItem Text(const std::u16string& AText, TSceneRect ABounds, float APoints, bool ABold,
                platform::TTextAlign AAlign, TSceneColor AColour) {
    TSceneItem Item;
    Item.FKind = TSceneItemKind::Text;
    Item.FText = AText;
    Item.FBounds = ABounds;
    Item.FFontSizePt = APoints;
    Item.FBold = ABold;
    Item.FAlign = AAlign;
    Item.FFill = AColour;
    return Item;
}

std::u16string ShownLine(const TRecordLine& ALine) {
    std::u16string Shown;
    for (const TRecordLinePart& Part : ALine) {
        Shown += Part.FTranslated ? Translate(Part.FText) : Part.FText;
    }
    return Shown;
}

TSceneItem Counter(const TRecordCounter& ACounter) {
    const bool Warning = ACounter.FSteps > ACounter.FLimit - RECORD_COUNTER_WARNING_STEPS;
    return Text(DecimalToUtf16(ACounter.FSteps) + u" / " + DecimalToUtf16(ACounter.FLimit), COUNTER,
                10, Warning, platform::TTextAlign::Left, Warning ? WARNING_COLOUR : COUNTER_COLOUR);
}

} // namespace

platform::TScene BuildRecordScene(const std::u16string& ATitle,
                                  const std::vector<std::u16string>& ALines,
                                  const TRecordCounter& ACounter) {
    platform::TScene Scene;
    Scene.Width = RECORD_OVERLAY_WIDTH;
    Scene.Height = RECORD_OVERLAY_HEIGHT;
    Scene.Items = {Frame(), Dot(),
                   Text(ATitle, TITLE_TEXT, 14, true, platform::TTextAlign::Left, TITLE_COLOUR)};
    // The list has no scroll bars and keeps its newest line in view, as a memo scrolled to
    // its end does.
    std::vector<std::pair<std::u16string, TSceneColor>> Shown;
    for (const std::u16string& Line : ALines) {
        Shown.emplace_back(Line, LINE_COLOUR);
    }
    if (!ACounter.FFullNotice.empty()) {
        Shown.emplace_back(ACounter.FFullNotice, WARNING_COLOUR);
    }
    const std::size_t First = Shown.size() > VISIBLE_LINES ? Shown.size() - VISIBLE_LINES : 0;
    for (std::size_t Line = First; Line < Shown.size(); ++Line) {
        const int Top = LIST_TOP + static_cast<int>(Line - First) * LINE_HEIGHT;
        Scene.Items.push_back(Text(Shown[Line].first, {LIST_LEFT, Top, LIST_WIDTH, LINE_HEIGHT}, 12,
                                   false, platform::TTextAlign::Center, Shown[Line].second));
    }
    // Last, so that a trace reads the lines as before and the counter after them.
    if (ACounter.FLimit > 0) {
        Scene.Items.push_back(Counter(ACounter));
    }
    return Scene;
}

TFrmRecord::TFrmRecord(const platform::TPlatform& APlatform, platform::TWindowHandle ATimerWindow,
                       std::uintptr_t ATimerId)
    : FPlatform(APlatform), FTimerWindow(ATimerWindow), FTimerId(ATimerId),
      FTitle(Translate(RECORD_OVERLAY_CAPTION)) {
    platform::TSceneWindowStyle Style;
    Style.FTopMost = true;
    Style.FPerPixelAlpha = true;
    Style.FTitle = RECORD_OVERLAY_TITLE;
    // No click on the overlay does anything, so it reports clicks to nobody.
    FWindow = FPlatform.FScenes.CreateSceneWindow(
        0, 0, platform::TScenePlacement::BottomCentreOfScreen, Style);
}

TFrmRecord::~TFrmRecord() {
    SetTimerEnabled(false);
}

platform::TWindowHandle TFrmRecord::Handle() const {
    return FWindow->Handle();
}

void TFrmRecord::Show() {
    FormShow();
}

void TFrmRecord::FormShow() {
    // The window places itself at the bottom centre of the primary screen each time it shows.
    FVisible = true;
    Redraw();
}

void TFrmRecord::Close() {
    SetTimerEnabled(false);
    FVisible = false;
    FWindow->Hide();
}

void TFrmRecord::SetTimerEnabled(bool AEnabled) {
    if (AEnabled == FTimerEnabled) {
        return;
    }
    FTimerEnabled = AEnabled;
    if (AEnabled) {
        FPlatform.FWindows.StartTimer(FTimerWindow, FTimerId, RECORD_GUARD_INTERVAL_MS);
    } else {
        FPlatform.FWindows.StopTimer(FTimerWindow, FTimerId);
    }
}

void TFrmRecord::Timer1Timer() {
    const auto Upper = [](std::u16string AText) {
        std::transform(AText.begin(), AText.end(), AText.begin(), [](char16_t C) {
            return C >= u'a' && C <= u'z' ? static_cast<char16_t>(C - u'a' + u'A') : C;
        });
        return AText;
    };
    if (Upper(FPlatform.FWindows.ForegroundWindowTitle()) != Upper(RECORD_OVERLAY_TITLE)) {
        FWindow->BringToFront();
    }
}

void TFrmRecord::AddLine(TRecordLine ALine) {
    FLines.push_back(ShownLine(ALine));
    FSourceLines.push_back(std::move(ALine));
    if (FVisible) {
        Redraw();
    }
}

void TFrmRecord::SetStepCount(int ASteps, int ALimit) {
    FCounter.FSteps = ASteps;
    FCounter.FLimit = ALimit;
}

void TFrmRecord::ShowFull() {
    FFull = true;
    FCounter.FFullNotice = Translate(RECORD_FULL_TEXT);
    if (FVisible) {
        Redraw();
    }
}

void TFrmRecord::ReapplyTexts() {
    FTitle = Translate(RECORD_OVERLAY_CAPTION);
    if (FFull) {
        FCounter.FFullNotice = Translate(RECORD_FULL_TEXT);
    }
    for (std::size_t Line = 0; Line < FSourceLines.size(); ++Line) {
        FLines[Line] = ShownLine(FSourceLines[Line]);
    }
    if (FVisible) {
        Redraw();
    }
}

void TFrmRecord::Redraw() {
    FWindow->Show(BuildRecordScene(FTitle, FLines, FCounter));
}

} // namespace vanto
