// The monitor on a simulated machine whose parts fail: the mouse leaves in the middle of an
// upload, the registry refuses a store, the configuration application is missing, slow or gone
// by the time it is sent to, the hook library is missing or incomplete, there is no microphone.
// Each time the monitor goes on handling the mouse, the stored profiles stay whole, and it
// reports nothing as done that was not done.

#include "app/VantoMonExMain.h"
#include "platform/sim/SimMouse.h"
#include "platform/sim/SimPlatform.h"
#include "shared/ConfigAppInterface.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>
#include <vector>

namespace vanto {
namespace {

using platform::TLParam;
using platform::TMessageId;
using platform::TWParam;

// The factory profile's buttons.
constexpr unsigned MUTABLE_KEY = 2;
constexpr unsigned PLAY_KEY = 6;
constexpr std::uint8_t RECORD_KEY = 7;
// The factory macro 0 plays as two presses and two releases.
constexpr std::size_t FACTORY_MACRO_EVENTS = 4;

class MonitorFaultTest : public testing::Test {
protected:
    MonitorFaultTest() {
        FMouse.PlugInto(FSim.FHid);
        FDM.DataModuleCreate();
    }
    ~MonitorFaultTest() override {
        FMain.reset();
        std::error_code Error;
        std::filesystem::remove_all(FRoot, Error);
    }

    // The monitor starts and, three seconds on, has the mouse open.
    void Start() {
        FMain = std::make_unique<TVantoMonExMain>(FSim.Platform(), FDM);
        FMain->FormCreate();
        FSim.FWindows.AdvanceTime(3000);
    }

    void StartConfigApp() {
        FConfigApp = FSim.FWindows.CreateHiddenWindow(CONFIG_APP_WINDOW_CLASS, u"",
                                                      [this](TMessageId AMsg, TWParam AW, TLParam) {
                                                          FConfigAppGot.push_back({AMsg, AW});
                                                          if (FConfigAppDoes) {
                                                              FConfigAppDoes(AMsg);
                                                          }
                                                          return platform::TMessageResult{0};
                                                      });
    }

    void Toggle() {
        FMain->ToggleMacroRecording(RECORD_KEY);
        FSim.FWindows.ProcessPendingMessages();
    }
    void Click(std::uint32_t AMessage) { FSim.FHooks.MouseEvent(AMessage, 400, 300); }
    void RecordAClick() {
        Toggle();
        Click(platform::WM_LBUTTONDOWN_MSG);
        FSim.FClock.AdvanceBy(100);
        Click(platform::WM_LBUTTONUP_MSG);
        Toggle();
    }

    void Press(unsigned AKey) {
        FMouse.PressButton(AKey);
        FSim.Settle();
    }

    // Whether the monitor still plays the play button's macro, once per press.
    bool PlaysOnPress() {
        const std::size_t Before = FSim.FInput.Events().size();
        Press(PLAY_KEY);
        return FSim.FInput.Events().size() > Before;
    }

    std::vector<std::uint8_t> StoredProfile() {
        const auto Value = FSim.FRegistry.ReadValue(
            VANTO_REGISTRY_KEY, FDM.ProfileGroup(FDM.ProfileIndex()).FileName());
        return Value ? Value->FData : std::vector<std::uint8_t>{};
    }

    // The step count of macro 0 of the current profile as the registry holds it.
    std::int32_t StoredMacroSteps() {
        const std::vector<std::uint8_t> Bytes = StoredProfile();
        if (Bytes.size() != sizeof(TMouseProfileInfo)) {
            return -1;
        }
        auto Profile = std::make_unique<TMouseProfileInfo>();
        std::memcpy(Profile.get(), Bytes.data(), sizeof(TMouseProfileInfo));
        return Profile->MacroKeyInfoList.MacroInfos[0].MacroListCount;
    }

    std::vector<TWParam> Got(TMessageId AMsg) const {
        std::vector<TWParam> Result;
        for (const auto& [Msg, W] : FConfigAppGot) {
            if (Msg == AMsg) {
                Result.push_back(W);
            }
        }
        return Result;
    }

