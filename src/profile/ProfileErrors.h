#pragma once

#include <stdexcept>

namespace vanto {

// A storage failure the caller has to hear about: the file system failed while a profile file
// was created, written or read, a registry value held text or an integer where a blob belongs,
// or the platform refused a registry write. Refusals (a missing value or file, a cancelled
// operation) are reported as false results instead.
class EProfileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A stored value or file far larger than the record it should hold, left unread. Unlike a value
// of the wrong type it is not taken for a missing one at start-up: a newer configuration
// application may have written it, so only an explicit save replaces it.
class EStoredRecordTooLarge : public EProfileError {
public:
    using EProfileError::EProfileError;
};

} // namespace vanto
