#include "UserInput.h"

#include <array>
#include <cstdlib>

namespace vanto::simrun {

namespace {

constexpr std::array<const char*, 5> BUTTON_NAMES{"left", "right", "middle", "back", "forward"};

} // namespace

void TUserInput::Click(TMouseButton AButton) {
    Deliver(std::string("click ") + BUTTON_NAMES[static_cast<std::size_t>(AButton)]);
}

void TUserInput::Wheel(int ANotches) {
    Deliver(std::string("wheel ") + (ANotches > 0 ? "up" : "down") +
            (std::abs(ANotches) == 1 ? "" : " x" + std::to_string(std::abs(ANotches))));
}

void TUserInput::Deliver(const std::string& AWhat) {
    FTrace.Line(AWhat + (FFlags.MacroRecording ? " (recording running, but no hook takes it yet)"
                                               : " (no recording running)"));
}

} // namespace vanto::simrun
