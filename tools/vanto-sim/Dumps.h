#pragma once

#include "Trace.h"

#include "platform/sim/SimHid.h"
#include "platform/sim/SimMouse.h"
#include "platform/sim/SimRegistry.h"
#include "profile/DM.h"

namespace vanto::simrun {

// The current profile's buttons 0..14 and its first macro, as the monitor holds them now.
void DumpProfile(TTrace& ATrace, const TDM& ADM);
// The values under the key the monitor shares with the configuration application.
void DumpRegistry(TTrace& ATrace, sim::TSimRegistry& ARegistry);
// Both banks of the mouse's memory, decoded, and how the mouse is connected.
void DumpMouse(TTrace& ATrace, const sim::TSimMouse& AMouse, sim::TSimHid& AHub);

} // namespace vanto::simrun
