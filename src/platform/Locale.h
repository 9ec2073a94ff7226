#pragma once

#include <cstdint>

namespace vanto::platform {

// The system's and the user's locale settings.
class ILocale {
public:
    virtual ~ILocale() = default;
    // The 16-bit language identifier of the system's default language (0x0409 US English).
    virtual std::uint16_t SystemDefaultLangID() = 0;
    // The user's default locale identifier.
    virtual std::uint32_t UserDefaultLCID() = 0;
};

} // namespace vanto::platform
