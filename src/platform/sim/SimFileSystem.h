#pragma once

#include "platform/FileSystem.h"

#include <filesystem>
#include <optional>

namespace vanto::sim {

// Windows paths mapped onto a host folder: "C:\Users\Ann\Documents\a.pfd" is
// <root>/C/Users/Ann/Documents/a.pfd. A path that would leave the root ("..") maps nowhere
// and every operation on it fails.
class TSimFileSystem : public platform::IFileSystem {
public:
    explicit TSimFileSystem(std::filesystem::path ARoot);

    bool FileExists(const std::u16string& APath) override;
    bool FolderExists(const std::u16string& APath) override;
    bool MakeFolder(const std::u16string& APath) override;
    std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::u16string& APath) override;
    bool WriteWholeFile(const std::u16string& APath, const void* AData, std::size_t ASize) override;
    bool ReplaceWith(const std::u16string& ASource, const std::u16string& ATarget) override;
    bool RemoveFile(const std::u16string& APath) override;

    std::optional<std::filesystem::path> HostPath(const std::u16string& APath) const;
    const std::filesystem::path& Root() const { return FRoot; }

private:
    std::filesystem::path FRoot;
};

} // namespace vanto::sim
