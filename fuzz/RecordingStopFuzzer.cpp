// An on-the-fly recording from start to stop on the simulated machine, over stored records of
// any size and content: the user's clicks, wheel turns and pauses as the hook reports them,
// then the stop sequence that stores the macro into the current profile, the last-recording
// value and the mouse.

#include "FuzzMachine.h"
#include "FuzzSupport.h"
#include "StoredRecords.h"
#include "app/VantoMonExMain.h"
#include "macro/MacroSteps.h"
#include "platform/sim/SimPlatform.h"
#include "shared/ConfigAppInterface.h"

#include <cstddef>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

namespace vanto::fuzz {
namespace {

// A recording changes the current profile and the last recording, never these.
constexpr const char16_t* UNTOUCHED_VALUE_NAMES[] = {u"VantoProfileSettingGroup.pfd",
                                                     u"VantoProfile.pfd"};

// What the user does while the recording runs.
void PlayTheUser(TFuzzInput& AInput, TMachine& AMachine) {
    constexpr std::uint32_t MESSAGES[] = {
        platform::WM_MOUSEMOVE_MSG,   platform::WM_LBUTTONDOWN_MSG, platform::WM_LBUTTONUP_MSG,
        platform::WM_RBUTTONDOWN_MSG, platform::WM_RBUTTONUP_MSG,   platform::WM_MBUTTONDOWN_MSG,
        platform::WM_MBUTTONUP_MSG,   platform::WM_MOUSEWHEEL_MSG,  platform::WM_XBUTTONDOWN_MSG,
        platform::WM_XBUTTONUP_MSG,   platform::WM_MOUSEHWHEEL_MSG};
    for (int Event = 0; Event < 400 && !AInput.Empty(); ++Event) {
        switch (AInput.Below(5)) {
        case 0:
            AMachine.Clock.AdvanceBy(AInput.U16());
            break;
        case 1:
            // Timers run too: the overlay's guard timer lives while the recording does.
            AMachine.Windows.AdvanceTime(AInput.U16());
            break;
        case 2:
            AMachine.Hooks.KeyEvent(AInput.U8(), AInput.U8(), AInput.Flag(), AInput.Flag());
            break;
        case 3: {
            const std::uint32_t Message = AInput.Flag() ? AInput.U32() : 0x0200 + AInput.Below(16);
            AMachine.Hooks.MouseEvent(Message, static_cast<std::int16_t>(AInput.U16()),
                                      static_cast<std::int16_t>(AInput.U16()),
                                      static_cast<std::int16_t>(AInput.U16()), AInput.Flag());
            break;
        }
        default: {
            const std::uint32_t Message = MESSAGES[AInput.Below(std::size(MESSAGES))];
            const std::int16_t Data = AInput.Flag() ? 120 : -120;
            AMachine.Hooks.MouseEvent(Message, 400, 300,
                                      Message == platform::WM_XBUTTONDOWN_MSG ||
                                              Message == platform::WM_XBUTTONUP_MSG
                                          ? static_cast<std::int16_t>(1 + AInput.Below(3))
                                          : Data);
            AMachine.Clock.AdvanceBy(AInput.Below(300));
            break;
        }
        }
    }
}

// Every step the recording made is one the mouse can play.
void CheckRecordedSteps(const TMACROKEYINFO& AMacro) {
    VANTO_FUZZ_CHECK(AMacro.MacroListCount >= 0 && AMacro.MacroListCount <= 127,
                     "a recording beyond its step limit");
    for (const TMACROKEY& Step : UsedSteps(AMacro)) {
        const bool Button = Step.nKeyType == STEP_MOUSE_BUTTON && Step.Value2 >= 1 &&
                            Step.Value2 <= 5 && Step.nKeyState <= STEP_PRESS &&
                            Step.Value1 == MouseButtonBit(Step.Value2);
        const bool Wheel = Step.nKeyType == STEP_WHEEL &&
                           (Step.Value2 == WHEEL_INDEX_UP || Step.Value2 == WHEEL_INDEX_DOWN);
        const bool Delay = Step.nKeyType == STEP_DELAY && StepCode(Step) > 0;
        VANTO_FUZZ_CHECK(Button || Wheel || Delay, "a recorded step the mouse cannot play");
    }
}

template <typename TRecord>
bool SameBytes(const TRecord& ARecord, const platform::TRegValue& AValue) {
    return AValue.FData.size() == sizeof(TRecord) &&
           std::memcmp(AValue.FData.data(), &ARecord, sizeof(TRecord)) == 0;
}

} // namespace
} // namespace vanto::fuzz

