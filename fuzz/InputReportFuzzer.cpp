// Input reports as the mouse (or anything that claims its collection) sends them: straight into
// the decoder and the dispatcher, and through the HID component's reader threads and their
// hand-over to the main thread, at every report length a collection can declare.

#include "FuzzSupport.h"
#include "app/ButtonDispatch.h"
#include "device/uiHIDData.h"
#include "platform/sim/SimClock.h"
#include "platform/sim/SimDebugOutput.h"
#include "platform/sim/SimHid.h"
#include "platform/sim/SimIniFile.h"
#include "platform/sim/SimPlatform.h"
#include "platform/sim/SimRegistry.h"
#include "platform/sim/SimShell.h"
#include "platform/sim/SimWindowSystem.h"
#include "shared/ButtonReports.h"
#include "shared/ConfigAppInterface.h"
#include "shared/UsageAndPage.h"

#include <array>
#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <thread>

namespace vanto::fuzz {
namespace {

// Input report lengths (ID included) of the vendor collections: the mouse's own, and the
// lengths around the decoder's copy buffer that another device could declare.
constexpr std::array<std::uint16_t, 9> REPORT_LENGTHS{1, 2, 8, 9, 64, 65, 66, 300, 4097};

// What the decoder must make of a report: a press of the one key whose bit alone is set, a
// profile selection, or nothing.
std::optional<TButtonEvent> Expected(std::span<const std::uint8_t> AReport) {
    if (AReport.size() != 1 + DECODED_PAYLOAD_SIZE) {
        return std::nullopt;
    }
    if (AReport[0] == BUTTON_REPORT_ID) {
        // The button codes are the ID and the 24-bit mask; the payload's last four bytes are
        // not part of them.
        const std::uint32_t Mask = AReport[1] | (AReport[2] << 8) | (AReport[3] << 16);
        if (Mask == 0 || (Mask & (Mask - 1)) != 0) {
            return std::nullopt;
        }
        platform::TWParam Key = 0;
        while ((Mask >> Key) != 1) {
            ++Key;
        }
        return TButtonEvent{Key, 1};
    }
    if (AReport[0] == PROFILE_REPORT_ID && AReport[1] == 1 && AReport[2] <= 1) {
        return TButtonEvent{AReport[2] == 0 ? PROFILE_0_SELECTED : PROFILE_1_SELECTED, 0};
    }
    return std::nullopt;
}

// The monitor's main thread in small: its window takes WM_BUTTON_EVENT, the dispatcher acts on
// the current profile, and a stand-in configuration application hears of profile switches.
struct TMonitor {
    TMonitor() {
        Registry.CreateKey(VANTO_REGISTRY_KEY);
        Main = Windows.CreateHiddenWindow(
            MONITOR_WINDOW_CLASS, u"", [this](auto AMsg, auto AW, auto AL) {
                if (AMsg == WM_BUTTON_EVENT) {
                    Count(AW, Dispatcher.WMButtonEvent(AW, AL, *Profile));
                }
                return platform::TMessageResult{0};
            });
        Dispatcher.SetMainWindow(Main);
        ConfigApp = Windows.CreateHiddenWindow(CONFIG_APP_WINDOW_CLASS, u"",
                                               [this](auto AMsg, auto AW, auto) {
                                                   if (AMsg == WM_PROFILE_SWITCH) {
                                                       ++Switches[AW];
                                                   }
                                                   return platform::TMessageResult{0};
                                               });
    }

    // Counts what the dispatcher asked for, by the function type that asks for it.
    void Count(platform::TWParam AWParam, const TButtonAction& AAction) {
        switch (AAction.FKind) {
        case EButtonAction::MicrophoneMute:
            ++Actions[FUNCTION_TYPE_MICROPHONE_MUTE];
            break;
        case EButtonAction::PlayCurrentMacro:
            ++Actions[FUNCTION_TYPE_PLAY_MACRO];
            break;
        case EButtonAction::ToggleMacroRecording:
            ++Actions[FUNCTION_TYPE_RECORD_MACRO];
            break;
        case EButtonAction::None:
            return;
        }
        VANTO_FUZZ_CHECK(AAction.FKeyIndex == AWParam, "an action names another button");
    }

    // Counts what the dispatcher should have done for these events.
    void Expect(const TButtonEvent& AEvent, std::map<std::uint16_t, int>& AActions,
                std::map<platform::TWParam, int>& ASwitches) const {
        if (AEvent.FWParam == PROFILE_0_SELECTED || AEvent.FWParam == PROFILE_1_SELECTED) {
            ++ASwitches[AEvent.FWParam == PROFILE_0_SELECTED ? 0 : 1];
        } else if (AEvent.FWParam < BUTTON_COUNT) {
            const std::uint16_t Type =
                Profile->ConfigInfo.ButtonFuncInfo[AEvent.FWParam].nFunctionType;
            if (Type == FUNCTION_TYPE_MICROPHONE_MUTE || Type == FUNCTION_TYPE_PLAY_MACRO ||
                Type == FUNCTION_TYPE_RECORD_MACRO) {
                ++AActions[Type];
            }
        }
    }

