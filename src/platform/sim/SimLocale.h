#pragma once

#include "platform/Locale.h"

namespace vanto::sim {

// A simulated system: US English unless a test or scenario says otherwise.
class TSimLocale final : public platform::ILocale {
public:
    std::uint16_t SystemDefaultLangID() override { return FLangID; }
    std::uint32_t UserDefaultLCID() override { return FLCID; }

    void SetSystemDefaultLangID(std::uint16_t ALangID) { FLangID = ALangID; }
    void SetUserDefaultLCID(std::uint32_t ALCID) { FLCID = ALCID; }

private:
    std::uint16_t FLangID = 0x0409;
    std::uint32_t FLCID = 0x0409;
};

} // namespace vanto::sim
