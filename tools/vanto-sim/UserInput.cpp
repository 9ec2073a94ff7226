#include "UserInput.h"

#include "platform/HookLibrary.h"

#include <array>
#include <cstdlib>

namespace vanto::simrun {

namespace {

struct TButtonMessages {
    const char* FName;
    std::uint32_t FDown;
    std::uint32_t FUp;
    std::int16_t FXButton;
};

constexpr std::array<TButtonMessages, 5> BUTTONS{{
    {"left", platform::WM_LBUTTONDOWN_MSG, platform::WM_LBUTTONUP_MSG, 0},
    {"right", platform::WM_RBUTTONDOWN_MSG, platform::WM_RBUTTONUP_MSG, 0},
    {"middle", platform::WM_MBUTTONDOWN_MSG, platform::WM_MBUTTONUP_MSG, 0},
    {"back", platform::WM_XBUTTONDOWN_MSG, platform::WM_XBUTTONUP_MSG, 1},
    {"forward", platform::WM_XBUTTONDOWN_MSG, platform::WM_XBUTTONUP_MSG, 2},
}};

// Where the user's pointer rests during a scenario.
constexpr std::int32_t POINTER_X = 640;
constexpr std::int32_t POINTER_Y = 400;
constexpr std::int16_t WHEEL_DELTA = 120;

} // namespace

void TUserInput::Click(TMouseButton AButton) {
    Press(AButton);
    FSim.AdvanceTime(CLICK_HOLD_MS);
    Release(AButton);
}

void TUserInput::Press(TMouseButton AButton) {
    const TButtonMessages& Button = BUTTONS[static_cast<std::size_t>(AButton)];
    Deliver(std::string(Button.FName) + " button down", Button.FDown, Button.FXButton);
}

void TUserInput::Release(TMouseButton AButton) {
    const TButtonMessages& Button = BUTTONS[static_cast<std::size_t>(AButton)];
    Deliver(std::string(Button.FName) + " button up", Button.FUp, Button.FXButton);
}

void TUserInput::Wheel(int ANotches) {
    // Up is away from the user: a positive wheel movement.
    const auto Delta = static_cast<std::int16_t>(ANotches > 0 ? WHEEL_DELTA : -WHEEL_DELTA);
    for (int Notch = 0; Notch < std::abs(ANotches); ++Notch) {
        if (Notch > 0) {
            FSim.AdvanceTime(NOTCH_GAP_MS);
        }
        Deliver(std::string("wheel notch ") + (ANotches > 0 ? "up" : "down"),
                platform::WM_MOUSEWHEEL_MSG, Delta);
    }
}

void TUserInput::Deliver(const std::string& AWhat, std::uint32_t AMessage, std::int16_t AData) {
    FTrace.Line("user: " + AWhat +
                (FFlags.MacroRecording ? " (recording)" : " (no recording running)"));
    FSim.FHooks.MouseEvent(AMessage, POINTER_X, POINTER_Y, AData);
}

} // namespace vanto::simrun
