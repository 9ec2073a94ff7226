#include "platform/sim/SimDebugOutput.h"

namespace vanto::sim {

void TSimDebugOutput::Write(const std::u16string& AText) {
    std::lock_guard Guard(FLock);
    FLines.push_back(AText);
}

std::vector<std::u16string> TSimDebugOutput::Lines() const {
    std::lock_guard Guard(FLock);
    return FLines;
}

void TSimDebugOutput::Clear() {
    std::lock_guard Guard(FLock);
    FLines.clear();
}

} // namespace vanto::sim
