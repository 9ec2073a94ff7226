// TuiHook's mouse callbacks: the mouse-macro recorder and the general mouse hook.
//
// Both run inside a system-wide low-level hook, which the system abandons when it takes too
// long: no I/O, and no allocation beyond the recorder's list entry and its decimal text.
#include "macro/uiHook.h"

#include <algorithm>

namespace vanto {

using platform::TMSLLHOOKSTRUCT;

namespace {

bool IsRelease(std::uintptr_t AMessage) {
    return AMessage == platform::WM_LBUTTONUP_MSG || AMessage == platform::WM_RBUTTONUP_MSG ||
           AMessage == platform::WM_MBUTTONUP_MSG || AMessage == platform::WM_XBUTTONUP_MSG;
}

bool IsInjected(const TMSLLHOOKSTRUCT& ARecord) {
    return (ARecord.flags & platform::LLMHF_INJECTED_FLAG) != 0;
}

// The high word of the mouse data: the signed wheel movement, or the X-button number.
std::int16_t HighWord(const TMSLLHOOKSTRUCT& ARecord) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(ARecord.mouseData >> 16));
}

// X button 1 is button 4 (back), X button 2 button 5 (forward); no other number names a button.
TMouseButtons XButtonOf(const TMSLLHOOKSTRUCT& ARecord) {
    switch (HighWord(ARecord)) {
    case 1:
        return TMouseButtons::XCLICK4;
    case 2:
        return TMouseButtons::XCLICK5;
    default:
        return TMouseButtons::BUTTON_NONE;
    }
}

// The buttons common to both callbacks; the wheel is theirs to name.
TMouseButtons ButtonOf(std::uintptr_t AMessage, const TMSLLHOOKSTRUCT& ARecord) {
    switch (AMessage) {
    case platform::WM_LBUTTONDOWN_MSG:
    case platform::WM_LBUTTONUP_MSG:
        return TMouseButtons::LCLICK;
    case platform::WM_RBUTTONDOWN_MSG:
    case platform::WM_RBUTTONUP_MSG:
        return TMouseButtons::RCLICK;
    case platform::WM_MBUTTONDOWN_MSG:
    case platform::WM_MBUTTONUP_MSG:
        return TMouseButtons::MCLICK;
    case platform::WM_XBUTTONDOWN_MSG:
    case platform::WM_XBUTTONUP_MSG:
        return XButtonOf(ARecord);
    default:
        return TMouseButtons::BUTTON_NONE;
    }
}

} // namespace

void TuiHook::MouseMacroHookProc(void* AContext, std::int32_t, std::uintptr_t AMessage,
                                 const void* ARecord, std::uint8_t*) {
    if (AContext == nullptr || ARecord == nullptr) {
        return;
    }
    static_cast<TuiHook*>(AContext)->DoMouseMacroHook(
        AMessage, *static_cast<const TMSLLHOOKSTRUCT*>(ARecord));
}

void TuiHook::MouseHookProc(void* AContext, std::int32_t, std::uintptr_t AMessage,
                            const void* ARecord, std::uint8_t* ABlock) {
    if (AContext == nullptr || ARecord == nullptr || ABlock == nullptr) {
        return;
    }
    static_cast<TuiHook*>(AContext)->DoMouseHook(
        AMessage, *static_cast<const TMSLLHOOKSTRUCT*>(ARecord), *ABlock);
}

// The mouse-macro recorder: a delay before every mouse event but the first, a button entry for
// every press, release and wheel notch. The block flag is never touched: recorded input still
// reaches the other applications.
void TuiHook::DoMouseMacroHook(std::uintptr_t AMessage, const TMSLLHOOKSTRUCT& ARecord) {
    if (!ListensToMouseMacro() || IsInjected(ARecord)) {
        return;
    }
    const std::int32_t State = IsRelease(AMessage) ? 0 : 1;
    TMouseButtons Button = ButtonOf(AMessage, ARecord);
    if (AMessage == platform::WM_MOUSEWHEEL_MSG) {
        // A notch toward the user (negative) is "wheel up" here.
        const std::int16_t Delta = HighWord(ARecord);
        Button = Delta < 0   ? TMouseButtons::WHEELUP
                 : Delta > 0 ? TMouseButtons::WHEELDOWN
                             : TMouseButtons::BUTTON_NONE;
    }
    const std::uint16_t X = static_cast<std::uint16_t>(ARecord.X);
    const std::uint16_t Y = static_cast<std::uint16_t>(ARecord.Y);
    const double Time = static_cast<double>(ARecord.time);

    if (!FLastTimeMouseMacro) {
        FLastTimeMouseMacro = ARecord.time;
    } else {
        const std::int32_t Elapsed = StampDifference(ARecord.time, *FLastTimeMouseMacro);
        FLastTimeMouseMacro = ARecord.time;
        // An earlier stamp only restarts the timing; its button is still recorded below, so
        // that no press or release goes missing.
        if (Elapsed >= 0) {
            const auto Delta = static_cast<std::uint32_t>(Elapsed);
            TMOUSEMACROKEY Entry{};
            Entry.nKeyType = 0;
            Entry.nKeyState = 0;
            Entry.MouseButton = TMouseButtons::BUTTON_NONE;
            Entry.X = X;
            Entry.Y = Y;
            // The entry's 16 bits hold at most 65535 ms; the event's text has the whole delay.
            Entry.TimeValue = static_cast<std::uint16_t>(std::min<std::uint32_t>(Delta, 0xFFFF));
            FileMouseEntry(Entry);
            ReportMousePause(Delta, X, Y, Time);
        }
    }

    // A handler may have cleared the slots meanwhile.
    if (Button == TMouseButtons::BUTTON_NONE || !ListensToMouseMacro()) {
        return;
    }
    TMOUSEMACROKEY Entry{};
    Entry.nKeyType = 1;
    Entry.nKeyState = static_cast<std::uint16_t>(State);
    Entry.MouseButton = Button;
    Entry.X = X;
    Entry.Y = Y;
    FileMouseEntry(Entry);
    ReportMouseStep(Button, State, X, Y, Time);
}