    sim::TSimClock Clock;
    sim::TSimWindowSystem Windows{Clock};
    sim::TSimRegistry Registry;
    sim::TSimDebugOutput Debug;
    std::unique_ptr<TMouseProfileInfo> Profile = std::make_unique<TMouseProfileInfo>();
    TMonitorFlags Flags;
    TButtonDispatcher Dispatcher{Windows, Registry, Debug, Flags};
    platform::TWindowHandle Main = 0;
    platform::TWindowHandle ConfigApp = 0;
    std::map<std::uint16_t, int> Actions;
    std::map<platform::TWParam, int> Switches;
};

std::u16string CollectionPath(std::size_t AIndex) {
    return u"\\\\?\\hid#vid_1234&pid_5678&mi_01&col0" + std::u16string(1, u'a' + AIndex) +
           u"#fuzz#{4d1e55b2-f16f-11cf-88cb-001111000030}";
}

// The HID component reading one vendor collection of every length; it lives as long as the
// process, like the monitor's, with its readers waiting on the simulated hub.
struct THidSide {
    explicit THidSide(TMonitor& AMonitor)
        : Files(Root.Files()), Ini(Files),
          Shell(sim::TSimPlatform::DOCUMENTS, sim::TSimPlatform::PROGRAM_FOLDER),
          Hid(AMonitor.Windows), HIDData(Hid, AMonitor.Windows, Ini, Shell, AMonitor.Debug) {
        std::vector<sim::TSimHidCollection> Collections;
        for (std::size_t I = 0; I < REPORT_LENGTHS.size(); ++I) {
            sim::TSimHidCollection Collection;
            Collection.FPath = CollectionPath(I);
            Collection.FCaps = {VANTO_MOUSE_COLLECTION.Usage, VANTO_MOUSE_COLLECTION.UsagePage,
                                REPORT_LENGTHS[I], 0, 4096};
            // Some declare buttons, so the parsed-data path runs beside the raw one.
            Collection.FButtonUsages = I % 2 == 0 ? static_cast<std::uint32_t>(I * 5) : 0;
            Collections.push_back(Collection);
        }
        Hid.Plug({u"HID\\VID_1234&PID_5678&MI_01"}, Collections);
        HIDData.OnData = [this, &AMonitor](const std::u16string& AId, const std::u16string& APath,
                                           std::uint8_t AReportID, const std::uint8_t* AData,
                                           std::uint16_t ASize) {
            ++Delivered;
            AMonitor.Dispatcher.uiHIDData1Data(AId, APath, AReportID, AData, ASize);
        };
        HIDData.OnParsedData = [this](const std::u16string&, const std::u16string&, std::uint8_t,
                                      std::uint32_t) { ++Parsed; };
        HIDData.HidFindAndReadDevice(VANTO_MOUSE_COLLECTION.AsInteger(), u"*");
        for (std::size_t I = 0; I < REPORT_LENGTHS.size(); ++I) {
            VANTO_FUZZ_CHECK(Hid.OpenReadHandles(CollectionPath(I)) == 1,
                             "a vendor collection was not opened for reading");
        }
        Hid.WaitForReadsWaiting(REPORT_LENGTHS.size());
    }

    // Until every report was read and handed over, in real time since the readers are threads;
    // a hand-over that never completes is a hang and fails the input.
    void Settle(TMonitor& AMonitor) {
        const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        std::size_t Quiet = 0;
        while (Quiet < 3) {
            VANTO_FUZZ_CHECK(std::chrono::steady_clock::now() < Deadline,
                             "reports were not handed over");
            const bool Busy = AMonitor.Windows.PendingCount() != 0 || !Hid.AllReportsTaken();
            AMonitor.Windows.ProcessPendingMessages();
            Quiet = Busy ? 0 : Quiet + 1;
            if (Busy) {
                std::this_thread::yield();
            }
        }
    }

