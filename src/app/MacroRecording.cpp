#include "app/VantoMonExMain.h"
#include "i18n/Translate.h"
#include "macro/MacroSteps.h"
#include "platform/Utf16.h"
#include "shared/ConfigAppInterface.h"

#include <array>
#include <charconv>
#include <string>

namespace vanto {

namespace {

// Indexed by the hook's button code; only codes 1 to 5 are read, wheel steps take fixed values.
constexpr std::array<std::uint8_t, 8> MouseButtonBits = {0, 0x01, 0x02, 0x04, 0x08, 0x10, 255, 1};
constexpr std::int32_t RECORD_STEP_LIMIT = 127;
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

bool CarriesRecordedMacro(const TBUTTONFUNCINFO& AButton) {
    return AButton.nFunctionType == FUNCTION_TYPE_PLAY_MACRO ||
           (AButton.nFunctionType == FUNCTION_TYPE_MACRO_BY_INDEX &&
            AButton.MacroKeyInfo.nMacroIndex == 0);
}

} // namespace

void TVantoMonExMain::ToggleMacroRecording(std::uint8_t AKeyIndex) {
    if (!FFlags.MacroRecording) {
        StartMacroRecording();
    } else {
        StopMacroRecording(AKeyIndex);
    }
}

void TVantoMonExMain::StartMacroRecording() {
    FMacroInfo = TMACROKEYINFO{};
    FMacroInfo.MacroListCount = 0;
    FMacroInfo.nAutoAddDelay = 1;
    FFlags.RecordArmed = false;
    uiHook1.RecordMouseMacro();
    FFlags.MacroRecording = true;
    FPlatform.FDebug.Write(u"show record window");
    ShowRecordOverlay();
}

void TVantoMonExMain::StopMacroRecording(std::uint8_t AKeyIndex) {
    FPlatform.FDebug.Write(u"CLOSE record window");
    CloseRecordOverlay();
    uiHook1.StopRecordMouseMacro();
    FFlags.MacroRecording = false;
    if (FMacroInfo.MacroListCount == 0) {
        return;
    }
    // The stop sequence stores its own copy: nothing that runs meanwhile can change what it
    // stores.
    const TMACROKEYINFO Recorded = FMacroInfo;
    StoreRecordedMacro(AKeyIndex, Recorded);
}

void TVantoMonExMain::StoreRecordedMacro(std::uint8_t AKeyIndex, const TMACROKEYINFO& ARecorded) {
    try {
        FDM.LoadCurrentProfileInfoFromRegistry();
    } catch (const EProfileError& Error) {
        // What is in memory is the last profile read; the recording goes into that.
        ReportStorageError(Error);
    }
    TMACROKEYINFO Macro = ARecorded;
    WriteRecordText(Macro.szMacroName, Translate(USER_RECORDED_MACRO_NAME));
    Macro.nMacroIndex = 0;
    FMacroInfo = Macro; // the session's record says what was stored

    TMouseProfileInfo& Profile = FDM.EditCurrentProfileInfo();
    if (AKeyIndex < BUTTON_COUNT) {
        TBUTTONFUNCINFO& Pressed = Profile.ConfigInfo.ButtonFuncInfo[AKeyIndex];
        Pressed.MacroKeyInfo = Macro;
    }
    for (std::size_t Button = 0; Button < 10; ++Button) {
        TBUTTONFUNCINFO& Info = Profile.ConfigInfo.ButtonFuncInfo[Button];
        if (CarriesRecordedMacro(Info)) {
            Info.MacroKeyInfo = Macro;
            Info.nFunctionGroup = MACRO_GROUP;
            Info.MacroKeyInfo.nMacroIndex = 0;
            Info.nFunctionID = 0;
        }
    }
    Profile.MacroKeyInfoList.MacroInfos[0] = Macro;
    // A list that counted no macro would keep the upload from writing this one, and the
    // mouse's play button would run whatever its slot held before.
    if (Profile.MacroKeyInfoList.nMacroInfoCount == 0) {
        Profile.MacroKeyInfoList.nMacroInfoCount = 1;
    }

    bool Stored = false;
    try {
        FDM.SaveBackToCurrentProfileInfo();
        Stored = FDM.SaveCurrentProfileInfoToRegistry();
    } catch (const EProfileError& Error) {
        // The mouse still gets the macro the user just recorded.
        ReportStorageError(Error);
    }
    // The rest follows once the mouse has the macro, so that the configuration application,
    // told last, never talks to the mouse in the middle of this upload.
    const int ProfileIndex = FDM.ProfileIndex();
    FUploader.UploadProfileToDevice(FDM.CurrentProfileInfo(), ProfileIndex,
                                    [this, Macro, Stored, ProfileIndex] {
                                        AnnounceRecordedMacro(Macro, Stored, ProfileIndex);
                                    });
}

void TVantoMonExMain::AnnounceRecordedMacro(const TMACROKEYINFO& AMacro, bool AStored,
                                            int AProfileIndex) {
    try {
        FDM.SaveBackRecordMacroInfoToRegistry(AMacro);
    } catch (const EProfileError& Error) {
        ReportStorageError(Error);
    }
    // The message says the stored profile holds the macro: the application reloads it. The
    // send is the last step: what the application sends back is handled inside it.
    const platform::TWindowHandle ConfigApp =
        FPlatform.FWindows.FindTopWindow(CONFIG_APP_WINDOW_CLASS);
    if (AStored && ConfigApp != 0) {
        FPlatform.FWindows.Send(ConfigApp, WM_MACRO_RECORDED,
                                static_cast<platform::TWParam>(AProfileIndex), 0);
    }
}

void TVantoMonExMain::uiHook1RecordMouseMacroKey(std::int32_t MacroType, TMouseButtons AButton,
                                                 std::int32_t AState,
                                                 const std::u16string& MacroKeyString) {
    if (FMacroInfo.MacroListCount >= RECORD_STEP_LIMIT) {
        return;
    }
    if (MacroType == 1) {
        RecordStep(AButton, AState);
    } else {
        CollectPause(MacroKeyString);
    }
}

void TVantoMonExMain::RecordStep(TMouseButtons AButton, std::int32_t AState) {
    // A code without a step (none, or one of the extra buttons) would index past the bit table
    // and write a step the mouse cannot play.
    if (!HasStep(AButton)) {
        return;
    }
    FFlags.RecordArmed = true;
    const std::int32_t Delay = FFlags.PendingDelay;
    if (Delay > 0 && FMacroInfo.MacroListCount > 0) {
        const auto Low = static_cast<std::uint8_t>(Delay & 0xFF);
        const auto High = static_cast<std::uint8_t>((Delay >> 8) & 0xFF);
        FMacroInfo.MacroList[FMacroInfo.MacroListCount] = {STEP_DELAY, 0, Low, High};
        AddRecordOverlayLine(static_cast<std::uint8_t>(STEP_DELAY), Low, High);
        ++FMacroInfo.MacroListCount;
    }
    FFlags.PendingDelay = 0;

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

void TVantoMonExMain::CollectPause(const std::u16string& AMilliseconds) {
    const std::int32_t Count = FMacroInfo.MacroListCount;
    if (!FFlags.RecordArmed || Count < 1) {
        return;
    }
    const std::uint16_t LastType = FMacroInfo.MacroList[Count - 1].nKeyType;
    if (LastType != STEP_MOUSE_BUTTON && LastType != STEP_WHEEL) {
        return;
    }
    const std::int64_t Sum = FFlags.PendingDelay + ReportedMilliseconds(AMilliseconds);
    // A reset, not a cap: only the time after the last reset becomes the delay step.
    FFlags.PendingDelay =
        Sum > PENDING_DELAY_RESET_MS || Sum < INT32_MIN ? 0 : static_cast<std::int32_t>(Sum);
}

void TVantoMonExMain::ShowRecordOverlay() {
    FFrmRecord = std::make_unique<TFrmRecord>(FPlatform, FHandle, RECORD_GUARD_TIMER_ID);
    FFrmRecord->FCreateByOther = true;
    FFrmRecord->Show();
    FFrmRecord->SetTimerEnabled(true);
    HideApplicationWindow(false);
}

void TVantoMonExMain::CloseRecordOverlay() {
    if (!FFrmRecord) {
        return;
    }
    FFrmRecord->SetTimerEnabled(false);
    FFrmRecord->Close();
    FFrmRecord.reset();
}

void TVantoMonExMain::AddRecordOverlayLine(std::uint8_t AType, std::uint8_t AValue,
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
    FFrmRecord->AddLine(std::move(Line));
}

void TVantoMonExMain::HideApplicationWindow(bool AFlag) {
    // The monitor never shows its main form, so there is nothing to stop first; its hidden
    // window stays hidden, and the overlay, a tool window, adds no task-bar button.
    (void)AFlag;
    FPlatform.FWindows.HideWindow(FHandle);
}

} // namespace vanto
