#include "platform/sim/SimFileSystem.h"

#include <fstream>
#include <system_error>

namespace vanto::sim {

namespace fs = std::filesystem;

TSimFileSystem::TSimFileSystem(fs::path ARoot) : FRoot(std::move(ARoot)) {
    std::error_code Error;
    fs::create_directories(FRoot, Error);
}

std::optional<fs::path> TSimFileSystem::HostPath(const std::u16string& APath) const {
    fs::path Result = FRoot;
    std::size_t Start = 0;
    bool First = true;
    while (Start <= APath.size()) {
        std::size_t End = APath.find_first_of(u"\\/", Start);
        if (End == std::u16string::npos) {
            End = APath.size();
        }
        std::u16string Part = APath.substr(Start, End - Start);
        Start = End + 1;
        if (First && Part.size() == 2 && Part[1] == u':') {
            Part.pop_back(); // the drive letter becomes a folder of the root
        }
        First = false;
        if (Part.empty() || Part == u".") {
            continue;
        }
        if (Part == u"..") {
            return std::nullopt;
        }
        Result /= fs::path(Part);
    }
    if (Result == FRoot) {
        return std::nullopt;
    }
    return Result;
}

bool TSimFileSystem::FileExists(const std::u16string& APath) {
    auto Path = HostPath(APath);
    std::error_code Error;
    return Path && fs::is_regular_file(*Path, Error);
}

bool TSimFileSystem::FolderExists(const std::u16string& APath) {
    auto Path = HostPath(APath);
    std::error_code Error;
    return Path && fs::is_directory(*Path, Error);
}

bool TSimFileSystem::MakeFolder(const std::u16string& APath) {
    auto Path = HostPath(APath);
    if (!Path) {
        return false;
    }
    std::error_code Error;
    if (!fs::is_directory(Path->parent_path(), Error)) {
        return false; // one level only, as CreateDirectoryW
    }
    fs::create_directory(*Path, Error);
    return fs::is_directory(*Path, Error);
}

std::optional<std::vector<std::uint8_t>>
TSimFileSystem::ReadWholeFile(const std::u16string& APath) {
    auto Path = HostPath(APath);
    if (!Path || !FileExists(APath)) {
        return std::nullopt;
    }
    std::error_code Error;
    auto Size = fs::file_size(*Path, Error);
    std::ifstream In(*Path, std::ios::binary);
    if (Error || !In) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> Data(static_cast<std::size_t>(Size));
    if (!In.read(reinterpret_cast<char*>(Data.data()), static_cast<std::streamsize>(Data.size()))) {
        return std::nullopt;
    }
    return Data;
}

bool TSimFileSystem::WriteWholeFile(const std::u16string& APath, const void* AData,
                                    std::size_t ASize) {
    auto Path = HostPath(APath);
    std::error_code Error;
    if (!Path || fs::is_directory(*Path, Error)) {
        return false;
    }
    std::ofstream Out(*Path, std::ios::binary | std::ios::trunc);
    if (!Out) {
        return false;
    }
    Out.write(static_cast<const char*>(AData), static_cast<std::streamsize>(ASize));
    Out.flush();
    return static_cast<bool>(Out);
}

bool TSimFileSystem::ReplaceWith(const std::u16string& ASource, const std::u16string& ATarget) {
    auto Source = HostPath(ASource);
    auto Target = HostPath(ATarget);
    if (!Source || !Target || !FileExists(ASource)) {
        return false;
    }
    std::error_code Error;
    fs::rename(*Source, *Target, Error);
    return !Error;
}

bool TSimFileSystem::RemoveFile(const std::u16string& APath) {
    auto Path = HostPath(APath);
    std::error_code Error;
    return Path && fs::is_regular_file(*Path, Error) && fs::remove(*Path, Error);
}

} // namespace vanto::sim
