#pragma once

#include <optional>
#include <string>

namespace vanto::platform {

// Where the shell keeps things for the current user and for the running program.
class IShell {
public:
    virtual ~IShell() = default;
    // The current user's Documents folder, as the shell reports it; nothing when it cannot.
    virtual std::optional<std::u16string> DocumentsFolder() = 0;
    // The folder of the running executable, without a trailing '\'.
    virtual std::u16string ExecutableFolder() = 0;
    // Starts a program by its full path with the verb "open", shown normally, in AWorkingFolder.
    // Never searches a path: AFile must name the program itself.
    virtual bool OpenProgram(const std::u16string& AFile, const std::u16string& AWorkingFolder) = 0;
};

} // namespace vanto::platform
