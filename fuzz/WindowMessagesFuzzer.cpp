// Window messages from anyone: any program on the desktop can post or send the monitor's window
// any message with any parameters. A run of them, mixed with presses on the mouse and time
// passing, must leave the monitor running, run no handler inside another, and store nothing
// that a parameter out of range asked for.

#include "FuzzMachine.h"
#include "FuzzSupport.h"
#include "StoredRecords.h"
#include "app/VantoMonExMain.h"
#include "shared/ConfigAppInterface.h"

#include <cstdint>
#include <cstring>
#include <optional>

namespace vanto::fuzz {
namespace {

// The messages the monitor's window handles, and the neighbours of each.
constexpr platform::TMessageId MESSAGES[] = {
    WM_BUTTON_EVENT,
    WM_CFG_PROFILE_CHANGED,
    WM_CFG_SETTINGS_CHANGED,
    WM_TRAY_ICON,
    platform::WM_COMMAND_MESSAGE,
    platform::WM_TIMER_MESSAGE,
    platform::WM_POWERBROADCAST_MESSAGE,
    platform::WM_QUERYENDSESSION_MESSAGE,
    platform::WM_ENDSESSION_MESSAGE,
    WM_MACRO_RECORDED,
    WM_PROFILE_SWITCH,
    WM_MONITOR_EXIT,
};

// Parameters near the values the handlers look for, or anything.
platform::TWParam WParam(TFuzzInput& AInput) {
    switch (AInput.Below(4)) {
    case 0:
        return AInput.Below(32); // keys, timer ids
    case 1:
        return EXIT_COMMAND - 3 + AInput.Below(8); // menu commands
    case 2:
        return AInput.Flag() ? platform::PBT_APMRESUMEAUTOMATIC_EVENT : AInput.U8();
    default:
        return static_cast<platform::TWParam>(AInput.U32()) << (AInput.Flag() ? 32 : 0);
    }
}

platform::TLParam LParam(TFuzzInput& AInput) {
    switch (AInput.Below(3)) {
    case 0:
        return static_cast<platform::TLParam>(AInput.Below(8)) - 3; // around the two profiles
    case 1:
        return AInput.Flag() ? platform::TRAY_LEFT_BUTTON_UP : platform::TRAY_RIGHT_BUTTON_UP;
    default:
        return static_cast<platform::TLParam>(static_cast<std::int32_t>(AInput.U32()));
    }
}

platform::TMessageId Message(TFuzzInput& AInput) {
    if (AInput.Below(8) == 0) {
        return 0x0400 + AInput.Below(0x2000); // the whole application range
    }
    return MESSAGES[AInput.Below(std::size(MESSAGES))];
}

// "ProfileID" names one of the mouse's two onboard profiles, whoever asked for it.
void CheckProfileID(sim::TSimRegistry& ARegistry) {
    const auto Value = ARegistry.ReadValue(VANTO_REGISTRY_KEY, PROFILE_ID_VALUE_NAME);
    if (!Value || Value->FData.size() != sizeof(std::uint32_t)) {
        return;
    }
    std::uint32_t Stored = 0;
    std::memcpy(&Stored, Value->FData.data(), sizeof(Stored));
    VANTO_FUZZ_CHECK(Stored <= 1, "a profile out of range was stored as ProfileID");
}

} // namespace
} // namespace vanto::fuzz

using namespace vanto;
using namespace vanto::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* AData, std::size_t ASize) {
    static TFuzzRoot Root("window_messages");
    Root.Reset();
    TFuzzInput Input(AData, ASize);
    TMachine Machine(Root);
    if (Input.Flag()) {
        StoreRecords(Input, Machine.Registry, Machine.Files);
    }
    sim::TSimMouse Mouse;
    Mouse.PlugInto(Machine.Hid);
    std::optional<platform::TWindowHandle> ConfigApp;
    TDM DM(Machine.Registry, Machine.Files, Machine.Shell, Machine.Ini, Machine.Locale,
           Machine.Clock);
    DM.DataModuleCreate();
    {
        TVantoMonExMain Main(Machine.Platform, DM);
        Main.FormCreate();
        if (Input.Flag()) {
            // A configuration application that answers what it is sent with what it can send.
            ConfigApp = Machine.Windows.CreateHiddenWindow(
                CONFIG_APP_WINDOW_CLASS, u"",
                [&](platform::TMessageId, platform::TWParam AW, platform::TLParam) {
                    Machine.Windows.Send(Main.Handle(), WM_CFG_PROFILE_CHANGED, 0,
                                         static_cast<platform::TLParam>(AW));
                    return platform::TMessageResult{0};
                });
        }
        Machine.Windows.AdvanceTime(3000);
        bool Running = true;
        for (int Step = 0; Step < 200 && Running && !Input.Empty(); ++Step) {
            switch (Input.Below(6)) {
            case 0:
                Machine.Windows.Send(Main.Handle(), Message(Input), WParam(Input), LParam(Input));
                break;
            case 1:
                Machine.Windows.AdvanceTime(Input.Below(4000));
                break;
            case 2:
                Mouse.PressButton(Input.Below(24));
                break;
            default:
                Machine.Windows.Post(Main.Handle(), Message(Input), WParam(Input), LParam(Input));
                break;
            }
            Running = Machine.Windows.ProcessPendingMessages();
            CheckProfileID(Machine.Registry);
        }
        // Whatever came before, the monitor still answers its window, and never nested.
        VANTO_FUZZ_CHECK(Machine.Windows.IsWindow(Main.Handle()), "the monitor's window is gone");
        VANTO_FUZZ_CHECK(Machine.Windows.MaxLoopDepth() <= 1, "a handler ran inside another");
        VANTO_FUZZ_CHECK(!Main.FUploader.IsUploading() || !Running,
                         "an upload never sent its final mode command");
    }
    DM.DataModuleDestroy();
    return 0;
}
