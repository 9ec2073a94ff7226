#pragma once

#include <stdexcept>

namespace vanto {

// A macro file or its folder could not be created, written or read, or a macro's name cannot
// serve as a file name inside the chosen folder.
class EMacroFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace vanto
