#pragma once

// What the bytes of a macro step mean, and the bounds of macro records that come from storage.

#include "profile/pubunit_quorvin.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace vanto {

// Step types (TMACROKEY.nKeyType).
inline constexpr std::uint16_t STEP_MOUSE_BUTTON = 1;
inline constexpr std::uint16_t STEP_MOUSE_MOVE = 2; // carried, never created, checked or played
inline constexpr std::uint16_t STEP_WHEEL = 3;
inline constexpr std::uint16_t STEP_KEY = 4;
inline constexpr std::uint16_t STEP_MEDIA_KEY = 5;
inline constexpr std::uint16_t STEP_DELAY = 6;
inline constexpr std::uint16_t STEP_LOOP = 7; // only in the form of a macro sent to the mouse

// Step states (TMACROKEY.nKeyState) of press/release steps; other types hold 0.
inline constexpr std::uint16_t STEP_RELEASE = 0;
inline constexpr std::uint16_t STEP_PRESS = 1;

// Mouse button steps: button bit in Value1, button number in Value2.
inline constexpr std::uint8_t MOUSE_BIT_LEFT = 0x01;
inline constexpr std::uint8_t MOUSE_BIT_RIGHT = 0x02;
inline constexpr std::uint8_t MOUSE_BIT_MIDDLE = 0x04;
inline constexpr std::uint8_t MOUSE_BIT_BACK = 0x08;
inline constexpr std::uint8_t MOUSE_BIT_FORWARD = 0x10;
inline constexpr std::uint8_t MOUSE_INDEX_LEFT = 1;
inline constexpr std::uint8_t MOUSE_INDEX_RIGHT = 2;
inline constexpr std::uint8_t MOUSE_INDEX_MIDDLE = 3;
inline constexpr std::uint8_t MOUSE_INDEX_BACK = 4;
inline constexpr std::uint8_t MOUSE_INDEX_FORWARD = 5;

// Wheel steps: the index in Value2 always travels with its value in Value1.
inline constexpr std::uint8_t WHEEL_INDEX_DOWN = 6; // one notch toward the user
inline constexpr std::uint8_t WHEEL_VALUE_DOWN = 1;
inline constexpr std::uint8_t WHEEL_INDEX_UP = 7;
inline constexpr std::uint8_t WHEEL_VALUE_UP = 255; // -1 as a byte

// The 16-bit value of a step, Value2 * 256 + Value1: the pairing code of a press/release step,
// the milliseconds of a delay, the count of a loop, the code of a media key.
constexpr std::uint16_t StepCode(const TMACROKEY& AStep) {
    return static_cast<std::uint16_t>(AStep.Value2 * 256 + AStep.Value1);
}

// Step constructors for the common cases.
TMACROKEY MouseButtonStep(std::uint8_t AButtonIndex, bool APress);
TMACROKEY WheelStep(bool AUp);
TMACROKEY KeyStep(std::uint8_t AVirtualKey, bool AExtended, bool APress);
TMACROKEY MediaKeyStep(std::uint16_t ACode, bool APress);
TMACROKEY DelayStep(std::uint16_t AMilliseconds);

// The button bit of a button number 1..5, 0 for any other number.
std::uint8_t MouseButtonBit(std::uint8_t AButtonIndex);

// Records written by another program may hold counts beyond their arrays. These are the only
// counts the macro code uses: a count below zero means no entry, one beyond the array means the
// whole array, so everything the record physically holds is still reachable and nothing past it.
std::size_t UsedStepCount(const TMACROKEYINFO& AMacroKeyInfo);
std::size_t UsedMacroCount(const TMACROKEYINFOLIST& AMacroKeyInfoList);
std::span<const TMACROKEY> UsedSteps(const TMACROKEYINFO& AMacroKeyInfo);

// The stored name: up to the first NUL, all 50 units when the record holds none.
std::u16string MacroNameOf(const TMACROKEYINFO& AMacroKeyInfo);

// Press/release pairing errors of a step sequence: a press of a held code or a release of a
// code not held, for keys, mouse buttons and media keys alike, plus one for every keyboard code
// still held at the end. Buttons and media keys still held at the end are not errors.
int CountPairingErrors(std::span<const TMACROKEY> ASteps);

// Sum of the delay steps in milliseconds.
std::uint32_t SumOfDelays(std::span<const TMACROKEY> ASteps);

} // namespace vanto
