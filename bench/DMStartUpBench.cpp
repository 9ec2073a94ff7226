#include "platform/sim/SimClock.h"
#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimIniFile.h"
#include "platform/sim/SimLocale.h"
#include "platform/sim/SimRegistry.h"
#include "platform/sim/SimShell.h"
#include "profile/DM.h"
#include "shared/ConfigAppInterface.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>

namespace vanto {
namespace {

namespace fs = std::filesystem;

constexpr char16_t DOCUMENTS[] = u"C:\\Users\\Ann\\Documents";
constexpr char16_t PROFILE_FOLDER[] = u"C:\\Users\\Ann\\Documents\\Vanto Gaming Mouse";

// A machine on which the monitor has run before: the setting group names five game profiles
// kept as files or as registry values, and all five are stored.
class TUsedMachine {
public:
    explicit TUsedMachine(std::uint8_t AStorageType)
        : FRoot(fs::temp_directory_path() /
                ("vanto-bench-" + std::to_string(std::random_device{}()))),
          FFiles(FRoot), FShell(DOCUMENTS, u"C:\\Program Files\\Vanto"), FIni(FFiles) {
        for (const char16_t* Folder : {u"C:", u"C:\\Users", u"C:\\Users\\Ann", DOCUMENTS}) {
            FFiles.MakeFolder(Folder);
        }
        auto Group = std::make_unique<TProfileSettingGroup>();
        Group->ProfileIndexOfProfileGroup[1] = 1;
        for (int P = 0; P < 5; ++P) {
            TPROFILESETTINGINFO& Entry = Group->ProfileSettingList[P];
            Entry.nStorageType = AStorageType;
            WriteRecordText(Entry.szFilePath, PROFILE_FOLDER);
            WriteRecordText(Entry.szFileName,
                            u"VantoProfile" + std::u16string(1, char16_t(u'1' + P)) + u".pfd");
        }
        FRegistry.CreateKey(VANTO_REGISTRY_KEY);
        FRegistry.WriteBinaryValue(VANTO_REGISTRY_KEY, SETTING_GROUP_VALUE_NAME, Group.get(),
                                   sizeof(*Group));
        auto First = NewDM();
        First->DataModuleCreate(); // writes the five files
        First->SaveBackAllProfileInfoToRegistry();
    }
    ~TUsedMachine() {
        std::error_code Error;
        fs::remove_all(FRoot, Error);
    }

    std::unique_ptr<TDM> NewDM() {
        return std::make_unique<TDM>(FRegistry, FFiles, FShell, FIni, FLocale, FClock);
    }

private:
    fs::path FRoot;
    sim::TSimRegistry FRegistry;
    sim::TSimFileSystem FFiles;
    sim::TSimShell FShell;
    sim::TSimIniFile FIni;
    sim::TSimLocale FLocale;
    sim::TSimClock FClock;
};

void StartUp(benchmark::State& AState, std::uint8_t AStorageType) {
    TUsedMachine Machine(AStorageType);
    for (auto _ : AState) {
        AState.PauseTiming();
        std::unique_ptr<TDM> DM = Machine.NewDM();
        AState.ResumeTiming();
        DM->DataModuleCreate();
        benchmark::DoNotOptimize(DM->CurrentProfileInfo());
        AState.PauseTiming();
        DM.reset();
        AState.ResumeTiming();
    }
}
void BM_DataModuleCreateWithFiveProfileFiles(benchmark::State& AState) {
    StartUp(AState, STORAGE_FILE);
}
BENCHMARK(BM_DataModuleCreateWithFiveProfileFiles)->Unit(benchmark::kMicrosecond);

void BM_DataModuleCreateWithFiveRegistryProfiles(benchmark::State& AState) {
    StartUp(AState, STORAGE_REGISTRY);
}
BENCHMARK(BM_DataModuleCreateWithFiveRegistryProfiles)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace vanto
