#pragma once

#include <ostream>
#include <span>
#include <string_view>

namespace vanto::ctl {

// vantoctl upload FILE.pfd --bank N [--decode]; AArgs are the words after "upload".
//
// Without --decode: every feature report the monitor's upload would send for that profile to
// that bank, one per line, the whole report in lower-case hex.
// With --decode: the reports go to a simulated mouse instead, and what it then holds in that
// bank is printed: the button table entries and the steps of each macro slot.
// Exit status 0, or 2 with one line of problem and one usage line on AErr.
int RunUploadCommand(std::span<const std::string_view> AArgs, std::ostream& AOut,
                     std::ostream& AErr);

} // namespace vanto::ctl
