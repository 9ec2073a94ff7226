#pragma once

#include <string>
#include <utility>
#include <vector>

namespace vanto::platform {

using TIniPairs = std::vector<std::pair<std::u16string, std::u16string>>;

// Reads INI files the way the platform does (section and key names without regard to case).
// A missing file, section or key gives the default.
class IIniFile {
public:
    virtual ~IIniFile() = default;
    virtual int ReadInteger(const std::u16string& AFile, const std::u16string& ASection,
                            const std::u16string& AKey, int ADefault) = 0;
    virtual std::u16string ReadString(const std::u16string& AFile, const std::u16string& ASection,
                                      const std::u16string& AKey,
                                      const std::u16string& ADefault) = 0;
    // Every key of the section with its value, in file order.
    virtual TIniPairs ReadSection(const std::u16string& AFile, const std::u16string& ASection) = 0;
};

} // namespace vanto::platform
