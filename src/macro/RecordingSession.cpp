#include "macro/RecordingSession.h"

#include "i18n/Translate.h"
#include "macro/MacroSteps.h"
#include "platform/Utf16.h"

#include <array>
#include <charconv>
#include <string>

namespace vanto {

namespace {

// Indexed by the hook's button code; only codes 1 to 5 are read, wheel steps take fixed values.
constexpr std::array<std::uint8_t, 8> MouseButtonBits = {0, 0x01, 0x02, 0x04, 0x08, 0x10, 255, 1};
// A pause longer than this starts counting again from zero.
constexpr std::int64_t PENDING_DELAY_RESET_MS = 8000;

constexpr const char16_t* RECORD_LINE_TEXTS[] = {
    u"",
    u"Mouse Click",
    u"Mouse Right Click",
    u"Mouse Middle Click",
    u"Backward(Mouse)",
    u"Forward(Mouse)",
    u"Wheel Down(Mouse)",
    u"Wheel up(Mouse)",
};

bool IsWheel(TMouseButtons AButton) {
    return AButton == TMouseButtons::WHEELUP || AButton == TMouseButtons::WHEELDOWN;
}

// The hook's codes 1 to 7 have a step; any other code has none.
bool HasStep(TMouseButtons AButton) {
    const auto Code = static_cast<std::uint8_t>(AButton);
    return Code >= 1 && Code <= 7;
}

// The time report's text as a number; 0 when it is not one. Wide enough that no report can
// overflow the sum.
std::int64_t ReportedMilliseconds(const std::u16string& AText) {
    std::string Narrow;
    for (char16_t C : AText) {
        if (C > 0x7F) {
            return 0;
        }
        Narrow += static_cast<char>(C);
    }
    std::int64_t Value = 0;
    const auto [End, Error] = std::from_chars(Narrow.data(), Narrow.data() + Narrow.size(), Value);
    return Error == std::errc() && End == Narrow.data() + Narrow.size() && !Narrow.empty() ? Value
                                                                                           : 0;
}

} // namespace

TRecordEvent RecordEventOf(std::int32_t MacroType, TMouseButtons AButton, std::int32_t AState,
                           const std::u16string& MacroKeyString) {
    if (MacroType == 1) {
        return {TRecordEvent::TKind::Step, AButton, AState, 0};
    }
    return {TRecordEvent::TKind::Pause, TMouseButtons::BUTTON_NONE, 0,
            ReportedMilliseconds(MacroKeyString)};
}

TRecordingSession::TRecordingSession(const platform::TPlatform& APlatform, TMonitorFlags& AFlags,
                                     std::uintptr_t AGuardTimerId)
    : FPlatform(APlatform), FFlags(AFlags), FGuardTimerId(AGuardTimerId) {}

void TRecordingSession::Start() {
    FMacroInfo = TMACROKEYINFO{};
    FMacroInfo.MacroListCount = 0;
    FMacroInfo.nAutoAddDelay = 1;
    FRecordArmed = false;
    FFullAnnounced = false;
    FFlags.MacroRecording = true;
    ShowRecordOverlay();
}

std::optional<TMACROKEYINFO> TRecordingSession::Stop() {
    CloseRecordOverlay();
    FFlags.MacroRecording = false;
    if (FMacroInfo.MacroListCount == 0) {
        return std::nullopt;
    }
    WriteRecordText(FMacroInfo.szMacroName, Translate(USER_RECORDED_MACRO_NAME));
    FMacroInfo.nMacroIndex = 0;
    return FMacroInfo;
}

void TRecordingSession::Take(const TRecordEvent& AEvent) {
    if (FMacroInfo.MacroListCount >= RECORD_STEP_LIMIT) {
        return;
    }
    if (AEvent.FKind == TRecordEvent::TKind::Step) {
        RecordStep(AEvent.FButton, AEvent.FState);
        AnnounceFullOnce();
    } else {
        CollectPause(AEvent.FMilliseconds);
    }
}

// The user keeps clicking and sees nothing more recorded; the overlay and the owner say why.
void TRecordingSession::AnnounceFullOnce() {
    if (FFullAnnounced || FMacroInfo.MacroListCount < RECORD_STEP_LIMIT) {
        return;
    }
    FFullAnnounced = true;
    if (FFrmRecord) {
        FFrmRecord->ShowFull();
    }
    if (OnRecordingFull) {
        OnRecordingFull();
    }
}

void TRecordingSession::RecordStep(TMouseButtons AButton, std::int32_t AState) {
    // A code without a step (none, or one of the extra buttons) would index past the bit table
    // and write a step the mouse cannot play.
    if (!HasStep(AButton)) {
        return;
    }
    FRecordArmed = true;
    const std::int32_t Delay = FPendingDelay;
    if (Delay > 0 && FMacroInfo.MacroListCount > 0) {
        const auto Low = static_cast<std::uint8_t>(Delay & 0xFF);
        const auto High = static_cast<std::uint8_t>((Delay >> 8) & 0xFF);
        FMacroInfo.MacroList[FMacroInfo.MacroListCount] = {STEP_DELAY, 0, Low, High};
        // Counted before its line is drawn, so that the overlay's counter includes it.
        ++FMacroInfo.MacroListCount;
        AddRecordOverlayLine(static_cast<std::uint8_t>(STEP_DELAY), Low, High);
    }
    FPendingDelay = 0;

    const auto Code = static_cast<std::uint8_t>(AButton);
    TMACROKEY Step{};
    if (IsWheel(AButton)) {
        const std::uint8_t Value =
            AButton == TMouseButtons::WHEELUP ? WHEEL_VALUE_DOWN : WHEEL_VALUE_UP;
        Step = {STEP_WHEEL, 0, Value, Code};
    } else {
        Step = {STEP_MOUSE_BUTTON, static_cast<std::uint16_t>(AState), MouseButtonBits[Code], Code};
    }
    // After a delay step at index 126 this step lands at 127 and is not counted.
    FMacroInfo.MacroList[FMacroInfo.MacroListCount] = Step;
    if (FMacroInfo.MacroListCount < RECORD_STEP_LIMIT) {
        ++FMacroInfo.MacroListCount;
    }
    if (IsWheel(AButton)) {
        AddRecordOverlayLine(static_cast<std::uint8_t>(STEP_WHEEL), Step.Value1, Step.Value2);
    } else {
        AddRecordOverlayLine(static_cast<std::uint8_t>(STEP_MOUSE_BUTTON),
                             static_cast<std::uint8_t>(AState), Code);
    }
}

void TRecordingSession::CollectPause(std::int64_t AMilliseconds) {
    const std::int32_t Count = FMacroInfo.MacroListCount;
    if (!FRecordArmed || Count < 1) {
        return;
    }
    const std::uint16_t LastType = FMacroInfo.MacroList[Count - 1].nKeyType;
    if (LastType != STEP_MOUSE_BUTTON && LastType != STEP_WHEEL) {
        return;
    }
    const std::int64_t Sum = FPendingDelay + AMilliseconds;
    // A reset, not a cap: only the time after the last reset becomes the delay step.
    FPendingDelay =
        Sum > PENDING_DELAY_RESET_MS || Sum < INT32_MIN ? 0 : static_cast<std::int32_t>(Sum);
}

void TRecordingSession::GuardTimer() {
    if (FFrmRecord) {
        FFrmRecord->Timer1Timer();
    }
}

void TRecordingSession::ShowRecordOverlay() {
    FFrmRecord = std::make_unique<TFrmRecord>(FPlatform, FOwnerWindow, FGuardTimerId);
    FFrmRecord->FCreateByOther = true;
    FFrmRecord->SetStepCount(FMacroInfo.MacroListCount, RECORD_STEP_LIMIT);
    FFrmRecord->Show();
    FFrmRecord->SetTimerEnabled(true);
}

void TRecordingSession::CloseRecordOverlay() {
    if (!FFrmRecord) {
        return;
    }
    FFrmRecord->SetTimerEnabled(false);
    FFrmRecord->Close();
    FFrmRecord.reset();
}

void TRecordingSession::AddRecordOverlayLine(std::uint8_t AType, std::uint8_t AValue,
                                             std::uint8_t AIndex) {
    if (!FFrmRecord) {
        return;
    }
    TRecordLine Line;
    if (AType == STEP_DELAY) {
        Line = {{AsciiToUtf16(std::to_string(AValue + 256 * AIndex)), false}, {u"ms"}};
    } else {
        if (AIndex < std::size(RECORD_LINE_TEXTS) && AIndex > 0) {
            Line.push_back({RECORD_LINE_TEXTS[AIndex]});
        }
        if (AType == STEP_MOUSE_BUTTON) {
            Line.push_back({AValue == 0 ? u"Up" : u"Down"});
        }
    }
    FFrmRecord->SetStepCount(FMacroInfo.MacroListCount, RECORD_STEP_LIMIT);
    FFrmRecord->AddLine(std::move(Line));
}

} // namespace vanto
