#pragma once

#include "platform/IniFile.h"

#include <string>

namespace vanto::bench {

// No config.ini: every device with the vendor collection counts as the mouse.
class TNoIni : public platform::IIniFile {
public:
    int ReadInteger(const std::u16string&, const std::u16string&, const std::u16string&,
                    int ADefault) override {
        return ADefault;
    }
    std::u16string ReadString(const std::u16string&, const std::u16string&, const std::u16string&,
                              const std::u16string& ADefault) override {
        return ADefault;
    }
    platform::TIniPairs ReadSection(const std::u16string&, const std::u16string&) override {
        return {};
    }
};

} // namespace vanto::bench
