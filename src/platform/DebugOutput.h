#pragma once

#include <string>

namespace vanto::platform {

// The platform's debug output, the monitor's only diagnostic channel.
class IDebugOutput {
public:
    virtual ~IDebugOutput() = default;
    virtual void Write(const std::u16string& AText) = 0;
};

} // namespace vanto::platform
