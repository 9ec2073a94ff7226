#include "profile/ProfileFilePlace.h"

#include "platform/Utf16.h"

#include <algorithm>
#include <optional>

namespace vanto {

namespace {

constexpr std::u16string_view PROFILE_FILE_EXTENSION = u".pfd";

bool IsRefusedInName(char16_t AChar) {
    return AChar < 0x20 ||
           std::u16string_view(u"<>:\"/\\|?*").find(AChar) != std::u16string_view::npos;
}

bool IsPlainName(std::u16string_view AName) {
    return !AName.empty() && AName.back() != u'.' && AName.back() != u' ' &&
           std::none_of(AName.begin(), AName.end(), IsRefusedInName);
}

// Windows takes the part before the first dot, without trailing spaces, as the device name,
// whatever follows: "nul .pfd" and "COM1.x.pfd" are devices too.
bool IsDeviceName(std::u16string_view AName) {
    std::u16string_view Stem = AName.substr(0, AName.find(u'.'));
    while (!Stem.empty() && Stem.back() == u' ') {
        Stem.remove_suffix(1);
    }
    for (std::u16string_view Device : {u"CON", u"PRN", u"AUX", u"NUL", u"CONIN$", u"CONOUT$"}) {
        if (SameTextIgnoringCase(Stem, Device)) {
            return true;
        }
    }
    if (Stem.size() != 4 || (!SameTextIgnoringCase(Stem.substr(0, 3), u"COM") &&
                             !SameTextIgnoringCase(Stem.substr(0, 3), u"LPT"))) {
        return false;
    }
    // Windows also reserves the superscript digits, which it takes for 1, 2 and 3.
    const char16_t Number = Stem[3];
    return (Number >= u'0' && Number <= u'9') || Number == u'\u00B9' || Number == u'\u00B2' ||
           Number == u'\u00B3';
}

bool ArePlainComponents(std::u16string_view ARest) {
    if (ARest.empty()) {
        return true;
    }
    if (ARest.back() == u'\\') {
        ARest.remove_suffix(1);
    }
    while (true) {
        const std::size_t Cut = ARest.find(u'\\');
        if (!IsPlainName(ARest.substr(0, Cut))) {
            return false;
        }
        if (Cut == std::u16string_view::npos) {
            return true;
        }
        ARest.remove_prefix(Cut + 1);
    }
}

// What follows ABase in AFolder when AFolder is ABase or lies below it; compared without
// regard to case, as the file system does.
std::optional<std::u16string_view> PartBelow(std::u16string_view AFolder,
                                             std::u16string_view ABase) {
    if (ABase.empty() || AFolder.size() < ABase.size() ||
        !SameTextIgnoringCase(AFolder.substr(0, ABase.size()), ABase)) {
        return std::nullopt;
    }
    const std::u16string_view Rest = AFolder.substr(ABase.size());
    if (Rest.empty() || ABase.back() == u'\\') {
        return Rest;
    }
    if (Rest.front() != u'\\') {
        return std::nullopt; // "Documents2" is not below "Documents"
    }
    return Rest.substr(1);
}

bool IsDevicePath(std::u16string_view APath) {
    return APath.starts_with(u"\\\\?\\") || APath.starts_with(u"\\\\.\\") ||
           APath.starts_with(u"\\??\\");
}

bool IsOnLocalFixedDrive(std::u16string_view AFolder, platform::IFileSystem& AFiles) {
    return AFolder.size() >= 3 && AFolder[1] == u':' && AFolder[2] == u'\\' &&
           AFiles.DriveType(AFolder[0]) == platform::TDriveType::Fixed;
}

bool IsAllowedProfileFolder(std::u16string_view AFolder, std::u16string_view ADocumentsFolder,
                            platform::IFileSystem& AFiles) {
    if (IsDevicePath(AFolder)) {
        return false;
    }
    if (const auto BelowDocuments = PartBelow(AFolder, ADocumentsFolder)) {
        return ArePlainComponents(*BelowDocuments);
    }
    return IsOnLocalFixedDrive(AFolder, AFiles) && ArePlainComponents(AFolder.substr(3));
}

} // namespace

bool IsAllowedProfileFileName(std::u16string_view AName) {
    return IsPlainName(AName) && AName.size() >= PROFILE_FILE_EXTENSION.size() &&
           SameTextIgnoringCase(AName.substr(AName.size() - PROFILE_FILE_EXTENSION.size()),
                                PROFILE_FILE_EXTENSION) &&
           !IsDeviceName(AName);
}

bool IsAllowedProfileFilePlace(std::u16string_view AFolder, std::u16string_view AName,
                               std::u16string_view ADocumentsFolder,
                               platform::IFileSystem& AFiles) {
    return IsAllowedProfileFileName(AName) &&
           IsAllowedProfileFolder(AFolder, ADocumentsFolder, AFiles);
}

} // namespace vanto
