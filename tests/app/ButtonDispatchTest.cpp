#include "app/ButtonDispatch.h"

#include "platform/sim/SimClock.h"
#include "platform/sim/SimDebugOutput.h"
#include "platform/sim/SimRegistry.h"
#include "platform/sim/SimWindowSystem.h"
#include "shared/ButtonReports.h"
#include "shared/ConfigAppInterface.h"
#include "shared/pubunit_quorvin.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace vanto {
namespace {

using platform::TLParam;
using platform::TMessageId;
using platform::TWParam;
using testing::ElementsAre;

struct TReceived {
    TMessageId FMsg;
    TWParam FWParam;
    TLParam FLParam;
    friend bool operator==(const TReceived&, const TReceived&) = default;
};

class ButtonDispatchTest : public testing::Test {
protected:
    ButtonDispatchTest() {
        FProfile = std::make_unique<TMouseProfileInfo>();
        FDispatcher = std::make_unique<TButtonDispatcher>(FWindows, FRegistry, FDebug, FFlags);
        FMonitor = FWindows.CreateHiddenWindow(
            MONITOR_WINDOW_CLASS, MONITOR_WINDOW_TITLE,
            [this](TMessageId AMsg, TWParam AW, TLParam AL) {
                if (AMsg == WM_BUTTON_EVENT) {
                    Count(FDispatcher->WMButtonEvent(AW, AL, *FProfile));
                }
                return 0;
            });
        FDispatcher->SetMainWindow(FMonitor);
    }

    void Count(const TButtonAction& AAction) {
        switch (AAction.FKind) {
        case EButtonAction::MicrophoneMute:
            ++FMuteCount;
            break;
        case EButtonAction::PlayCurrentMacro:
            ++FPlayCount;
            break;
        case EButtonAction::ToggleMacroRecording:
            FToggled.push_back(AAction.FKeyIndex);
            break;
        case EButtonAction::None:
            break;
        }
    }

    void StartConfigApp() {
        FWindows.CreateHiddenWindow(CONFIG_APP_WINDOW_CLASS, u"",
                                    [this](TMessageId AMsg, TWParam AW, TLParam AL) {
                                        FConfigAppReceived.push_back({AMsg, AW, AL});
                                        return 0;
                                    });
    }

    void SetFunctionType(std::size_t AButton, std::uint16_t AType) {
        FProfile->ConfigInfo.ButtonFuncInfo[AButton].nFunctionType = AType;
    }

    void Report(std::uint8_t AId, std::vector<std::uint8_t> APayload) {
        FDispatcher->uiHIDData1Data(u"dev", u"path", AId, APayload.data(),
                                    static_cast<std::uint16_t>(APayload.size()));
    }

    void PressKey(std::size_t AKeyIndex) {
        std::vector<std::uint8_t> Payload(7, 0);
        Payload[AKeyIndex / 8] = static_cast<std::uint8_t>(1u << (AKeyIndex % 8));
        Report(7, Payload);
        FWindows.ProcessPendingMessages();
    }

    std::optional<std::uint32_t> StoredProfileID() {
        auto Value = FRegistry.ReadValue(VANTO_REGISTRY_KEY, PROFILE_ID_VALUE_NAME);
        if (!Value || Value->FType != platform::TRegValueType::DWord || Value->FData.size() != 4) {
            return std::nullopt;
        }
        return Value->FData[0] | Value->FData[1] << 8 | Value->FData[2] << 16 |
               Value->FData[3] << 24;
    }

