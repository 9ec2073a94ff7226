#pragma once

#include "i18n/TranslatedWindow.h"
#include "platform/Platform.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vanto {

// The overlay's outline and light text, which everything else the monitor draws on screen shares.
inline constexpr platform::TSceneColor OVERLAY_FRAME_OUTLINE{0xA8, 0xB4, 0xB6, 0xFD};
inline constexpr platform::TSceneColor OVERLAY_TEXT_COLOUR{0xFF, 0xFF, 0xFF, 0xFF};

inline constexpr int RECORD_OVERLAY_WIDTH = 372;
inline constexpr int RECORD_OVERLAY_HEIGHT = 100;
// The overlay's window title, by which its guard knows whether it is in front.
inline constexpr char16_t RECORD_OVERLAY_TITLE[] = u"FrmRecord";
inline constexpr std::uint32_t RECORD_GUARD_INTERVAL_MS = 100;
// The overlay's title before translation.
inline constexpr char16_t RECORD_OVERLAY_CAPTION[] = u"Recording...";
// What the overlay (and an on-screen message) says once the mouse's macro slot is full, before
// translation.
inline constexpr char16_t RECORD_FULL_TEXT[] = u"Recording full: 127 steps";
// The counter turns to the warning colour for this many last steps.
inline constexpr int RECORD_COUNTER_WARNING_STEPS = 10;

// How much of the mouse's macro slot a recording uses, as the overlay's corner shows it.
struct TRecordCounter {
    int FSteps = 0;
    int FLimit = 0;
    // Said as the newest line, in the warning colour, once nothing more is recorded; empty
    // before.
    std::u16string FFullNotice;
};

// One part of a step line: a source string shown through Translate, or a text shown as it is
// (the milliseconds of a delay).
struct TRecordLinePart {
    std::u16string FText;
    bool FTranslated = true;
};
// The parts of one step line, shown one after the other.
using TRecordLine = std::vector<TRecordLinePart>;

// The overlay as a scene: the frame, the blinking dot, the title, the newest step lines that
// fit, newest last, and the step counter ("12 / 127") below the title when ACounter has a
// limit.
platform::TScene BuildRecordScene(const std::u16string& ATitle,
                                  const std::vector<std::u16string>& ALines,
                                  const TRecordCounter& ACounter = {});

// The always-on-top overlay that lists the steps of an on-the-fly recording. The guard timer
// (Timer1) runs on the owner's window: the owner starts and stops it with the overlay and
// passes its ticks to Timer1Timer. Its title and lines are in the current language; it keeps
// the parts of each line so that a change of language translates them again.
class TFrmRecord {
public:
    TFrmRecord(const platform::TPlatform& APlatform, platform::TWindowHandle ATimerWindow,
               std::uintptr_t ATimerId);
    ~TFrmRecord();
    TFrmRecord(const TFrmRecord&) = delete;
    TFrmRecord& operator=(const TFrmRecord&) = delete;

    void Show();
    void FormShow();
    void Close();
    void SetTimerEnabled(bool AEnabled);
    void Timer1Timer();
    // Appends one line to the step list (HudMemo1). The window draws it from the message loop.
    void AddLine(TRecordLine ALine);
    // The counter's figures, drawn with the next line or redraw.
    void SetStepCount(int ASteps, int ALimit);
    // The slot is full: the overlay says so, at once.
    void ShowFull();

    // The title and the step lines as shown.
    const std::u16string& Title() const { return FTitle; }
    const std::vector<std::u16string>& Lines() const { return FLines; }
    const TRecordCounter& Counter() const { return FCounter; }
    bool Visible() const { return FVisible; }
    platform::TWindowHandle Handle() const;

    bool FCreateByOther = false;

private:
    void Redraw();
    void ReapplyTexts();

    const platform::TPlatform& FPlatform;
    platform::TWindowHandle FTimerWindow;
    std::uintptr_t FTimerId;
    std::unique_ptr<platform::ISceneWindow> FWindow;
    std::u16string FTitle;
    std::vector<TRecordLine> FSourceLines;
    std::vector<std::u16string> FLines;
    TRecordCounter FCounter;
    bool FFull = false;
    bool FVisible = false;
    bool FTimerEnabled = false;
    // Last, so that it is registered only with everything above in place.
    TTranslatedWindow FTranslated{[this] { ReapplyTexts(); }};
};

} // namespace vanto
