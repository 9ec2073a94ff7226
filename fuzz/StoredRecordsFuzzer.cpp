// The stored records at any size and content, from the registry and from profile files in any
// place, through everything that reads them: the profile manager's start-up, button dispatch,
// macro playback, the upload to the mouse, the macro manager and editor, and the saves back. The
// profile manager never reads a record far larger than its size whole, start-up leaves such a
// record as it is, and the manager never looks at or changes the disk outside the places a
// profile file may be kept.

#include "FuzzSupport.h"
#include "MacroScript.h"
#include "StoredRecords.h"
#include "StoredRecordsPlaces.h"
#include "app/ButtonDispatch.h"
#include "device/ProfileUpload.h"
#include "macro/MacroPlayback.h"
#include "platform/sim/SimClock.h"
#include "platform/sim/SimDebugOutput.h"
#include "platform/sim/SimIniFile.h"
#include "platform/sim/SimInputSynthesis.h"
#include "platform/sim/SimLocale.h"
#include "platform/sim/SimMouse.h"
#include "platform/sim/SimPlatform.h"
#include "platform/sim/SimRegistry.h"
#include "platform/sim/SimShell.h"
#include "platform/sim/SimWindowSystem.h"
#include "profile/DM.h"
#include "shared/ButtonReports.h"
#include "shared/ConfigAppInterface.h"

#include <cstring>
#include <memory>

namespace vanto::fuzz {
namespace {

struct TMachine {
    explicit TMachine(TFuzzRoot& ARoot) : Files(ARoot.Files()), Ini(Files) {}

    // The profile manager sees the registry and the disk through the watchers.
    std::unique_ptr<TDM> StartProfiles() {
        auto DM = std::make_unique<TDM>(Stored, Watched, Shell, Ini, Locale, Clock);
        DM->DataModuleCreate();
        return DM;
    }

