#pragma once

#include "platform/IniFile.h"

namespace vanto::win32 {

// INI files through the platform's own profile functions.
class TWin32IniFile : public platform::IIniFile {
public:
    int ReadInteger(const std::u16string& AFile, const std::u16string& ASection,
                    const std::u16string& AKey, int ADefault) override;
    std::u16string ReadString(const std::u16string& AFile, const std::u16string& ASection,
                              const std::u16string& AKey, const std::u16string& ADefault) override;
    platform::TIniPairs ReadSection(const std::u16string& AFile,
                                    const std::u16string& ASection) override;
};

} // namespace vanto::win32
