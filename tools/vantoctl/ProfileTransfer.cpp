#include "ProfileTransfer.h"

#include "RecordJson.h"
#include "platform/Utf16.h"
#include "platform/sim/SimPlatform.h"
#include "profile/DM.h"
#include "profile/ProfileErrors.h"
#include "shared/ConfigAppInterface.h"

#include <cstring>
#include <sstream>
#include <vector>

namespace vanto::ctl {

namespace {

class TSimulatedMachine final : public TMachine {
public:
    explicit TSimulatedMachine(const std::filesystem::path& AFolder) : FSim(AFolder) {}
    TProfileServices Services() override {
        return {FSim.FRegistry, FSim.FFiles, FSim.FShell,  FSim.FIni,
                FSim.FLocale,   FSim.FClock, FSim.FWindows};
    }

private:
    sim::TSimPlatform FSim;
};

// The profiles as the monitor loads them at start-up, so that the base of an import is exactly
// the profile the monitor holds.
std::unique_ptr<TDM> LoadProfiles(const TProfileServices& AServices) {
    auto DM = std::make_unique<TDM>(AServices.FRegistry, AServices.FFiles, AServices.FShell,
                                    AServices.FIni, AServices.FLocale, AServices.FClock);
    try {
        DM->DataModuleCreate();
    } catch (const EProfileError& Error) {
        throw ETransferError(std::string("cannot load the stored profiles: ") + Error.what());
    }
    return DM;
}

int ProfileIndex(const TDM& ADM, std::optional<int> AProfileNumber) {
    if (!AProfileNumber) {
        return ADM.ProfileIndex();
    }
    if (*AProfileNumber < 1 || *AProfileNumber > static_cast<int>(GAME_PROFILE_COUNT)) {
        throw ETransferError("game profile " + std::to_string(*AProfileNumber) +
                             " does not exist; there are 1 to 5");
    }
    return *AProfileNumber - 1;
}

std::vector<std::uint8_t> StoredProfile(TDM& ADM, int AIndex) {
    auto Profile = std::make_unique<TMouseProfileInfo>();
    ADM.ReadProfileInfo(*Profile, AIndex);
    std::vector<std::uint8_t> Bytes(sizeof(TMouseProfileInfo));
    std::memcpy(Bytes.data(), Profile.get(), Bytes.size());
    return Bytes;
}

} // namespace

std::unique_ptr<TMachine> OpenSimulatedMachine(const std::filesystem::path& AFolder) {
    return std::make_unique<TSimulatedMachine>(AFolder);
}

std::string ExportProfile(const TProfileServices& AServices, std::optional<int> AProfileNumber) {
    const std::unique_ptr<TDM> DM = LoadProfiles(AServices);
    std::ostringstream Json;
    PrintRecordAsJson(StoredProfile(*DM, ProfileIndex(*DM, AProfileNumber)), Json);
    return Json.str();
}

TImportResult ImportProfile(const TProfileServices& AServices, const TImportRequest& ARequest) {
    // The text is checked before anything is loaded: loading a machine whose monitor never ran
    // stores its factory records, and a refused text must leave the machine as it was.
    if (BuildRecordFromJson(ARequest.FJson, {}).size() != sizeof(TMouseProfileInfo)) {
        throw ERecordRefused("the text: not a game profile (it has no ProfileHeader)");
    }
    if (!ARequest.FForce && AServices.FWindows.FindTopWindow(CONFIG_APP_WINDOW_CLASS) != 0) {
        throw ETransferError("the configuration application is running: it keeps its own copy of "
                             "the profiles and would write it back over the import; close it "
                             "first, or import with --force");
    }
    const std::unique_ptr<TDM> DM = LoadProfiles(AServices);
    const int Index = ProfileIndex(*DM, ARequest.FProfileNumber);
    const std::vector<std::uint8_t> Bytes =
        BuildRecordFromJson(ARequest.FJson, StoredProfile(*DM, Index));
    auto Profile = std::make_unique<TMouseProfileInfo>();
    std::memcpy(Profile.get(), Bytes.data(), Bytes.size());
    DM->SaveBackToProfileInfo(*Profile, Index);

    TImportResult Result;
    Result.FProfileNumber = Index + 1;
    const TPROFILESETTINGINFO& Entry = DM->ProfileSettingGroup().ProfileSettingList[Index];
    try {
        if (!DM->StoreProfileInfo(Index)) {
            throw ETransferError("game profile " + std::to_string(Index + 1) + " (\"" +
                                 EscapeForPrinting(ReadRecordText(Entry.szFileName)) +
                                 "\") has no place the monitor stores profiles in; nothing was "
                                 "written");
        }
    } catch (const EProfileError& Error) {
        throw ETransferError(Error.what());
    }
    if (Entry.nStorageType == STORAGE_FILE) {
        std::u16string Folder = ReadRecordText(Entry.szFilePath);
        if (!Folder.empty() && Folder.back() != u'\\') {
            Folder += u'\\';
        }
        Result.FFile = Folder + ReadRecordText(Entry.szFileName);
    }
    // As the configuration application does after its own save: the monitor reloads the group,
    // the shared settings and the current profile from the registry.
    Result.FProfileGroup = DM->ProfileGroupIndex();
    const platform::TWindowHandle Monitor = AServices.FWindows.FindTopWindow(MONITOR_WINDOW_CLASS);
    // Posted, not sent: a monitor that hangs must not hang the command line with it.
    Result.FMonitorTold = Monitor != 0 && AServices.FWindows.Post(
                                              Monitor, WM_CFG_PROFILE_CHANGED, 0,
                                              static_cast<platform::TLParam>(Result.FProfileGroup));
    return Result;
}

} // namespace vanto::ctl