    sim::TSimClock Clock;
    sim::TSimRegistry Registry;
    sim::TSimFileSystem& Files;
    sim::TSimIniFile Ini;
    sim::TSimShell Shell{sim::TSimPlatform::DOCUMENTS, sim::TSimPlatform::PROGRAM_FOLDER};
    sim::TSimLocale Locale;
    TStoredRegistry Stored{Registry};
    TWatchedFiles Watched{Files, Shell};
};

template <typename TRecord> bool Same(const TRecord& A, const TRecord& B) {
    return std::memcmp(&A, &B, sizeof(TRecord)) == 0;
}

void CheckStartUp(const TDM& ADM) {
    VANTO_FUZZ_CHECK(TDM::IsProfileIndexInRange(ADM.ProfileIndex()),
                     "start-up chose a profile that does not exist");
    VANTO_FUZZ_CHECK(TDM::IsProfileGroupIndexInRange(ADM.ProfileGroupIndex()),
                     "start-up chose a group that does not exist");
}

// A second start-up over what the first left behind sees the same profiles: the first stores
// nothing it would read back differently.
void CheckStartsAgainTheSame(TMachine& AMachine, const TDM& AFirst) {
    std::unique_ptr<TDM> Again = AMachine.StartProfiles();
    VANTO_FUZZ_CHECK(Again->ProfileIndex() == AFirst.ProfileIndex() &&
                         Again->ProfileGroupIndex() == AFirst.ProfileGroupIndex(),
                     "a second start-up chose another profile");
    VANTO_FUZZ_CHECK(Same(Again->CurrentProfileInfo(), AFirst.CurrentProfileInfo()),
                     "a second start-up read another current profile");
    VANTO_FUZZ_CHECK(Same(Again->AllProfileSettingInfo(), AFirst.AllProfileSettingInfo()),
                     "a second start-up read other settings");
    VANTO_FUZZ_CHECK(Same(Again->ProfileSettingGroup(), AFirst.ProfileSettingGroup()),
                     "a second start-up read another setting group");
}

// Every button and both profile selections as the mouse reports them, handled by the monitor's
// dispatcher with the real playback behind the play button.
void PressEveryButton(TMachine& AMachine, TDM& ADM) {
    sim::TSimWindowSystem Windows(AMachine.Clock);
    sim::TSimDebugOutput Debug;
    sim::TSimInputSynthesis Input(AMachine.Clock);
    TMonitorFlags Flags;
    TButtonDispatcher Dispatcher(Windows, AMachine.Registry, Debug, Flags);
    TMacroPlayer Player(Input, Debug, Flags, ADM.CurrentProfileInfo());
    int Plays = 0;
    const platform::TWindowHandle Main =
        Windows.CreateHiddenWindow(u"TVantoMonExMain", u"", [&](auto AMsg, auto AW, auto AL) {
            if (AMsg == WM_BUTTON_EVENT &&
                Dispatcher.WMButtonEvent(AW, AL, ADM.CurrentProfileInfo()).FKind ==
                    EButtonAction::PlayCurrentMacro) {
                ++Plays;
                // Each press plays to its end, so the next play button is not ignored.
                Player.PlayCurrentMacro();
                Player.WaitForEnd();
            }
            return platform::TMessageResult{0};
        });
    Dispatcher.SetMainWindow(Main);
    int Switches = 0;
    Windows.CreateHiddenWindow(CONFIG_APP_WINDOW_CLASS, u"", [&](auto AMsg, auto, auto) {
        Switches += AMsg == WM_PROFILE_SWITCH ? 1 : 0;
        return platform::TMessageResult{0};
    });

    int PlayButtons = 0;
    for (const TButtonReportCode& Code : ButtonReportCodes) {
        std::uint8_t Payload[DECODED_PAYLOAD_SIZE] = {Code[1], Code[2], Code[3]};
        Dispatcher.uiHIDData1Data(u"", u"", Code[0], Payload, DECODED_PAYLOAD_SIZE);
        Windows.ProcessPendingMessages();
    }
    for (std::size_t K = 0; K < BUTTON_COUNT; ++K) {
        PlayButtons += ADM.CurrentProfileInfo().ConfigInfo.ButtonFuncInfo[K].nFunctionType ==
                               FUNCTION_TYPE_PLAY_MACRO
                           ? 1
                           : 0;
    }
    VANTO_FUZZ_CHECK(Plays == PlayButtons, "a play button did not play, or played twice");
    // Keys 21 and 22 select the profiles, as report 8 does.
    VANTO_FUZZ_CHECK(Switches == 2, "a profile selection did not reach the configuration app");
    VANTO_FUZZ_CHECK(!Flags.MacroPlaying && Input.OpenPlaybacks() == 0, "a playback was left open");
    VANTO_FUZZ_CHECK(NothingLeftPressed(Input.Events()), "a playback left a key or button down");
}

void Upload(const TDM& ADM, sim::TSimClock& AClock) {
    sim::TSimWindowSystem Windows(AClock);
    sim::TSimMouse Mouse;
    TMouseFeatureSink Sink(Mouse);
    TProfileUploader Uploader(Sink, Windows);
    Uploader.UploadProfileToDevice(ADM.CurrentProfileInfo(), ADM.ProfileIndex());
    while (Uploader.IsUploading()) {
        Windows.ProcessPendingMessages();
    }
    VANTO_FUZZ_CHECK(Mouse.CompletedUploads() == 1, "the upload did not complete");
    CheckUploadLanded(Mouse, ADM.ProfileIndex());
}

void SaveBack(TDM& ADM) {
    try {
        ADM.SaveCurrentProfileInfoToRegistry();
        ADM.SaveCurrentProfileInfoToFile();
        ADM.SaveBackAllProfileSettingInfo();
        ADM.SaveProfileGroupSettingInfoToRegistry();
        ADM.SaveBackAllProfileInfoToFile();
    } catch (const EProfileError&) {
        // A refused save is reported to the caller; the simulated disk refuses odd names.
    }
}

} // namespace
} // namespace vanto::fuzz

using namespace vanto;
using namespace vanto::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* AData, std::size_t ASize) {
    static TFuzzRoot Root("stored_records");
    Root.Reset();
    TFuzzInput Input(AData, ASize);
    TMachine Machine(Root);
    StoreRecords(Input, Machine.Registry, Machine.Files);
    const TOversized Oversized = StoreOddPlacesAndSizes(Input, Machine.Registry, Machine.Stored,
                                                        Machine.Files, Machine.Shell);

    std::unique_ptr<TDM> DM = Machine.StartProfiles();
    CheckStartUp(*DM);
    CheckOversizedKept(Oversized, Machine.Registry, Machine.Stored, Machine.Files);
    CheckStartsAgainTheSame(Machine, *DM);
    PressEveryButton(Machine, *DM);
    Upload(*DM, Machine.Clock);
    for (const TMACROKEYINFO& Macro : DM->CurrentProfileInfo().MacroKeyInfoList.MacroInfos) {
        CheckMacroEncodes(Macro);
    }
    RunMacroScript(Input, DM->CurrentProfileInfo().MacroKeyInfoList);
    SaveBack(*DM);
    CheckStartUp(*Machine.StartProfiles());
    return 0;
}
