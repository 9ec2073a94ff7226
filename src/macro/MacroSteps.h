#pragma once

// What the bytes of a macro step mean, and the bounds of macro records that come from storage.

#include "shared/MacroStepCodes.h"
#include "shared/pubunit_quorvin.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace vanto {

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
