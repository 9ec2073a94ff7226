#pragma once

#include <ostream>
#include <span>
#include <string_view>

namespace vanto::ctl {

// load FILE.json [-o OUT] [--base RECORD]: the stored record from the JSON that dump prints.
int RunLoadCommand(std::span<const std::string_view> AArgs, std::ostream& AOut, std::ostream& AErr);
// export [PROFILE] [-o OUT.json] [--machine DIR]
int RunExportCommand(std::span<const std::string_view> AArgs, std::ostream& AOut,
                     std::ostream& AErr);
// import FILE.json [PROFILE] [--force] [--machine DIR]; prints nothing on AOut.
int RunImportCommand(std::span<const std::string_view> AArgs, std::ostream& AOut,
                     std::ostream& AErr);

} // namespace vanto::ctl
