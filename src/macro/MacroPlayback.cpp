#include "macro/MacroPlayback.h"

#include "macro/MacroSteps.h"
#include "platform/Utf16.h"

#include <algorithm>
#include <exception>
#include <system_error>

namespace vanto {

namespace {

// Mouse buttons 4 and 5 go out as the browser navigation keys, which every program understands,
// rather than as extra-button events, which many ignore.
constexpr std::uint8_t VK_BROWSER_BACK_KEY = 0xA6;
constexpr std::uint8_t VK_BROWSER_FORWARD_KEY = 0xA7;

} // namespace

TMacroPlayer::TMacroPlayer(platform::IInputSynthesis& AInput, platform::IDebugOutput& ADebug,
                           TMonitorFlags& AFlags, const TMouseProfileInfo& ACurrentProfile)
    : FInput(AInput), FDebug(ADebug), FFlags(AFlags), FCurrentProfile(ACurrentProfile) {}

TMacroPlayer::~TMacroPlayer() {
    StopPlayback();
}

void TMacroPlayer::PlayCurrentMacro() {
    // A replay would act under the user's hands while they record, and the recorder skips
    // replayed events: the stored macro would not be what happened on screen.
    if (FFlags.MacroRecording) {
        FDebug.Write(u"play macro refused: a recording is running");
        return;
    }
    if (FFlags.MacroPlaying) {
        return;
    }
    // The last playback has cleared the flag; its thread at most gives back its timer.
    WaitForEnd();
    // Set here, not on the new thread: a press handled before that thread runs is ignored.
    FFlags.MacroPlaying = true;
    FCursor = FInput.CursorPos();
    FDebug.Write(u"play macro");
    // Slot 0 whatever the list count says: it is where a recording lands. A copy, because the
    // profile may be reloaded while the macro plays.
    FMacro = FCurrentProfile.MacroKeyInfoList.MacroInfos[0];
    FStopRequested = false;
    FInput.ArmWaits();
    try {
        FThread = std::thread([this] { Run(); });
    } catch (const std::system_error& Error) {
        FFlags.MacroPlaying = false;
        FDebug.Write(u"play macro failed: " + AsciiToUtf16(Error.what()));
    }
}

void TMacroPlayer::StopPlayback() {
    if (!FThread.joinable()) {
        return;
    }
    // The flag before the cancel: the playback thread looks at it before each step, so a cancel
    // that comes before that thread's first wait still ends it.
    FStopRequested = true;
    FInput.CancelWaits();
    FThread.join();
}

void TMacroPlayer::WaitForEnd() {
    if (FThread.joinable()) {
        FThread.join();
    }
}

void TMacroPlayer::Run() noexcept {
    FInput.BeginPlayback();
    try {
        if (!PlayAndRelease()) {
            FDebug.Write(u"play macro stopped");
        }
    } catch (const std::exception& Error) {
        FDebug.Write(u"play macro failed: " + AsciiToUtf16(Error.what()));
    } catch (...) {
        FDebug.Write(u"play macro failed");
    }
    // Before the timer goes back: whoever sees the playback's end sees a cleared flag.
    FFlags.MacroPlaying = false;
    FInput.EndPlayback();
}

bool TMacroPlayer::PlayAndRelease() {
    FHeld.clear();
    bool Whole = true;
    try {
        for (const TMACROKEY& Step : UsedSteps(FMacro)) {
            Whole = !FStopRequested && PlayStep(Step);
            if (!Whole) {
                break;
            }
        }
    } catch (...) {
        // The failure is reported; the held keys still have to come up.
        try {
            ReleaseHeld();
        } catch (...) {
        }
        throw;
    }
    ReleaseHeld();
    return Whole;
}

bool TMacroPlayer::PlayStep(const TMACROKEY& AStep) {
    switch (AStep.nKeyType) {
    case STEP_DELAY:
        return FInput.WaitPrecise(StepCode(AStep));
    case STEP_KEY:
        // The extended flag the recorder stored is not sent: the keys replay as plain keys.
        if (AStep.nKeyState == STEP_PRESS || AStep.nKeyState == STEP_RELEASE) {
            Key(AStep.Value1, false, AStep.nKeyState == STEP_RELEASE);
        }
        break;
    case STEP_MOUSE_BUTTON:
        PlayMouseButton(AStep);
        break;
    case STEP_WHEEL:
        if (AStep.Value2 == WHEEL_INDEX_DOWN) {
            FInput.SendMouse(platform::MOUSE_WHEEL, FCursor, -platform::WHEEL_NOTCH);
        } else if (AStep.Value2 == WHEEL_INDEX_UP) {
            FInput.SendMouse(platform::MOUSE_WHEEL, FCursor, platform::WHEEL_NOTCH);
        }
        break;
    default: // pointer moves, media keys and loops are not played on the host
        break;
    }
    return true;
}

void TMacroPlayer::PlayMouseButton(const TMACROKEY& AStep) {
    if (AStep.nKeyState != STEP_PRESS && AStep.nKeyState != STEP_RELEASE) {
        return;
    }
    const bool Up = AStep.nKeyState == STEP_RELEASE;
    // The button number decides; the button bit beside it is not trusted.
    switch (AStep.Value2) {
    case MOUSE_INDEX_LEFT:
        MouseButton(platform::MOUSE_LEFT_DOWN, platform::MOUSE_LEFT_UP, Up);
        break;
    case MOUSE_INDEX_RIGHT:
        MouseButton(platform::MOUSE_RIGHT_DOWN, platform::MOUSE_RIGHT_UP, Up);
        break;
    case MOUSE_INDEX_MIDDLE:
        MouseButton(platform::MOUSE_MIDDLE_DOWN, platform::MOUSE_MIDDLE_UP, Up);
        break;
    case MOUSE_INDEX_BACK:
        Key(VK_BROWSER_BACK_KEY, true, Up);
        break;
    case MOUSE_INDEX_FORWARD:
        Key(VK_BROWSER_FORWARD_KEY, true, Up);
        break;
    default:
        break;
    }
}

// The system keeps one down state per virtual key, whatever the extended flag, so a key is held
// from its first press to its first release.
void TMacroPlayer::Key(std::uint8_t AVirtualKey, bool AExtended, bool AUp) {
    const auto Same = [AVirtualKey](const THeld& AHeld) {
        return AHeld.IsKey && AHeld.VirtualKey == AVirtualKey;
    };
    const auto Found = std::find_if(FHeld.begin(), FHeld.end(), Same);
    // Noted before sending: a send that fails half-way may still have pressed the key.
    if (!AUp && Found == FHeld.end()) {
        FHeld.push_back({true, AVirtualKey, AExtended, 0});
    }
    FInput.SendKey(AVirtualKey, 0, AExtended, AUp);
    if (AUp && Found != FHeld.end()) {
        FHeld.erase(Found);
    }
}

void TMacroPlayer::MouseButton(std::uint32_t APressFlag, std::uint32_t AReleaseFlag, bool AUp) {
    const auto Found = std::find_if(FHeld.begin(), FHeld.end(), [AReleaseFlag](const THeld& AHeld) {
        return !AHeld.IsKey && AHeld.ReleaseFlag == AReleaseFlag;
    });
    if (!AUp && Found == FHeld.end()) {
        FHeld.push_back({false, 0, false, AReleaseFlag});
    }
    FInput.SendMouse(AUp ? AReleaseFlag : APressFlag, FCursor, 0);
    if (AUp && Found != FHeld.end()) {
        FHeld.erase(Found);
    }
}

// A macro may end with something pressed (a recording cut at its step limit, a macro edited by
// hand); left alone, that key or button stays down in every program after the playback.
// Every release is tried even when one fails, so a single failure leaves as little down as it can.
void TMacroPlayer::ReleaseHeld() {
    std::exception_ptr Failure;
    while (!FHeld.empty()) {
        const THeld Last = FHeld.back();
        FHeld.pop_back();
        try {
            if (Last.IsKey) {
                FInput.SendKey(Last.VirtualKey, 0, Last.Extended, true);
            } else {
                FInput.SendMouse(Last.ReleaseFlag, FCursor, 0);
            }
        } catch (...) {
            if (!Failure) {
                Failure = std::current_exception();
            }
        }
    }
    if (Failure) {
        std::rethrow_exception(Failure);
    }
}

} // namespace vanto
