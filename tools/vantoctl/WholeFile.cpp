#include "WholeFile.h"

#include "Utf8Text.h"

#include <filesystem>
#include <fstream>

namespace vanto::ctl {

std::optional<std::vector<std::uint8_t>>
ReadWholeFile(std::string_view AFile, const TSizeCheck& ACheckSize, std::string& AReason) {
    const std::filesystem::path Path = PathFromUtf8(AFile);
    std::error_code Error;
    const std::uintmax_t Size = std::filesystem::file_size(Path, Error);
    if (Error) {
        AReason = "cannot read: " + Error.message();
        return std::nullopt;
    }
    if (std::optional<std::string> Refusal = ACheckSize(Size)) {
        AReason = std::move(*Refusal);
        return std::nullopt;
    }
    std::vector<std::uint8_t> Bytes(static_cast<std::size_t>(Size));
    std::ifstream In(Path, std::ios::binary);
    if (!In.read(reinterpret_cast<char*>(Bytes.data()), static_cast<std::streamsize>(Size))) {
        AReason = "cannot read";
        return std::nullopt;
    }
    return Bytes;
}

TSizeCheck AtMost(std::uintmax_t AMaxSize) {
    return [AMaxSize](std::uintmax_t ASize) -> std::optional<std::string> {
        if (ASize > AMaxSize) {
            return "cannot read: larger than " + std::to_string(AMaxSize) + " bytes";
        }
        return std::nullopt;
    };
}

} // namespace vanto::ctl