    sim::TSimClock FClock;
    sim::TSimWindowSystem FWindows{FClock};
    sim::TSimRegistry FRegistry;
    sim::TSimDebugOutput FDebug;
    TMonitorFlags FFlags;
    std::unique_ptr<TMouseProfileInfo> FProfile;
    std::unique_ptr<TButtonDispatcher> FDispatcher;
    platform::TWindowHandle FMonitor = 0;
    int FMuteCount = 0;
    int FPlayCount = 0;
    std::vector<std::uint8_t> FToggled;
    std::vector<TReceived> FConfigAppReceived;
};

TEST_F(ButtonDispatchTest, APressIsPostedAndActedOnOnlyFromTheMessageLoop) {
    SetFunctionType(10, FUNCTION_TYPE_MICROPHONE_MUTE);
    Report(7, {0x00, 0x04, 0x00, 0, 0, 0, 0});
    EXPECT_EQ(FMuteCount, 0);
    EXPECT_EQ(FWindows.PendingCount(), 1u);
    FWindows.ProcessPendingMessages();
    EXPECT_EQ(FMuteCount, 1);
    EXPECT_THAT(FDebug.Lines(), ElementsAre(u"KeyIndex = 10 postmessage record!"));
}

TEST_F(ButtonDispatchTest, TheActionFollowsTheButtonsFunctionTypeInTheCurrentProfile) {
    SetFunctionType(0, FUNCTION_TYPE_PLAY_MACRO);
    SetFunctionType(14, FUNCTION_TYPE_RECORD_MACRO);
    SetFunctionType(3, 5);
    PressKey(0);
    PressKey(14);
    PressKey(3);
    PressKey(4); // function type 0
    EXPECT_EQ(FPlayCount, 1);
    EXPECT_THAT(FToggled, ElementsAre(14));
    EXPECT_EQ(FMuteCount, 0);

    // The dispatcher reads the profile at each press, so a reloaded profile takes effect.
    SetFunctionType(14, FUNCTION_TYPE_MICROPHONE_MUTE);
    PressKey(14);
    EXPECT_EQ(FMuteCount, 1);
}

TEST_F(ButtonDispatchTest, PlaybackIsSkippedWhilePlayingButRecordingStillToggles) {
    SetFunctionType(1, FUNCTION_TYPE_PLAY_MACRO);
    SetFunctionType(2, FUNCTION_TYPE_RECORD_MACRO);
    FFlags.MacroPlaying = true;
    PressKey(1);
    PressKey(2);
    EXPECT_EQ(FPlayCount, 0);
    EXPECT_THAT(FToggled, ElementsAre(2));
}

TEST_F(ButtonDispatchTest, KeysWithoutAButtonRecordDoNothing) {
    // Fill the bytes after the button table with function types the monitor acts on, so a
    // read past the table would show as an action.
    auto* Bytes = reinterpret_cast<std::uint8_t*>(&FProfile->ConfigInfo.VWheelButtonFuncInfo);
    for (std::size_t I = 0; I + 1 < sizeof(FProfile->ConfigInfo.VWheelButtonFuncInfo); I += 2) {
        Bytes[I] = FUNCTION_TYPE_MICROPHONE_MUTE;
        Bytes[I + 1] = 0;
    }
    for (std::size_t K : {15, 16, 17, 18, 19, 20, 23}) {
        PressKey(K);
    }
    FWindows.Post(FMonitor, WM_BUTTON_EVENT, 1000000, 1); // from any other process
    FWindows.ProcessPendingMessages();
    EXPECT_EQ(FMuteCount + FPlayCount, 0);
    EXPECT_TRUE(FToggled.empty());
}

TEST_F(ButtonDispatchTest, ProfileSelectionsWriteProfileIDAndTellTheConfigApp) {
    FRegistry.CreateKey(VANTO_REGISTRY_KEY);
    StartConfigApp();
    Report(8, {0x01, 0x01, 0, 0, 0, 0, 0});
    FWindows.ProcessPendingMessages();
    EXPECT_EQ(StoredProfileID(), 1u);
    // Key index 21 shares its wParam with "profile 0 selected".
    SetFunctionType(0, FUNCTION_TYPE_MICROPHONE_MUTE);
    PressKey(21);
    EXPECT_EQ(StoredProfileID(), 0u);
    EXPECT_THAT(FConfigAppReceived, ElementsAre(TReceived{WM_PROFILE_SWITCH, 1, 0},
                                                TReceived{WM_PROFILE_SWITCH, 0, 0}));
    EXPECT_EQ(FMuteCount, 0);
}

TEST_F(ButtonDispatchTest, ProfileSwitchIsSentEvenWhenProfileIDCannotBeWritten) {
    StartConfigApp();
    PressKey(22);
    EXPECT_FALSE(FRegistry.KeyExists(VANTO_REGISTRY_KEY)); // opened, never created
    EXPECT_FALSE(StoredProfileID());
    EXPECT_THAT(FConfigAppReceived, ElementsAre(TReceived{WM_PROFILE_SWITCH, 1, 0}));
}

TEST_F(ButtonDispatchTest, ProfileIDIsWrittenWithoutAConfigApp) {
    FRegistry.CreateKey(u"SOFTWARE\\vantogamingmouse");
    PressKey(22);
    EXPECT_EQ(StoredProfileID(), 1u);
}

TEST_F(ButtonDispatchTest, IgnoredReportsPostNothing) {
    Report(7, {0x03, 0x00, 0x00, 0, 0, 0, 0});
    Report(7, {0x00, 0x04, 0x00, 0, 0, 0});
    Report(8, {0x02, 0x01, 0, 0, 0, 0, 0});
    EXPECT_EQ(FWindows.PendingCount(), 0u);
    EXPECT_TRUE(FDebug.Lines().empty());
}

} // namespace
} // namespace vanto
