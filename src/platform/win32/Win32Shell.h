#pragma once

#include "platform/Shell.h"

namespace vanto::win32 {

class TWin32Shell : public platform::IShell {
public:
    std::optional<std::u16string> DocumentsFolder() override;
    std::u16string ExecutableFolder() override;
    bool OpenProgram(const std::u16string& AFile, const std::u16string& AWorkingFolder) override;
};

} // namespace vanto::win32
