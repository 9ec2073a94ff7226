#pragma once

#include "Trace.h"

#include "platform/sim/SimMouse.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vanto::simrun {

// "feature report 4: write memory bank 0 @144 65 bytes (button table)".
std::string DescribeFeatureReport(std::span<const std::uint8_t> AReport);
// One line per filled entry of a bank's button table; nothing for a table never written.
std::vector<std::string> DescribeButtonTable(std::span<const std::uint8_t> ATable);
// The steps of one macro slot as the mouse plays them; nothing for an unused slot.
std::optional<std::string> DescribeMacroSlot(std::span<const std::uint8_t> ASlot);

// The mouse keeps every feature report it took; the trace gets the ones it has not seen yet.
class TMouseReportWatcher {
public:
    TMouseReportWatcher(const sim::TSimMouse& AMouse, TTrace& ATrace)
        : FMouse(AMouse), FTrace(ATrace) {}

    void Poll();

private:
    const sim::TSimMouse& FMouse;
    TTrace& FTrace;
    std::size_t FSeenAccepted = 0;
    std::size_t FSeenRejected = 0;
};

} // namespace vanto::simrun
