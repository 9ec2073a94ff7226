#pragma once

// Edits a macro list the way the configuration application's macro page does, one operation
// per step of the fuzz input, and checks after each that the manager and its editor still
// describe a list the records can hold.

#include "FuzzSupport.h"
#include "shared/pubunit_quorvin.h"

namespace vanto::fuzz {

void RunMacroScript(TFuzzInput& AInput, const TMACROKEYINFOLIST& AList);

// Facts every macro that reaches the mouse or a file must keep, whatever its bytes.
void CheckMacroEncodes(const TMACROKEYINFO& AMacro);

} // namespace vanto::fuzz
