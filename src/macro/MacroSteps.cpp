#include "macro/MacroSteps.h"

#include <algorithm>
#include <bitset>
#include <vector>

namespace vanto {

namespace {

TMACROKEY MakeStep(std::uint16_t AType, std::uint16_t AState, std::uint8_t AValue1,
                   std::uint8_t AValue2) {
    return TMACROKEY{AType, AState, AValue1, AValue2};
}

std::uint16_t StateOf(bool APress) {
    return APress ? STEP_PRESS : STEP_RELEASE;
}

std::uint8_t LowByte(std::uint16_t AValue) {
    return static_cast<std::uint8_t>(AValue & 0xFF);
}
std::uint8_t HighByte(std::uint16_t AValue) {
    return static_cast<std::uint8_t>(AValue >> 8);
}

bool IsPressReleaseType(std::uint16_t AType) {
    return AType == STEP_KEY || AType == STEP_MOUSE_BUTTON || AType == STEP_MEDIA_KEY;
}

} // namespace

std::uint8_t MouseButtonBit(std::uint8_t AButtonIndex) {
    if (AButtonIndex < MOUSE_INDEX_LEFT || AButtonIndex > MOUSE_INDEX_FORWARD) {
        return 0;
    }
    return static_cast<std::uint8_t>(1u << (AButtonIndex - 1));
}

TMACROKEY MouseButtonStep(std::uint8_t AButtonIndex, bool APress) {
    return MakeStep(STEP_MOUSE_BUTTON, StateOf(APress), MouseButtonBit(AButtonIndex), AButtonIndex);
}

TMACROKEY WheelStep(bool AUp) {
    return AUp ? MakeStep(STEP_WHEEL, 0, WHEEL_VALUE_UP, WHEEL_INDEX_UP)
               : MakeStep(STEP_WHEEL, 0, WHEEL_VALUE_DOWN, WHEEL_INDEX_DOWN);
}

TMACROKEY KeyStep(std::uint8_t AVirtualKey, bool AExtended, bool APress) {
    return MakeStep(STEP_KEY, StateOf(APress), AVirtualKey, AExtended ? 1 : 0);
}

TMACROKEY MediaKeyStep(std::uint16_t ACode, bool APress) {
    return MakeStep(STEP_MEDIA_KEY, StateOf(APress), LowByte(ACode), HighByte(ACode));
}

TMACROKEY DelayStep(std::uint16_t AMilliseconds) {
    return MakeStep(STEP_DELAY, 0, LowByte(AMilliseconds), HighByte(AMilliseconds));
}

std::size_t UsedStepCount(const TMACROKEYINFO& AMacroKeyInfo) {
    if (AMacroKeyInfo.MacroListCount <= 0) {
        return 0;
    }
    return std::min(static_cast<std::size_t>(AMacroKeyInfo.MacroListCount), MACRO_STEP_COUNT);
}

std::size_t UsedMacroCount(const TMACROKEYINFOLIST& AMacroKeyInfoList) {
    return std::min(static_cast<std::size_t>(AMacroKeyInfoList.nMacroInfoCount), MACRO_COUNT);
}

std::span<const TMACROKEY> UsedSteps(const TMACROKEYINFO& AMacroKeyInfo) {
    return std::span<const TMACROKEY>(AMacroKeyInfo.MacroList, UsedStepCount(AMacroKeyInfo));
}

std::u16string MacroNameOf(const TMACROKEYINFO& AMacroKeyInfo) {
    return ReadRecordText(AMacroKeyInfo.szMacroName);
}

int CountPairingErrors(std::span<const TMACROKEY> ASteps) {
    // One table for every type: a key and a button whose codes coincide share a slot, which
    // keeps the count equal to what the configuration application stores for the same macro.
    std::bitset<65536> Held;
    std::vector<std::uint16_t> KeyboardCodes;
    int Errors = 0;
    for (const TMACROKEY& Step : ASteps) {
        if (!IsPressReleaseType(Step.nKeyType)) {
            continue;
        }
        const std::uint16_t Code = StepCode(Step);
        const bool Press = Step.nKeyState == STEP_PRESS;
        if (Held[Code] == Press) {
            ++Errors;
        } else {
            Held[Code] = Press;
        }
        if (Step.nKeyType == STEP_KEY &&
            std::find(KeyboardCodes.begin(), KeyboardCodes.end(), Code) == KeyboardCodes.end()) {
            KeyboardCodes.push_back(Code);
        }
    }
    for (std::uint16_t Code : KeyboardCodes) {
        Errors += Held[Code] ? 1 : 0;
    }
    return Errors;
}

std::uint32_t SumOfDelays(std::span<const TMACROKEY> ASteps) {
    std::uint32_t Total = 0;
    for (const TMACROKEY& Step : ASteps) {
        if (Step.nKeyType == STEP_DELAY) {
            Total += StepCode(Step);
        }
    }
    return Total;
}

} // namespace vanto
