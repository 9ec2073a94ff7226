#pragma once

#include <ostream>
#include <span>
#include <string_view>

namespace vanto::ctl {

// Exit codes: 0 done, 1 the command ran and failed, 2 the command line was wrong.
inline constexpr int EXIT_DONE = 0;
inline constexpr int EXIT_FAILED = 1;
inline constexpr int EXIT_USAGE = 2;

// Runs one vantoctl command; AArgs excludes the program name.
int RunVantoCtl(std::span<const std::string_view> AArgs, std::ostream& AOut, std::ostream& AErr);

} // namespace vanto::ctl