    std::filesystem::path FRoot = std::filesystem::temp_directory_path() /
                                  ("vanto-fault-" + std::to_string(std::random_device{}()));
    sim::TSimPlatform FSim{FRoot};
    sim::TSimMouse FMouse;
    TDM FDM{FSim.FRegistry, FSim.FFiles, FSim.FShell, FSim.FIni, FSim.FLocale, FSim.FClock};
    std::unique_ptr<TVantoMonExMain> FMain;
    platform::TWindowHandle FConfigApp = 0;
    std::vector<std::pair<TMessageId, TWParam>> FConfigAppGot;
    std::function<void(TMessageId)> FConfigAppDoes;
};

TEST_F(MonitorFaultTest, AMousePulledBetweenTheTableAndTheMacrosOfAnUploadIsUploadedAgainLater) {
    Start();
    StartConfigApp();
    const unsigned Bank = static_cast<unsigned>(FDM.ProfileIndex());
    const std::size_t Accepted = FMouse.AcceptedReports().size();
    const std::size_t Completed = FMouse.CompletedUploads();
    // The upload's first two reports are the opening mode command and the button table.
    FSim.FHid.UnplugAfterFeatureReports(FMouse.Device(), 2);
    RecordAClick();

    EXPECT_EQ(FMouse.AcceptedReports().size(), Accepted + 2);
    EXPECT_TRUE(FMouse.InUpload());
    EXPECT_EQ(FMouse.CompletedUploads(), Completed);
    EXPECT_EQ(FMouse.MacroSlot(Bank, 0), (std::array<std::uint8_t, sim::MOUSE_MACRO_SLOT_SIZE>{}));
    // The store did happen, and only that is what the configuration application hears.
    EXPECT_EQ(StoredMacroSteps(), 3);
    EXPECT_THAT(Got(WM_MACRO_RECORDED), testing::ElementsAre(static_cast<TWParam>(Bank)));

    // Plugged in again, the mouse is opened and read, and gets the bank it missed, whole.
    FMouse.PlugInto(FSim.FHid);
    FSim.FWindows.AdvanceTime(DEVICE_ARRIVAL_DELAY_MS);
    EXPECT_FALSE(FMouse.InUpload());
    EXPECT_EQ(FMouse.CompletedUploads(), Completed + 1);
    EXPECT_NE(FMouse.MacroSlot(Bank, 0), (std::array<std::uint8_t, sim::MOUSE_MACRO_SLOT_SIZE>{}));
    EXPECT_TRUE(PlaysOnPress());
    // Sent once only: the next recording is the next upload, and lands whole.
    RecordAClick();
    EXPECT_FALSE(FMouse.InUpload());
    EXPECT_EQ(FMouse.CompletedUploads(), Completed + 2);
}

// Posted timers, menu commands and presses queue behind a running handler; none of them runs
// inside it. Reopen requests the timer did not make do nothing, and presses that come while a
// recording is uploaded wait until the mouse has left upload mode.
TEST_F(MonitorFaultTest, QueuedMessagesRunOneAfterAnotherAndPressesWaitForTheUpload) {
    Start();
    StartConfigApp();
    for (int N = 0; N < 50; ++N) {
        FSim.FWindows.Post(FMain->Handle(), platform::WM_TIMER_MESSAGE, DEVICE_ARRIVAL_TIMER_ID, 0);
        FSim.FWindows.Post(FMain->Handle(), platform::WM_COMMAND_MESSAGE, ABOUT_COMMAND, 0);
    }
    FSim.FWindows.ProcessPendingMessages();
    const std::size_t Before = FSim.FInput.Events().size();
    Press(PLAY_KEY);
    EXPECT_EQ(FSim.FInput.Events().size(), Before + FACTORY_MACRO_EVENTS); // one set of readers

    // The stop press, then a new record press and a play press, all queued at once.
    const std::size_t Completed = FMouse.CompletedUploads();
    FMain->ToggleMacroRecording(RECORD_KEY);
    Click(platform::WM_LBUTTONDOWN_MSG);
    FSim.FClock.AdvanceBy(100);
    Click(platform::WM_LBUTTONUP_MSG);
    for (TWParam Key : {TWParam{RECORD_KEY}, TWParam{RECORD_KEY}, TWParam{PLAY_KEY}}) {
        FSim.FWindows.Post(FMain->Handle(), WM_BUTTON_EVENT, Key, 0);
    }
    FSim.Settle();
    // The recording was stored whole, uploaded once, and announced before the held presses ran
    // in their order: a new recording, then the play press, which a recording refuses.
    EXPECT_EQ(StoredMacroSteps(), 3);
    const auto Last = FSim.FRegistry.ReadValue(VANTO_REGISTRY_KEY, u"RecordRPROFILE.pfd");
    ASSERT_TRUE(Last);
    EXPECT_EQ(Last->FData.size(), sizeof(TMACROKEYINFO));
    EXPECT_EQ(FMouse.CompletedUploads(), Completed + 1);
    EXPECT_FALSE(FMouse.InUpload());
    EXPECT_EQ(Got(WM_MACRO_RECORDED).size(), 1u);
    EXPECT_TRUE(FMain->FFlags.MacroRecording);
    EXPECT_THAT(FSim.FDebug.Lines(),
                testing::Contains(u"play macro refused: a recording is running"));
    EXPECT_EQ(FSim.FInput.Events().size(), Before + FACTORY_MACRO_EVENTS);
    EXPECT_EQ(FSim.FWindows.MaxLoopDepth(), 1);
}

// The configuration application was once told of a recording the registry had refused.
TEST_F(MonitorFaultTest, ARecordingTheRegistryRefusesIsNotReportedAsStored) {
    Start();
    StartConfigApp();
    const std::vector<std::uint8_t> Before = StoredProfile();
    const std::size_t Completed = FMouse.CompletedUploads();
    FSim.FRegistry.SetRefuseWrites(true);
    RecordAClick();

    EXPECT_EQ(StoredProfile(), Before);
    EXPECT_FALSE(FSim.FRegistry.ReadValue(VANTO_REGISTRY_KEY, u"RecordRPROFILE.pfd"));
    EXPECT_TRUE(Got(WM_MACRO_RECORDED).empty());
    EXPECT_THAT(FSim.FDebug.Lines(), testing::Contains(testing::Truly([](const std::u16string& L) {
                    return L.starts_with(u"registry refused to store");
                })));
    // The mouse has the macro and the monitor plays it: only the store failed.
    EXPECT_EQ(FMouse.CompletedUploads(), Completed + 1);
    const std::size_t EventsBefore = FSim.FInput.Events().size();
    Press(PLAY_KEY);
    EXPECT_EQ(FSim.FInput.Events().size(), EventsBefore + 2);
}

TEST_F(MonitorFaultTest, WithoutAConfigurationApplicationAProfileSwitchIsStillStored) {
    Start();
    FMouse.SwitchProfile(1);
    FSim.Settle();
    const auto Id = FSim.FRegistry.ReadValue(VANTO_REGISTRY_KEY, PROFILE_ID_VALUE_NAME);
    ASSERT_TRUE(Id);
    EXPECT_EQ(Id->FData, (std::vector<std::uint8_t>{1, 0, 0, 0}));
    EXPECT_TRUE(PlaysOnPress());
}

TEST_F(MonitorFaultTest, PressesMadeWhileASlowConfigurationApplicationAnswersAreHandledOnce) {
    Start();
    StartConfigApp();
    FSim.FWindows.SetAnswerDelay(FConfigApp, 8000);
    // The user presses the play button while the monitor waits for the answer.
    FConfigAppDoes = [this](TMessageId AMsg) {
        if (AMsg == WM_PROFILE_SWITCH) {
            FMouse.PressButton(PLAY_KEY);
        }
    };
    const std::uint64_t Before = FSim.FClock.NowMs();
    FMouse.SwitchProfile(1);
    FSim.Settle();
    EXPECT_GE(FSim.FClock.NowMs() - Before, 8000u);
    EXPECT_THAT(Got(WM_PROFILE_SWITCH), testing::ElementsAre(1u));
    EXPECT_EQ(FSim.FInput.Events().size(), FACTORY_MACRO_EVENTS);
    EXPECT_FALSE(FMain->FFlags.MacroPlaying);
}

TEST_F(MonitorFaultTest, AConfigurationApplicationGoneBeforeItIsSentToIsNotWaitedFor) {
    Start();
    StartConfigApp();
    FSim.FWindows.VanishOnNextSend(FConfigApp);
    FMouse.SwitchProfile(1);
    FSim.Settle();
    EXPECT_TRUE(FConfigAppGot.empty());
    EXPECT_EQ(FSim.FRegistry.ReadValue(VANTO_REGISTRY_KEY, PROFILE_ID_VALUE_NAME)->FData,
              (std::vector<std::uint8_t>{1, 0, 0, 0}));

    // The same at the end of a recording: the recording is stored all the same.
    StartConfigApp();
    FSim.FWindows.VanishOnNextSend(FConfigApp);
    RecordAClick();
    EXPECT_TRUE(FConfigAppGot.empty());
    EXPECT_EQ(StoredMacroSteps(), 3);
    EXPECT_TRUE(PlaysOnPress());
}

TEST_F(MonitorFaultTest, WithoutAUsableHookLibraryARecordingStoresAndSendsNothing) {
    for (const auto Availability :
         {platform::THookLoadResult::NotFound, platform::THookLoadResult::Incomplete}) {
        SCOPED_TRACE(static_cast<int>(Availability));
        FSim.FMessageBox.Clear();
        FSim.FHooks.SetAvailability(Availability);
        Start();
        StartConfigApp();
        const std::size_t Writes = FSim.FRegistry.WriteCount();
        const std::size_t Accepted = FMouse.AcceptedReports().size();
        Toggle();
        EXPECT_FALSE(FSim.FHooks.MouseHookEnabled());
        Click(platform::WM_LBUTTONDOWN_MSG);
        Click(platform::WM_LBUTTONUP_MSG);
        Toggle();

        EXPECT_EQ(FMain->FMacroInfo.MacroListCount, 0);
        EXPECT_EQ(FSim.FRegistry.WriteCount(), Writes);
        EXPECT_EQ(FMouse.AcceptedReports().size(), Accepted);
        EXPECT_TRUE(FConfigAppGot.empty());
        EXPECT_EQ(FMain->RecordOverlay(), nullptr);
        // A missing library is said once, at start-up; an incomplete one was found and unloaded.
        EXPECT_EQ(FSim.FMessageBox.Shown().size(),
                  Availability == platform::THookLoadResult::NotFound ? 1u : 0u);
        EXPECT_TRUE(PlaysOnPress());
        FMain.reset();
        FSim.FWindows.DestroyHiddenWindow(FConfigApp);
    }
}

TEST_F(MonitorFaultTest, TheMuteButtonWithoutAMicrophoneDoesNothingUntilOneIsThere) {
    FSim.FAudio.SetMicrophonePresent(false);
    FDM.EditCurrentProfileInfo().ConfigInfo.ButtonFuncInfo[MUTABLE_KEY].nFunctionType =
        FUNCTION_TYPE_MICROPHONE_MUTE;
    Start();
    Press(MUTABLE_KEY);
    EXPECT_FALSE(FSim.FAudio.MicrophoneMuted());
    EXPECT_TRUE(FSim.FMessageBox.Shown().empty());

    FSim.FAudio.SetServiceAvailable(false);
    FSim.FAudio.SetMicrophonePresent(true);
    Press(MUTABLE_KEY);
    EXPECT_FALSE(FSim.FAudio.MicrophoneMuted());

    FSim.FAudio.SetServiceAvailable(true);
    Press(MUTABLE_KEY);
    EXPECT_TRUE(FSim.FAudio.MicrophoneMuted());
    EXPECT_TRUE(PlaysOnPress());
}

} // namespace
} // namespace vanto
