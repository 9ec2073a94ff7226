#include "device/uiHIDEvent.h"

#include "device/DeviceTestSupport.h"
#include "platform/Utf16.h"
#include "platform/sim/SimDebugOutput.h"
#include "platform/sim/SimMouse.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

namespace vanto {
namespace {

using testing::ElementsAre;

class uiHIDEventTest : public testing::Test {
protected:
    uiHIDEventTest() {
        FEvent.OnDeviceArrival = [this](TuiHIDEvent& ASender) { Log(ASender, u"arrival"); };
        FEvent.OnDeviceRemove = [this](TuiHIDEvent& ASender) { Log(ASender, u"remove"); };
        FEvent.OnDeviceChange = [this](TuiHIDEvent& ASender) { Log(ASender, u"change"); };
    }
    void Log(TuiHIDEvent& ASender, const std::u16string& AWhat) {
        EXPECT_EQ(&ASender, &FEvent);
        FLog.push_back(AWhat + u"@" + DecimalToUtf16(static_cast<long long>(FClock.NowMs())));
    }

    sim::TSimClock FClock;
    sim::TSimWindowSystem FWindows{FClock};
    sim::TSimHid FHub{FWindows};
    sim::TSimDebugOutput FDebug;
    std::vector<std::u16string> FLog;
    TuiHIDEvent FEvent{FWindows, FHub, FDebug};
};

TEST_F(uiHIDEventTest, ReportsOneArrivalAtFifteenHundredMillisecondsAndNeverAgain) {
    FWindows.AdvanceTime(1499);
    EXPECT_THAT(FLog, ElementsAre(u"change@0"));
    FWindows.AdvanceTime(1);
    FWindows.AdvanceTime(60000);
    EXPECT_THAT(FLog, ElementsAre(u"change@0", u"arrival@1500"));
    EXPECT_FALSE(FWindows.NextTimerDue().has_value());
}

TEST_F(uiHIDEventTest, PlugReportsArrivalsAndUnplugOnlyRemovals) {
    FWindows.AdvanceTime(2000);
    FLog.clear();
    sim::TSimMouse Mouse;
    Mouse.PlugInto(FHub); // two collections, two interfaces
    EXPECT_THAT(FLog, ElementsAre(u"arrival@2000", u"arrival@2000"));
    FLog.clear();
    Mouse.Unplug();
    EXPECT_THAT(FLog, ElementsAre(u"remove@2000", u"remove@2000"));
}

TEST_F(uiHIDEventTest, OnlyInterfaceHeadersCount) {
    FWindows.ProcessPendingMessages();
    FLog.clear();
    platform::TDeviceBroadcastHeader Volume{12, 2, 0};
    FWindows.Send(FEvent.WindowHandle(), platform::WM_DEVICECHANGE_MESSAGE,
                  platform::DBT_DEVICEARRIVAL_EVENT, reinterpret_cast<platform::TLParam>(&Volume));
    // Sized to end before its device type, which is not to be believed.
    platform::TDeviceBroadcastHeader Short{4, platform::DBT_DEVTYP_DEVICEINTERFACE_TYPE, 0};
    FWindows.Send(FEvent.WindowHandle(), platform::WM_DEVICECHANGE_MESSAGE,
                  platform::DBT_DEVICEARRIVAL_EVENT, reinterpret_cast<platform::TLParam>(&Short));
    FWindows.Send(FEvent.WindowHandle(), platform::WM_DEVICECHANGE_MESSAGE,
                  platform::DBT_DEVICEREMOVECOMPLETE_EVENT, 0);
    FWindows.Send(FEvent.WindowHandle(), platform::WM_DEVICECHANGE_MESSAGE, 0x8003, 0);
    EXPECT_TRUE(FLog.empty());
}

TEST_F(uiHIDEventTest, AThrowingHandlerIsReportedAndTheWindowGoesOn) {
    FEvent.OnDeviceArrival = [](TuiHIDEvent&) { throw std::runtime_error("no memory"); };
    sim::TSimMouse Mouse;
    Mouse.PlugInto(FHub);
    EXPECT_THAT(FDebug.Lines(),
                ElementsAre(u"TuiHIDEvent: device event handler failed: no memory",
                            u"TuiHIDEvent: device event handler failed: no memory"));
    Mouse.Unplug();
    FWindows.ProcessPendingMessages();
    EXPECT_THAT(FLog, ElementsAre(u"remove@0", u"remove@0", u"change@0"));
}

} // namespace
} // namespace vanto
