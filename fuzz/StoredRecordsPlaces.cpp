#include "StoredRecordsPlaces.h"

#include "StoredRecords.h"
#include "platform/Utf16.h"
#include "platform/sim/SimPlatform.h"
#include "profile/uiProfile.h"
#include "shared/ConfigAppInterface.h"
#include "shared/pubunit_quorvin.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>

namespace vanto::fuzz {

namespace {

constexpr std::uint64_t MIB = 1024 * 1024;
constexpr std::uint64_t PROFILE_FILE_LIMIT = PROFILE_BLOCK_SIZE + STORED_SIZE_MARGIN;

std::u16string Upper(std::u16string_view AText) {
    std::u16string Result(AText);
    std::transform(Result.begin(), Result.end(), Result.begin(), UpperCaseOf);
    return Result;
}

bool IsSharedKey(const std::u16string& AKeyPath) {
    return SameTextIgnoringCase(AKeyPath, VANTO_REGISTRY_KEY);
}

// The record a value of the shared key holds: a game profile unless it is one of the others.
std::uint64_t RecordSizeOf(std::u16string_view AName) {
    if (SameTextIgnoringCase(AName, SETTING_GROUP_VALUE_NAME)) {
        return PROFILE_SETTING_GROUP_BLOCK_SIZE;
    }
    if (SameTextIgnoringCase(AName, ALL_SETTING_VALUE_NAME)) {
        return ALLGAMESINFO_BLOCK_SIZE;
    }
    if (SameTextIgnoringCase(AName, RECORD_MACRO_VALUE_NAME)) {
        return sizeof(TMACROKEYINFO);
    }
    return PROFILE_BLOCK_SIZE;
}

// Where Windows takes a path: its root ("X:\" or "\\SERVER\SHARE\") and the folders below it
// after '/' became '\', empty parts, "." and ".." were applied and trailing dots and spaces were
// dropped, all in upper case. Nothing for a device path, a path relative to anything, or a part
// that only dots and spaces make up.
struct TPlace {
    std::u16string FRoot;
    std::vector<std::u16string> FParts;
};

std::vector<std::u16string> SplitAtBackslash(std::u16string_view APath) {
    std::vector<std::u16string> Parts;
    while (true) {
        const std::size_t Cut = APath.find(u'\\');
        Parts.emplace_back(APath.substr(0, Cut));
        if (Cut == std::u16string_view::npos) {
            return Parts;
        }
        APath.remove_prefix(Cut + 1);
    }
}

std::optional<TPlace> Resolve(std::u16string_view APath) {
    std::u16string Path(APath);
    std::replace(Path.begin(), Path.end(), u'/', u'\\');
    if (Path.starts_with(u"\\\\?\\") || Path.starts_with(u"\\\\.\\") ||
        Path.starts_with(u"\\??\\")) {
        return std::nullopt;
    }
    const std::vector<std::u16string> Parts = SplitAtBackslash(Path);
    TPlace Place;
    std::size_t First = 0;
    const char16_t Drive = Path.empty() ? u'\0' : UpperCaseOf(Path[0]);
    if (Path.size() >= 3 && Drive >= u'A' && Drive <= u'Z' && Path[1] == u':' && Path[2] == u'\\') {
        Place.FRoot = Upper(Path.substr(0, 3));
        First = 1;
    } else if (Path.starts_with(u"\\\\") && Parts.size() >= 4 && !Parts[2].empty() &&
               !Parts[3].empty()) {
        Place.FRoot = u"\\\\" + Upper(Parts[2]) + u"\\" + Upper(Parts[3]) + u"\\";
        First = 4;
    } else {
        return std::nullopt;
    }
    for (std::size_t I = First; I < Parts.size(); ++I) {
        std::u16string Part = Parts[I];
        if (Part.empty() || Part == u".") {
            continue;
        }
        if (Part == u"..") {
            if (!Place.FParts.empty()) {
                Place.FParts.pop_back();
            }
            continue;
        }
        while (!Part.empty() && (Part.back() == u'.' || Part.back() == u' ')) {
            Part.pop_back();
        }
        if (Part.empty() || Part == u"." || Part == u"..") {
            return std::nullopt;
        }
        Place.FParts.push_back(Upper(Part));
    }
    return Place;
}

bool HasRefusedCharacter(std::u16string_view APart) {
    return std::any_of(APart.begin(), APart.end(), [](char16_t C) {
        return C < 0x20 || std::u16string_view(u"<>:\"|?*").find(C) != std::u16string_view::npos;
    });
}

bool IsDeviceName(std::u16string_view AName) {
    static const std::set<std::u16string> Devices = [] {
        std::set<std::u16string> Names = {u"CON", u"PRN", u"AUX", u"NUL", u"CONIN$", u"CONOUT$"};
        for (std::u16string Digit : {u"0", u"1", u"2", u"3", u"4", u"5", u"6", u"7", u"8", u"9",
                                     u"\u00B9", u"\u00B2", u"\u00B3"}) {
            Names.insert(u"COM" + Digit);
            Names.insert(u"LPT" + Digit);
        }
        return Names;
    }();
    std::u16string Stem(AName.substr(0, AName.find(u'.')));
    while (!Stem.empty() && Stem.back() == u' ') {
        Stem.pop_back();
    }
    return Devices.contains(Upper(Stem));
}

} // namespace

// --- The registry ---

std::optional<platform::TRegValue> TStoredRegistry::ReadValue(const std::u16string& AKeyPath,
                                                              const std::u16string& AName) {
    VANTO_FUZZ_CHECK(!IsSharedKey(AKeyPath) || !FFar.contains(Upper(AName)),
                     "a value far larger than its record was read whole");
    std::optional<platform::TRegValue> Value = FInner.ReadValue(AKeyPath, AName);
    VANTO_FUZZ_CHECK(!Value || !IsSharedKey(AKeyPath) ||
                         Value->FData.size() <= RecordSizeOf(AName) + STORED_SIZE_MARGIN,
                     "a value more than 64 KiB larger than its record was read");
    return Value;
}

std::optional<std::uint64_t> TStoredRegistry::ValueSize(const std::u16string& AKeyPath,
                                                        const std::u16string& AName) {
    if (IsSharedKey(AKeyPath)) {
        if (auto Far = FFar.find(Upper(AName)); Far != FFar.end()) {
            return Far->second;
        }
    }
    return FInner.ValueSize(AKeyPath, AName);
}

bool TStoredRegistry::WriteBinaryValue(const std::u16string& AKeyPath, const std::u16string& AName,
                                       const void* AData, std::size_t ASize) {
    const bool Written = FInner.WriteBinaryValue(AKeyPath, AName, AData, ASize);
    if (Written && IsSharedKey(AKeyPath)) {
        FFar.erase(Upper(AName));
    }
    return Written;
}

bool TStoredRegistry::WriteDWordValue(const std::u16string& AKeyPath, const std::u16string& AName,
                                      std::uint32_t AValue) {
    const bool Written = FInner.WriteDWordValue(AKeyPath, AName, AValue);
    if (Written && IsSharedKey(AKeyPath)) {
        FFar.erase(Upper(AName));
    }
    return Written;
}

void TStoredRegistry::StoreFarValue(const std::u16string& AName, std::uint64_t ASize) {
    if (FInner.KeyExists(VANTO_REGISTRY_KEY)) {
        FFar[Upper(AName)] = ASize;
    }
}

bool TStoredRegistry::HoldsFarValue(const std::u16string& AName) const {
    return FFar.contains(Upper(AName));
}

// --- The disk ---

namespace {

// Below the user's Documents folder, wherever it is, or on a local fixed drive.
bool IsWhereProfilesMayBe(const TPlace& APlace, platform::IShell& AShell,
                          platform::IFileSystem& AFiles) {
    const std::optional<TPlace> Documents = Resolve(AShell.DocumentsFolder().value_or(u""));
    if (Documents && Documents->FRoot == APlace.FRoot &&
        APlace.FParts.size() >= Documents->FParts.size() &&
        std::equal(Documents->FParts.begin(), Documents->FParts.end(), APlace.FParts.begin())) {
        return true;
    }
    return APlace.FRoot.size() == 3 &&
           AFiles.DriveType(APlace.FRoot[0]) == platform::TDriveType::Fixed;
}

} // namespace

// A look at a share already connects to its server.
void TWatchedFiles::CheckLook(const std::u16string& APath) {
    const std::optional<TPlace> Place = Resolve(APath);
    VANTO_FUZZ_CHECK(Place && IsWhereProfilesMayBe(*Place, FShell, FInner),
                     "the profile store looked at a place where no profile file may be kept");
}

void TWatchedFiles::CheckChange(const std::u16string& APath, std::u16string_view AEnding) {
    const std::optional<TPlace> Place = Resolve(APath);
    VANTO_FUZZ_CHECK(
        Place && IsWhereProfilesMayBe(*Place, FShell, FInner) &&
            std::none_of(Place->FParts.begin(), Place->FParts.end(), HasRefusedCharacter),
        "the profile store changed the disk outside the places of profile files");
    if (AEnding.empty()) {
        return;
    }
    VANTO_FUZZ_CHECK(!Place->FParts.empty() && Place->FParts.back().ends_with(Upper(AEnding)) &&
                         !IsDeviceName(Place->FParts.back()),
                     "the profile store wrote a file that is no profile file");
}

bool TWatchedFiles::FileExists(const std::u16string& APath) {
    CheckLook(APath);
    return FInner.FileExists(APath);
}

bool TWatchedFiles::FolderExists(const std::u16string& APath) {
    CheckLook(APath);
    return FInner.FolderExists(APath);
}

std::optional<std::uint64_t> TWatchedFiles::FileSize(const std::u16string& APath) {
    CheckLook(APath);
    return FInner.FileSize(APath);
}

std::optional<std::vector<std::uint8_t>> TWatchedFiles::ReadWholeFile(const std::u16string& APath) {
    CheckLook(APath);
    VANTO_FUZZ_CHECK(FInner.FileSize(APath).value_or(0) <= PROFILE_FILE_LIMIT,
                     "a profile file more than 64 KiB larger than its record was read");
    return FInner.ReadWholeFile(APath);
}

bool TWatchedFiles::MakeFolder(const std::u16string& APath) {
    CheckChange(APath, u"");
    return FInner.MakeFolder(APath);
}

bool TWatchedFiles::WriteWholeFile(const std::u16string& APath, const void* AData,
                                   std::size_t ASize) {
    CheckChange(APath, u".pfd.tmp");
    return FInner.WriteWholeFile(APath, AData, ASize);
}

bool TWatchedFiles::ReplaceWith(const std::u16string& ASource, const std::u16string& ATarget) {
    CheckChange(ASource, u".pfd.tmp");
    CheckChange(ATarget, u".pfd");
    return FInner.ReplaceWith(ASource, ATarget);
}

bool TWatchedFiles::RemoveFile(const std::u16string& APath) {
    CheckChange(APath, u".pfd.tmp");
    return FInner.RemoveFile(APath);
}

// --- Odd places and sizes ---

namespace {

std::u16string PlaceOf(std::uint32_t AChoice, const std::u16string& ADocuments,
                       TFuzzInput& AInput) {
    const std::u16string Places[] = {
        ADocuments + u"\\Vanto Gaming Mouse",
        ADocuments,
        ADocuments + u"\\",
        u"C:\\Users\\j..doe\\Documents",
        u"d:\\Games",
        u"E:\\Profiles",
        u"F:\\",
        u"\\\\server\\share",
        u"\\\\server\\home\\Ann\\Documents\\Vanto Gaming Mouse",
        u"\\\\?\\C:\\Users\\Ann\\Documents",
        u"\\\\.\\C:\\Users\\Ann\\Documents",
        u"C:",
        u"C:Users",
        u"\\Users\\Ann\\Documents",
        u"C:/Users/Ann/Documents",
        ADocuments + u"\\..\\..\\Public",
        ADocuments + u"\\x/../../../Bob",
        ADocuments + u"\\.",
        ADocuments + u"\\... ",
        ADocuments + u"\\\\Sub",
        ADocuments + u"2",
        u"C:\\Users\\Ann\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Startup",
    };
    if (AChoice < std::size(Places)) {
        return Places[AChoice];
    }
    return AInput.Text(60);
}
constexpr std::uint32_t PLACE_CHOICES = 23;

std::u16string NameOf(std::uint32_t AChoice, TFuzzInput& AInput) {
    const std::u16string Names[] = {
        u"VantoProfile1.pfd", u"Mine.PFD",   u"pwn.cmd",       u"COM1.pfd",
        u"nul .pfd",          u"Lpt9.x.pfd", u"x.pfd:y.pfd",   u"x.pfd.",
        u"a\\b.pfd",          u"..\\x.pfd",  u"COM\u00B9.pfd", u"conin$.pfd",
    };
    if (AChoice < std::size(Names)) {
        return Names[AChoice];
    }
    return AInput.Text(PROFILE_FILE_NAME_CAPACITY);
}
constexpr std::uint32_t NAME_CHOICES = 13;

std::u16string FileOf(const TPROFILESETTINGINFO& AEntry) {
    std::u16string Folder = ReadRecordText(AEntry.szFilePath);
    if (!Folder.empty() && Folder.back() != u'\\') {
        Folder += u'\\';
    }
    return Folder + ReadRecordText(AEntry.szFileName);
}

// The setting group as stored, or the factory one where the stored one does not hold a whole
// record.
std::unique_ptr<TProfileSettingGroup> StoredGroup(sim::TSimRegistry& ARegistry) {
    auto Group = std::make_unique<TProfileSettingGroup>();
    const auto Value = ARegistry.ReadValue(VANTO_REGISTRY_KEY, SETTING_GROUP_VALUE_NAME);
    const bool Whole = Value && Value->FType == platform::TRegValueType::Binary &&
                       Value->FData.size() >= sizeof(TProfileSettingGroup);
    std::memcpy(Group.get(), Whole ? Value->FData.data() : FactoryRecords().FSettingGroup.data(),
                sizeof(TProfileSettingGroup));
    return Group;
}

// Game profiles moved to odd places; the configuration application may have stored a profile
// file there.
void MoveProfiles(TFuzzInput& AInput, sim::TSimRegistry& ARegistry, sim::TSimFileSystem& AFiles,
                  const std::u16string& ADocuments) {
    std::unique_ptr<TProfileSettingGroup> Group = StoredGroup(ARegistry);
    bool Moved = false;
    for (TPROFILESETTINGINFO& Entry : Group->ProfileSettingList) {
        const std::uint32_t Choice = AInput.Below(PLACE_CHOICES + 1);
        if (Choice == 0) {
            continue;
        }
        Moved = true;
        Entry.nStorageType = AInput.Below(4) == 0 ? STORAGE_REGISTRY : STORAGE_FILE;
        WriteRecordText(Entry.szFilePath, PlaceOf(Choice - 1, ADocuments, AInput));
        WriteRecordText(Entry.szFileName, NameOf(AInput.Below(NAME_CHOICES), AInput));
        if (AInput.Flag()) {
            const std::vector<std::uint8_t>& Game = FactoryRecords().FGameProfile;
            AFiles.WriteWholeFile(FileOf(Entry), Game.data(), Game.size());
        }
    }
    if (Moved) {
        const auto* Bytes = reinterpret_cast<const std::uint8_t*>(Group.get());
        ARegistry.WriteRawValue(
            VANTO_REGISTRY_KEY, SETTING_GROUP_VALUE_NAME,
            {platform::TRegValueType::Binary, {Bytes, Bytes + sizeof(TProfileSettingGroup)}});
    }
}

// A record of ASize bytes where AWhich (0..2 the shared values, 3..7 the game profiles) lives:
// far ones are declared or sparse, so hundreds of megabytes cost nothing.
void StoreSized(std::uint32_t AWhich, std::uint64_t ASize, bool AFar,
                const TProfileSettingGroup& AGroup, sim::TSimRegistry& ARegistry,
                TStoredRegistry& AStored, sim::TSimFileSystem& AFiles, TOversized& AOversized) {
    static const std::array<const char16_t*, 3> SHARED = {
        SETTING_GROUP_VALUE_NAME, ALL_SETTING_VALUE_NAME, RECORD_MACRO_VALUE_NAME};
    const TPROFILESETTINGINFO* Entry =
        AWhich < 3 ? nullptr : &AGroup.ProfileSettingList[AWhich - 3];
    if (Entry == nullptr || Entry->nStorageType == STORAGE_REGISTRY) {
        const std::u16string Name =
            Entry == nullptr ? SHARED[AWhich] : ReadRecordText(Entry->szFileName);
        if (Name.empty() || !ARegistry.KeyExists(VANTO_REGISTRY_KEY)) {
            return;
        }
        if (AFar) {
            AStored.StoreFarValue(Name, ASize);
            AOversized.FValues.push_back(Name);
            return;
        }
        const std::vector<std::uint8_t> Bytes(static_cast<std::size_t>(ASize), 0xA5);
        AStored.WriteBinaryValue(VANTO_REGISTRY_KEY, Name, Bytes.data(), Bytes.size());
        std::erase_if(AOversized.FValues,
                      [&](const std::u16string& AOld) { return SameTextIgnoringCase(AOld, Name); });
        AOversized.FRealValues.erase(Upper(Name));
        if (ASize > RecordSizeOf(Name) + STORED_SIZE_MARGIN) {
            AOversized.FRealValues[Upper(Name)] = ASize;
        }
        return;
    }
    if (Entry->nStorageType != STORAGE_FILE) {
        return;
    }
    const std::u16string File = FileOf(*Entry);
    const std::vector<std::uint8_t> Bytes(AFar ? 0 : static_cast<std::size_t>(ASize), 0xA5);
    if (!AFiles.WriteWholeFile(File, Bytes.data(), Bytes.size())) {
        return;
    }
    if (AFar) {
        std::error_code Error;
        std::filesystem::resize_file(*AFiles.HostPath(File), ASize, Error);
        VANTO_FUZZ_CHECK(!Error, "a sparse file could not be made");
    }
    AOversized.FFiles.erase(File);
    if (ASize > PROFILE_FILE_LIMIT) {
        AOversized.FFiles[File] = ASize;
    }
}

std::uint64_t RecordSizeOfChoice(std::uint32_t AWhich) {
    constexpr std::array<std::uint64_t, 3> SHARED = {
        PROFILE_SETTING_GROUP_BLOCK_SIZE, ALLGAMESINFO_BLOCK_SIZE, sizeof(TMACROKEYINFO)};
    return AWhich < 3 ? SHARED[AWhich] : PROFILE_BLOCK_SIZE;
}

} // namespace

TOversized StoreOddPlacesAndSizes(TFuzzInput& AInput, sim::TSimRegistry& ARegistry,
                                  TStoredRegistry& AStored, sim::TSimFileSystem& AFiles,
                                  sim::TSimShell& AShell) {
    AFiles.SetDriveType(u'D', platform::TDriveType::Fixed);
    AFiles.SetDriveType(u'E', platform::TDriveType::Remote);
    AFiles.SetDriveType(u'F', platform::TDriveType::Removable);
    const std::u16string DocumentsFolders[] = {sim::TSimPlatform::DOCUMENTS,
                                               u"\\\\server\\home\\Ann\\Documents",
                                               u"E:\\Ann\\Documents", u"D:\\Docs"};
    const std::u16string Documents = DocumentsFolders[AInput.Below(4)];
    AShell.SetDocumentsFolder(Documents);
    for (const std::u16string& Folder :
         {Documents, std::u16string(u"C:\\Users\\j..doe"), std::u16string(u"D:\\Games"),
          std::u16string(u"E:\\Profiles"), std::u16string(u"F:"),
          std::u16string(u"\\\\server\\share"),
          std::u16string(u"\\\\server\\home\\Ann\\Documents\\Vanto Gaming Mouse")}) {
        MakeFolders(AFiles, Folder);
    }
    MoveProfiles(AInput, ARegistry, AFiles, Documents);

    TOversized Oversized;
    const std::unique_ptr<TProfileSettingGroup> Group = StoredGroup(ARegistry);
    const std::uint32_t Count = AInput.Below(4);
    for (std::uint32_t I = 0; I < Count; ++I) {
        const std::uint32_t Which = AInput.Below(8);
        const bool Far = AInput.Flag();
        // Near ones straddle the limit: from 2 bytes inside it to 3 past it.
        const std::uint64_t Size =
            Far ? (1 + AInput.Below(512)) * MIB
                : RecordSizeOfChoice(Which) + STORED_SIZE_MARGIN - 2 + AInput.Below(6);
        StoreSized(Which, Size, Far, *Group, ARegistry, AStored, AFiles, Oversized);
    }
    return Oversized;
}

void CheckOversizedKept(const TOversized& AOversized, sim::TSimRegistry& ARegistry,
                        const TStoredRegistry& AStored, sim::TSimFileSystem& AFiles) {
    for (const std::u16string& Name : AOversized.FValues) {
        VANTO_FUZZ_CHECK(AStored.HoldsFarValue(Name), "start-up replaced a far too large value");
    }
    for (const auto& [Name, Size] : AOversized.FRealValues) {
        VANTO_FUZZ_CHECK(ARegistry.ValueSize(VANTO_REGISTRY_KEY, Name) == Size,
                         "start-up replaced a too large value");
    }
    for (const auto& [File, Size] : AOversized.FFiles) {
        VANTO_FUZZ_CHECK(AFiles.FileSize(File) == Size, "start-up replaced a too large file");
    }
}

} // namespace vanto::fuzz
