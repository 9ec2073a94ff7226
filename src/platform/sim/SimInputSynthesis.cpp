#include "platform/sim/SimInputSynthesis.h"

#include <stdexcept>

namespace vanto::sim {

void TSimInputSynthesis::SendKey(std::uint8_t AVirtualKey, std::uint8_t AScanCode, bool AExtended,
                                 bool AUp) {
    TSimInputEvent Event;
    Event.Kind = TSimInputEvent::TKind::Key;
    Event.VirtualKey = AVirtualKey;
    Event.ScanCode = AScanCode;
    Event.Extended = AExtended;
    Event.Up = AUp;
    Record(Event);
}

void TSimInputSynthesis::SendMouse(std::uint32_t AFlags, platform::TCursorPos APos,
                                   std::int32_t AData) {
    TSimInputEvent Event;
    Event.Kind = TSimInputEvent::TKind::Mouse;
    Event.Flags = AFlags;
    Event.Pos = APos;
    Event.Data = AData;
    Record(Event);
}

void TSimInputSynthesis::WaitPrecise(std::uint32_t AMs) {
    FWaits.push_back(AMs);
    FWaitedOutside = FWaitedOutside || FOpenPlaybacks <= 0;
    FClock.AdvanceBy(AMs);
}

void TSimInputSynthesis::Record(TSimInputEvent AEvent) {
    if (FFailAt && *FFailAt == FEvents.size()) {
        FFailAt.reset();
        throw std::runtime_error("simulated input synthesis failure");
    }
    AEvent.AtMs = FClock.NowMs();
    AEvent.InPlayback = FOpenPlaybacks > 0;
    FEvents.push_back(AEvent);
}

} // namespace vanto::sim