using namespace vanto;
using namespace vanto::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* AData, std::size_t ASize) {
    static TFuzzRoot Root("recording_stop");
    Root.Reset();
    TFuzzInput Input(AData, ASize);
    TMachine Machine(Root);
    StoreRecords(Input, Machine.Registry, Machine.Files);
    constexpr platform::THookLoadResult LOADS[] = {platform::THookLoadResult::Loaded,
                                                   platform::THookLoadResult::NotFound,
                                                   platform::THookLoadResult::Incomplete};
    Machine.Hooks.SetAvailability(LOADS[Input.Below(4) % 3]);
    sim::TSimMouse Mouse;
    const bool Plugged = Input.Below(8) != 0;
    if (Plugged) {
        Mouse.PlugInto(Machine.Hid);
    }
    std::vector<platform::TWParam> Recorded;
    if (Input.Flag()) {
        Machine.Windows.CreateHiddenWindow(CONFIG_APP_WINDOW_CLASS, u"",
                                           [&](auto AMsg, auto AW, auto) {
                                               if (AMsg == WM_MACRO_RECORDED) {
                                                   Recorded.push_back(AW);
                                               }
                                               return platform::TMessageResult{0};
                                           });
    }

    TDM DM(Machine.Registry, Machine.Files, Machine.Shell, Machine.Ini, Machine.Locale,
           Machine.Clock);
    DM.DataModuleCreate();
    {
        TVantoMonExMain Main(Machine.Platform, DM);
        Main.FormCreate();
        Main.ToggleMacroRecording(Input.U8());
        VANTO_FUZZ_CHECK(Main.FFlags.MacroRecording, "the recording did not start");
        PlayTheUser(Input, Machine);
        std::vector<std::optional<platform::TRegValue>> Untouched;
        for (const char16_t* Name : UNTOUCHED_VALUE_NAMES) {
            Untouched.push_back(Machine.Registry.ReadValue(VANTO_REGISTRY_KEY, Name));
        }
        const std::size_t WritesBefore = Machine.Registry.WriteCount();
        const std::size_t ReportsBefore = Mouse.AcceptedReports().size();
        Main.ToggleMacroRecording(Input.U8());
        // The upload's later steps and the announcement run from the message loop.
        Machine.Windows.ProcessPendingMessages();

        VANTO_FUZZ_CHECK(!Main.FFlags.MacroRecording && Main.RecordOverlay() == nullptr,
                         "the recording did not stop");
        VANTO_FUZZ_CHECK(!Machine.Hooks.MouseHookEnabled(), "the hook outlived the recording");
        const TMACROKEYINFO& Macro = Main.FMacroInfo;
        CheckRecordedSteps(Macro);
        if (Macro.MacroListCount == 0) {
            VANTO_FUZZ_CHECK(Machine.Registry.WriteCount() == WritesBefore &&
                                 Mouse.AcceptedReports().size() == ReportsBefore &&
                                 Recorded.empty(),
                             "an empty recording was stored");
        } else {
            const auto Last =
                Machine.Registry.ReadValue(VANTO_REGISTRY_KEY, RECORD_MACRO_VALUE_NAME);
            VANTO_FUZZ_CHECK(Last && SameBytes(Macro, *Last),
                             "the last recording was not stored as recorded");
            VANTO_FUZZ_CHECK(std::memcmp(&DM.CurrentProfileInfo().MacroKeyInfoList.MacroInfos[0],
                                         &Macro, sizeof(Macro)) == 0,
                             "the current profile's macro 0 is not the recording");
            if (Plugged) {
                VANTO_FUZZ_CHECK(Mouse.CompletedUploads() == 1, "the mouse got no upload");
            }
            VANTO_FUZZ_CHECK(Recorded.size() <= 1, "the configuration app was told twice");
            if (!Recorded.empty()) {
                VANTO_FUZZ_CHECK(Recorded[0] == static_cast<platform::TWParam>(DM.ProfileIndex()),
                                 "the configuration app was told another profile");
                // Told means stored: the application reloads the profile and finds the macro.
                const auto Stored = Machine.Registry.ReadValue(
                    VANTO_REGISTRY_KEY, DM.ProfileGroup(DM.ProfileIndex()).FileName());
                constexpr std::size_t MACRO_0 =
                    offsetof(TMouseProfileInfo, MacroKeyInfoList.MacroInfos);
                VANTO_FUZZ_CHECK(
                    Stored && Stored->FData.size() == sizeof(TMouseProfileInfo) &&
                        std::memcmp(Stored->FData.data() + MACRO_0, &Macro, sizeof(Macro)) == 0,
                    "the configuration app was told of a macro that was not stored");
            }
        }
        for (std::size_t I = 0; I < std::size(UNTOUCHED_VALUE_NAMES); ++I) {
            const auto Now =
                Machine.Registry.ReadValue(VANTO_REGISTRY_KEY, UNTOUCHED_VALUE_NAMES[I]);
            VANTO_FUZZ_CHECK(Now.has_value() == Untouched[I].has_value() &&
                                 (!Now || (Now->FType == Untouched[I]->FType &&
                                           Now->FData == Untouched[I]->FData)),
                             "storing a recording overwrote the shared settings");
        }
        CheckUploadLanded(Mouse, DM.ProfileIndex());
    }
    return 0;
}