// Each slot is looked at just before its call: the handler of the first may clear the second.
void TuiHook::ReportMousePause(std::uint32_t ADelta, std::uint16_t AX, std::uint16_t AY,
                               double ATime) {
    if (OnRecordMouseMacroKey) {
        const std::u16string Text = DecimalText(ADelta);
        OnRecordMouseMacroKey(0, TMouseButtons::BUTTON_NONE, 0, AX, AY, ATime, Text,
                              MillisecondsText(), FMouseMacroKeyList);
    }
    if (OnRecordEvent) {
        OnRecordEvent({TRecordEvent::TKind::Pause, TMouseButtons::BUTTON_NONE, 0, ADelta});
    }
}

void TuiHook::ReportMouseStep(TMouseButtons AButton, std::int32_t AState, std::uint16_t AX,
                              std::uint16_t AY, double ATime) {
    if (OnRecordMouseMacroKey) {
        OnRecordMouseMacroKey(1, AButton, AState, AX, AY, ATime, MouseButtonDescription(AButton),
                              DownUpText(AState), FMouseMacroKeyList);
    }
    if (OnRecordEvent) {
        OnRecordEvent({TRecordEvent::TKind::Step, AButton, AState, 0});
    }
}

// The general mouse hook: pointer movement to OnHookMouseMove, every other real event to
// OnHookMouseAllButton, and to OnHookMouseButton through the first filter that takes it.
void TuiHook::DoMouseHook(std::uintptr_t AMessage, const TMSLLHOOKSTRUCT& ARecord,
                          TBlockFlag& ABlock) {
    if (AMessage == platform::WM_MOUSEMOVE_MSG) {
        if (OnHookMouseMove && !IsInjected(ARecord)) {
            OnHookMouseMove(ARecord.X, ARecord.Y, static_cast<double>(ARecord.time));
            ABlock = 0;
        }
        return;
    }
    if (IsInjected(ARecord)) {
        return;
    }
    const std::int32_t State = IsRelease(AMessage) ? 0 : 1;
    TMouseButtons Button = ButtonOf(AMessage, ARecord);
    std::int16_t ExValue = 0;
    if (AMessage == platform::WM_MOUSEWHEEL_MSG) {
        // Here a positive movement (away from the user) is WHEELUP.
        ExValue = HighWord(ARecord);
        Button = ExValue > 0   ? TMouseButtons::WHEELUP
                 : ExValue < 0 ? TMouseButtons::WHEELDOWN
                               : TMouseButtons::BUTTON_NONE;
    } else if (AMessage == platform::WM_XBUTTONDOWN_MSG || AMessage == platform::WM_XBUTTONUP_MSG) {
        ExValue = HighWord(ARecord);
    }

    if (OnHookMouseAllButton) {
        OnHookMouseAllButton(Button, State, ExValue, ABlock);
    }
    if (!OnHookMouseButton) {
        return;
    }
    for (const auto& Item : FMouseHookObjectList) {
        const TMouseHookDetail& Filter = Item.Object->FMouseHookDetail;
        // Built as it always was: a filter takes every button code up to its own, not only its
        // own, because callers have relied on what this reported.
        if (!Filter.MouseStateSet.ContainsMessage(AMessage) ||
            static_cast<std::uint8_t>(Filter.MouseButton) < static_cast<std::uint8_t>(Button)) {
            continue;
        }
        if (Filter.ModifiedFunction != Button) {
            OnHookMouseButton(Button, State, ABlock);
        }
        // Nothing of the filter is used after the handler, which may remove all filters.
        return;
    }
}

} // namespace vanto
