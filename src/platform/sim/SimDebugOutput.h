#pragma once

#include "platform/DebugOutput.h"

#include <mutex>
#include <string>
#include <vector>

namespace vanto::sim {

// Keeps every debug line so tests and the scenario runner can read them back.
class TSimDebugOutput : public platform::IDebugOutput {
public:
    void Write(const std::u16string& AText) override;
    std::vector<std::u16string> Lines() const;
    void Clear();

private:
    mutable std::mutex FLock;
    std::vector<std::u16string> FLines;
};

} // namespace vanto::sim