    TFuzzRoot Root{"input_report"};
    sim::TSimFileSystem& Files;
    sim::TSimIniFile Ini;
    sim::TSimShell Shell;
    sim::TSimHid Hid;
    TuiHIDData HIDData;
    std::size_t Delivered = 0;
    std::size_t Parsed = 0;
};

// The profile's function types come from the input, so every action can be asked for.
void ReadProfile(TFuzzInput& AInput, TMouseProfileInfo& AProfile) {
    constexpr std::uint16_t TYPES[] = {0, FUNCTION_TYPE_MICROPHONE_MUTE, FUNCTION_TYPE_PLAY_MACRO,
                                       FUNCTION_TYPE_RECORD_MACRO, FUNCTION_TYPE_MACRO_BY_INDEX};
    for (TBUTTONFUNCINFO& Button : AProfile.ConfigInfo.ButtonFuncInfo) {
        Button.nFunctionType = TYPES[AInput.Below(5)];
    }
}

std::vector<std::uint8_t> ReadReport(TFuzzInput& AInput) {
    // Mostly shaped like the mouse's reports, so the decoder's accepting paths are reached.
    if (AInput.Flag()) {
        std::vector<std::uint8_t> Report(1 + DECODED_PAYLOAD_SIZE, 0);
        Report[0] = AInput.Flag() ? BUTTON_REPORT_ID : PROFILE_REPORT_ID;
        const auto Bytes = AInput.Bytes(AInput.Below(1 + DECODED_PAYLOAD_SIZE));
        std::copy(Bytes.begin(), Bytes.end(), Report.begin() + 1);
        return Report;
    }
    const auto Bytes = AInput.Bytes(AInput.Below(400));
    return {Bytes.begin(), Bytes.end()};
}

void CheckDispatched(const TMonitor& AMonitor, const std::map<std::uint16_t, int>& AActions,
                     const std::map<platform::TWParam, int>& ASwitches) {
    VANTO_FUZZ_CHECK(AMonitor.Actions == AActions, "a press was lost, doubled or misread");
    VANTO_FUZZ_CHECK(AMonitor.Switches == ASwitches, "a profile switch was lost or doubled");
}

} // namespace
} // namespace vanto::fuzz

using namespace vanto;
using namespace vanto::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* AData, std::size_t ASize) {
    static TMonitor Monitor;
    static THidSide HidSide(Monitor);
    TFuzzInput Input(AData, ASize);
    Monitor.Actions.clear();
    Monitor.Switches.clear();
    Monitor.Debug.Clear();
    ReadProfile(Input, *Monitor.Profile);

    std::map<std::uint16_t, int> Actions;
    std::map<platform::TWParam, int> Switches;
    while (!Input.Empty()) {
        switch (Input.Below(3)) {
        case 0: {
            // Straight to the decoder, at any payload length, as another HID stack might call.
            const std::vector<std::uint8_t> Report = ReadReport(Input);
            if (Report.empty()) {
                break;
            }
            const auto Event = DecodeInputReport(Report[0], Report.data() + 1,
                                                 static_cast<std::uint16_t>(Report.size() - 1));
            VANTO_FUZZ_CHECK(Event == Expected(Report), "the decoder misread a report");
            Monitor.Dispatcher.uiHIDData1Data(u"", u"", Report[0], Report.data() + 1,
                                              static_cast<std::uint16_t>(Report.size() - 1));
            if (Event) {
                Monitor.Expect(*Event, Actions, Switches);
            }
            Monitor.Windows.ProcessPendingMessages();
            break;
        }
        case 1: {
            // Any process can post WM_BUTTON_EVENT with any wParam.
            const platform::TWParam Key =
                Input.Flag() ? Input.Below(30) : static_cast<platform::TWParam>(Input.U32());
            Monitor.Windows.Post(Monitor.Main, WM_BUTTON_EVENT, Key, 1);
            Monitor.Expect({Key, 1}, Actions, Switches);
            Monitor.Windows.ProcessPendingMessages();
            break;
        }
        default: {
            // Through a reader thread: no more than the driver's buffer holds, so none is
            // dropped, then wait until the main thread has handled them all.
            const std::size_t Collection = Input.Below(REPORT_LENGTHS.size());
            const std::size_t Length = REPORT_LENGTHS[Collection];
            const std::size_t Count = 1 + Input.Below(32);
            const std::size_t DeliveredBefore = HidSide.Delivered;
            std::size_t Sent = 0;
            for (std::size_t I = 0; I < Count && !Input.Empty(); ++I) {
                std::vector<std::uint8_t> Report = ReadReport(Input);
                HidSide.Hid.SendInputReport(CollectionPath(Collection), Report);
                // The driver hands the reader at most the declared length.
                Report.resize(std::min(Report.size(), Length));
                if (!Report.empty()) {
                    ++Sent;
                    if (const auto Event = Expected(Report)) {
                        Monitor.Expect(*Event, Actions, Switches);
                    }
                }
            }
            HidSide.Settle(Monitor);
            VANTO_FUZZ_CHECK(HidSide.Delivered - DeliveredBefore == Sent,
                             "a report was lost or doubled on its way to the main thread");
            break;
        }
        }
    }
    CheckDispatched(Monitor, Actions, Switches);
    return 0;
}
