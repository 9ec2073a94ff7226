#pragma once

// The bytes of a macro step as the stored records and the configuration application keep them.

#include "shared/pubunit_quorvin.h"

#include <cstdint>

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

} // namespace vanto
