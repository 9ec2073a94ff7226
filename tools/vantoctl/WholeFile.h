#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vanto::ctl {

// What a command says of a file's size before it is read; none when the size will do.
using TSizeCheck = std::function<std::optional<std::string>(std::uintmax_t ASize)>;

// The whole of AFile (a UTF-8 name), or none with AReason: "cannot read", with the system's
// words where it gave some, or what ACheckSize said of the size. A file refused for its size is
// not read at all.
std::optional<std::vector<std::uint8_t>>
ReadWholeFile(std::string_view AFile, const TSizeCheck& ACheckSize, std::string& AReason);

// Refuses a file of more than AMaxSize bytes.
TSizeCheck AtMost(std::uintmax_t AMaxSize);

} // namespace vanto::ctl
