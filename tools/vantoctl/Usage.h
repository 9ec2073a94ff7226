#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vanto::ctl {

// The whole usage, for -h/--help.
std::string ProgramUsage();
// One command's usage with an example, for "vantoctl COMMAND --help"; nothing for no command.
std::optional<std::string> CommandUsage(std::string_view ACommand);

// The project's version as the About window shows it ("1.00.00").
std::string VersionText();

} // namespace vanto::ctl
