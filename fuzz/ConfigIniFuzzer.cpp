// "config.ini" beside the monitor, of any content: the HID component's device list and the
// profile manager's other settings and help files, read through the simulated INI reader.

#include "FuzzSupport.h"
#include "device/DeviceEncoding.h"
#include "device/uiHIDData.h"
#include "platform/Utf16.h"
#include "platform/sim/SimPlatform.h"
#include "profile/DM.h"
#include "shared/ConfigAppInterface.h"
#include "shared/UsageAndPage.h"

#include <algorithm>
#include <memory>

namespace vanto::fuzz {
namespace {

const std::u16string CONFIG_INI =
    std::u16string(sim::TSimPlatform::PROGRAM_FOLDER) + u"\\config.ini";

// A machine of its own for every input: what one input stored or sent never reaches the next.
struct TMachine {
    explicit TMachine(TFuzzRoot& ARoot) : Root(ARoot) { Mouse.PlugInto(Hid); }

    TFuzzRoot& Root;
    sim::TSimClock Clock;
    sim::TSimWindowSystem Windows{Clock};
    sim::TSimRegistry Registry;
    sim::TSimIniFile Ini{Root.Files()};
    sim::TSimShell Shell{sim::TSimPlatform::DOCUMENTS, sim::TSimPlatform::PROGRAM_FOLDER};
    sim::TSimLocale Locale;
    sim::TSimDebugOutput Debug;
    sim::TSimHid Hid{Windows};
    sim::TSimMouse Mouse;
    TDM DM{Registry, Root.Files(), Shell, Ini, Locale, Clock};
};

bool Trimmed(const std::u16string& AText) {
    auto IsBlank = [](char16_t C) { return C == u' ' || C == u'\t' || C == u'\r'; };
    return AText.empty() || (!IsBlank(AText.front()) && !IsBlank(AText.back()));
}

// The device list decides which devices the monitor talks to: finding the mouse and sending it
// a report must agree with it, and with each other.
void CheckDeviceList(TMachine& AMachine) {
    TuiHIDData HIDData(AMachine.Hid, AMachine.Windows, AMachine.Ini, AMachine.Shell,
                       AMachine.Debug);
    const std::vector<std::u16string>& List = HIDData.GetHIDDeviceList();
    VANTO_FUZZ_CHECK(List.size() <= 101, "more listed devices than the list reads");
    const auto& Ids = AMachine.Mouse.Identity().FHardwareIds;
    bool Listed = List.empty();
    for (const std::u16string& Entry : List) {
        VANTO_FUZZ_CHECK(!Entry.empty() && Trimmed(Entry), "an empty or untrimmed device entry");
        Listed = Listed || std::any_of(Ids.begin(), Ids.end(), [&](const std::u16string& AId) {
                     return SameTextIgnoringCase(AId, Entry);
                 });
    }
    auto Request = std::make_unique<THIDDataParam>();
    Request->UsageAndPage = VANTO_MOUSE_COLLECTION;
    Request->DeviceID = u"*";
    VANTO_FUZZ_CHECK(HIDData.IsDeviceExist(*Request) == Listed,
                     "the device list let in the wrong devices");
    const std::size_t Before = AMachine.Mouse.AcceptedReports().size();
    auto Target = std::make_unique<TuiHIDDataTarget>(HIDData);
    SendModeCommand(*Target, DEVICE_MODE_RUN);
    VANTO_FUZZ_CHECK(AMachine.Mouse.AcceptedReports().size() - Before == (Listed ? 1u : 0u),
                     "a report went to a device the list does not let in");
}

} // namespace
} // namespace vanto::fuzz

using namespace vanto;
using namespace vanto::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* AData, std::size_t ASize) {
    static TFuzzRoot Root("config_ini");
    Root.Reset();
    TMachine Machine(Root);
    Machine.Root.Files().WriteWholeFile(CONFIG_INI, AData, ASize);
    CheckDeviceList(Machine);

    Machine.DM.DataModuleCreate();
    for (const auto& [Name, Value] : Machine.DM.HelpFiles()) {
        VANTO_FUZZ_CHECK(Trimmed(Name) && Trimmed(Value), "an untrimmed help file entry");
        VANTO_FUZZ_CHECK(Name.find(u'\n') == std::u16string::npos &&
                             Value.find(u'\n') == std::u16string::npos,
                         "a help file entry runs over two lines");
    }
    (void)Machine.Ini.ReadInteger(CONFIG_INI, u"OtherConfig", u"NoLogo", 0);
    return 0;
}
