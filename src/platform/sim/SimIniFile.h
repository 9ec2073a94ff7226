#pragma once

#include "platform/FileSystem.h"
#include "platform/IniFile.h"

#include <optional>

namespace vanto::sim {

// INI files of the simulated file system, read as the platform reads them: UTF-8 or UTF-16LE
// text, "[section]" lines, "key=value" lines with blanks trimmed, ';' comment lines, names
// compared without regard to case, the first of two equal keys wins.
class TSimIniFile : public platform::IIniFile {
public:
    explicit TSimIniFile(platform::IFileSystem& AFiles) : FFiles(AFiles) {}

    int ReadInteger(const std::u16string& AFile, const std::u16string& ASection,
                    const std::u16string& AKey, int ADefault) override;
    std::u16string ReadString(const std::u16string& AFile, const std::u16string& ASection,
                              const std::u16string& AKey, const std::u16string& ADefault) override;
    platform::TIniPairs ReadSection(const std::u16string& AFile,
                                    const std::u16string& ASection) override;

private:
    std::optional<std::u16string> ReadText(const std::u16string& AFile);

    platform::IFileSystem& FFiles;
};

} // namespace vanto::sim
