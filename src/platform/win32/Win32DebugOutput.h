#pragma once

#include "platform/DebugOutput.h"

namespace vanto::win32 {

class TWin32DebugOutput final : public platform::IDebugOutput {
public:
    void Write(const std::u16string& AText) override;
};

} // namespace vanto::win32
