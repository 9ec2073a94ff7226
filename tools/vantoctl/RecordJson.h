#pragma once

#include <cstdint>
#include <ostream>
#include <span>

namespace vanto::ctl {

// Prints a stored record as JSON, told apart by its size: a profile, a setting group or an
// all-settings record. Regions the monitor does not interpret are left out. False when the
// size is none of these.
bool PrintRecordAsJson(std::span<const std::uint8_t> ABytes, std::ostream& AOut);

} // namespace vanto::ctl
