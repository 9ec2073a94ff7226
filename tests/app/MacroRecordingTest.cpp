#include "app/VantoMonExMain.h"
#include "macro/MacroSteps.h"
#include "macro/MacroTestSupport.h"
#include "platform/sim/SimMouse.h"
#include "platform/sim/SimPlatform.h"
#include "shared/ConfigAppInterface.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <random>
#include <vector>

namespace vanto {
namespace {

using platform::TLParam;
using platform::TMessageId;
using platform::TWParam;
using testing::ElementsAre;

// The factory profile's record button.
constexpr std::uint8_t RECORD_KEY = 7;
// Positions in the carried table's language list.
constexpr std::uint8_t CHINESE = 0;
constexpr std::uint8_t ENGLISH = 1;

using test::Steps;
using test::TStep;

class MacroRecordingTest : public testing::Test {
protected:
    MacroRecordingTest() {
        FMouse.PlugInto(FSim.FHid);
        FDM.DataModuleCreate();
        // The overlay's lines are checked in English: the carried table's English shows them
        // as their source strings.
        StoreLanguage(ENGLISH);
        FDM.LoadAllProfileInfoFromRegistry();
        FMain = std::make_unique<TVantoMonExMain>(FSim.Platform(), FDM);
        FMain->FormCreate();
        FSim.FWindows.AdvanceTime(3000); // the mouse is open
    }
    ~MacroRecordingTest() override {
        FMain.reset();
        std::error_code Error;
        std::filesystem::remove_all(FRoot, Error);
    }

    void StartConfigApp() {
        FConfigApp = FSim.FWindows.CreateHiddenWindow(CONFIG_APP_WINDOW_CLASS, u"",
                                                      [this](TMessageId AMsg, TWParam AW, TLParam) {
                                                          if (AMsg == WM_MACRO_RECORDED) {
                                                              FRecordedMessages.push_back(AW);
                                                          }
                                                          return platform::TMessageResult{0};
                                                      });
    }

    // As the configuration application stores it.
    void StoreLanguage(std::uint8_t ALanguage) {
        auto All = std::make_unique<TALLGAMESINFO>(FDM.AllProfileSettingInfo());
        All->CurrentLanguage = ALanguage;
        FSim.FRegistry.WriteBinaryValue(VANTO_REGISTRY_KEY, ALL_SETTING_VALUE_NAME, All.get(),
                                        sizeof(*All));
    }

    // As a press does from the message loop, which then runs the upload's later steps.
    void Toggle(std::uint8_t AKey = RECORD_KEY) {
        FMain->ToggleMacroRecording(AKey);
        FSim.FWindows.ProcessPendingMessages();
    }
    void Click(std::uint32_t AMessage) { FSim.FHooks.MouseEvent(AMessage, 400, 300); }
    void Wait(std::uint64_t AMs) { FSim.FClock.AdvanceBy(AMs); }
    std::vector<std::u16string> OverlayLines() const {
        return FMain->RecordOverlay() != nullptr ? FMain->RecordOverlay()->Lines()
                                                 : std::vector<std::u16string>{};
    }
    TMouseProfileInfo& Profile() { return FDM.EditCurrentProfileInfo(); }

    std::filesystem::path FRoot = std::filesystem::temp_directory_path() /
                                  ("vanto-record-" + std::to_string(std::random_device{}()));
    sim::TSimPlatform FSim{FRoot};
    sim::TSimMouse FMouse;
    TDM FDM{FSim.FRegistry, FSim.FFiles, FSim.FShell, FSim.FIni, FSim.FLocale, FSim.FClock};
    std::unique_ptr<TVantoMonExMain> FMain;
    platform::TWindowHandle FConfigApp = 0;
    std::vector<TWParam> FRecordedMessages;
};

TEST_F(MacroRecordingTest, AChangeOfLanguageTranslatesTheOverlayAgain) {
    Toggle();
    Wait(100);
    Click(platform::WM_RBUTTONDOWN_MSG);
    Wait(120);
    Click(platform::WM_RBUTTONUP_MSG);
    const auto Apply = [this](std::uint8_t ALanguage) {
        StoreLanguage(ALanguage);
        FSim.FWindows.Send(FMain->Handle(), WM_CFG_SETTINGS_CHANGED, 0, 0);
    };
    Apply(CHINESE);
    ASSERT_NE(FMain->RecordOverlay(), nullptr);
    EXPECT_EQ(FMain->RecordOverlay()->Title(), u"录制中...");
    EXPECT_THAT(OverlayLines(), ElementsAre(u"  右键按下", u"120毫秒", u"  右键放开"));
    // What the window shows, not only what the overlay holds.
    const platform::TScene& Shown = FSim.FScenes.Windows().back()->Scene();
    // The newest line, then the step counter in the corner.
    ASSERT_GE(Shown.Items.size(), 2u);
    EXPECT_EQ(Shown.Items.end()[-2].FText, u"  右键放开");

    Apply(ENGLISH);
    EXPECT_EQ(FMain->RecordOverlay()->Title(), u"Recording...");
    EXPECT_THAT(OverlayLines(),
                ElementsAre(u"Mouse Right ClickDown", u"120ms", u"Mouse Right ClickUp"));
    // Lines added afterwards are in the new language, and the stored macro is untouched.
    Click(platform::WM_LBUTTONDOWN_MSG);
    EXPECT_EQ(OverlayLines().back(), u"Mouse ClickDown");
    EXPECT_EQ(FMain->FMacroInfo.MacroListCount, 4);
}

TEST_F(MacroRecordingTest, StopStoresTheMacroSavesUploadsAndTellsTheConfigApp) {
    StartConfigApp();
    const std::size_t UploadsBefore = FMouse.CompletedUploads();
    Toggle();
    ASSERT_TRUE(FMain->FFlags.MacroRecording);
    ASSERT_NE(FMain->RecordOverlay(), nullptr);
    EXPECT_TRUE(FSim.FHooks.MouseHookEnabled());
    EXPECT_THAT(FSim.FDebug.Lines(), testing::Contains(u"show record window"));
    Click(platform::WM_LBUTTONDOWN_MSG);
    Wait(120);
    Click(platform::WM_LBUTTONUP_MSG);
    Toggle();

    EXPECT_FALSE(FMain->FFlags.MacroRecording);
    EXPECT_EQ(FMain->RecordOverlay(), nullptr);
    EXPECT_FALSE(FSim.FHooks.MouseHookEnabled());
    EXPECT_THAT(FSim.FDebug.Lines(), testing::Contains(u"CLOSE record window"));
    EXPECT_EQ(ReadRecordText(FMain->FMacroInfo.szMacroName), u"User Recorded");

    // The pressed button, the play button (6) and slot 0 hold the macro, in memory and stored.
    TDM Stored{FSim.FRegistry, FSim.FFiles, FSim.FShell, FSim.FIni, FSim.FLocale, FSim.FClock};
    Stored.DataModuleCreate();
    Stored.LoadCurrentProfileInfoFromRegistry();
    for (TDM* DM : {&FDM, &Stored}) {
        const TMouseProfileInfo& P = DM->CurrentProfileInfo();
        EXPECT_EQ(Steps(P.ConfigInfo.ButtonFuncInfo[RECORD_KEY].MacroKeyInfo).size(), 3u);
        EXPECT_EQ(P.ConfigInfo.ButtonFuncInfo[RECORD_KEY].nFunctionType,
                  FUNCTION_TYPE_RECORD_MACRO);
        EXPECT_EQ(Steps(P.ConfigInfo.ButtonFuncInfo[6].MacroKeyInfo).size(), 3u);
        EXPECT_EQ(P.ConfigInfo.ButtonFuncInfo[6].nFunctionGroup, MACRO_GROUP);
        EXPECT_EQ(Steps(P.MacroKeyInfoList.MacroInfos[0]),
                  Steps(P.ConfigInfo.ButtonFuncInfo[6].MacroKeyInfo));
    }
    EXPECT_EQ(FMouse.CompletedUploads(), UploadsBefore + 1);
    EXPECT_THAT(FRecordedMessages, ElementsAre(static_cast<TWParam>(FDM.ProfileIndex())));

    // The play button now replays the recording with its pause.
    FMouse.PressButton(6);
    FSim.Settle();
    const auto& Events = FSim.FInput.Events();
    ASSERT_GE(Events.size(), 2u);
    EXPECT_EQ(Events[1].AtMs - Events[0].AtMs, 120u);
}

TEST_F(MacroRecordingTest, OnlyPlayButtonsAndIndexZeroMacroButtonsAmongTheFirstTenReceiveIt) {
    auto& Buttons = Profile().ConfigInfo.ButtonFuncInfo;
    Buttons[2].nFunctionType = FUNCTION_TYPE_PLAY_MACRO;
    Buttons[4].nFunctionType = FUNCTION_TYPE_MACRO_BY_INDEX;
    Buttons[4].MacroKeyInfo.nMacroIndex = 0;
    Buttons[4].nFunctionID = 9;
    Buttons[5].nFunctionType = FUNCTION_TYPE_MACRO_BY_INDEX;
    Buttons[5].MacroKeyInfo.nMacroIndex = 3;
    Buttons[12].nFunctionType = FUNCTION_TYPE_PLAY_MACRO;
    Profile().MacroKeyInfoList.nMacroInfoCount = 0;
    FDM.SaveBackToCurrentProfileInfo();
    FDM.SaveCurrentProfileInfoToRegistry();

    Toggle();
    Click(platform::WM_MBUTTONDOWN_MSG);
    Toggle();
    EXPECT_EQ(Buttons[2].MacroKeyInfo.MacroListCount, 1);
    EXPECT_EQ(Buttons[2].nFunctionGroup, MACRO_GROUP);
    EXPECT_EQ(Buttons[4].MacroKeyInfo.MacroListCount, 1);
    EXPECT_EQ(Buttons[4].nFunctionID, 0);
    EXPECT_EQ(Buttons[5].MacroKeyInfo.MacroListCount, 0);
    EXPECT_EQ(Buttons[5].MacroKeyInfo.nMacroIndex, 3);
    EXPECT_EQ(Buttons[12].MacroKeyInfo.MacroListCount, 0);
    // Slot 0 is filled, and a list that counted no macro now counts it, so that the mouse gets
    // it too instead of keeping whatever its slot held.
    EXPECT_EQ(Profile().MacroKeyInfoList.MacroInfos[0].MacroListCount, 1);
    EXPECT_EQ(Profile().MacroKeyInfoList.nMacroInfoCount, 1);
    EXPECT_NE(FMouse.MacroSlot(static_cast<unsigned>(FDM.ProfileIndex()), 0),
              (std::array<std::uint8_t, sim::MOUSE_MACRO_SLOT_SIZE>{}));
}

TEST_F(MacroRecordingTest, StopKeepsWhatTheConfigAppSavedMeanwhile) {
    Toggle();
    Click(platform::WM_LBUTTONDOWN_MSG);
    // The configuration application changes button 1 and saves while the user records.
    TMouseProfileInfo Changed = Profile();
    Changed.ConfigInfo.ButtonFuncInfo[1].nFunctionID = 77;
    FDM.EditCurrentProfileInfo() = Changed;
    FDM.SaveBackToCurrentProfileInfo();
    FDM.SaveCurrentProfileInfoToRegistry();
    Profile().ConfigInfo.ButtonFuncInfo[1].nFunctionID = 0;
    Toggle();
    EXPECT_EQ(Profile().ConfigInfo.ButtonFuncInfo[1].nFunctionID, 77);
}

TEST_F(MacroRecordingTest, StartThenStopAtOnceStoresAndSendsNothing) {
    StartConfigApp();
    const std::size_t UploadsBefore = FMouse.CompletedUploads();
    const auto RegistryWritesBefore = FSim.FRegistry.WriteCount();
    Profile().ConfigInfo.ButtonFuncInfo[1].nFunctionID = 55; // not reloaded, so it stays
    Toggle();
    Wait(500);
    Click(platform::WM_MOUSEMOVE_MSG);
    Toggle();
    EXPECT_FALSE(FMain->FFlags.MacroRecording);
    EXPECT_EQ(FMain->RecordOverlay(), nullptr);
    EXPECT_EQ(Profile().ConfigInfo.ButtonFuncInfo[1].nFunctionID, 55);
    EXPECT_EQ(FMouse.CompletedUploads(), UploadsBefore);
    EXPECT_EQ(FSim.FRegistry.WriteCount(), RegistryWritesBefore);
    EXPECT_TRUE(FRecordedMessages.empty());
}

TEST_F(MacroRecordingTest, TheGuardPutsTheOverlayBackInFrontWithin100Ms) {
    Toggle();
    auto& Overlay = *FSim.FScenes.Windows().back();
    const platform::TWindowHandle Other = FSim.FWindows.CreateHiddenWindow(
        u"Notepad", u"Untitled - Notepad",
        [](TMessageId, TWParam, TLParam) { return platform::TMessageResult{0}; });
    FSim.FWindows.BringToForeground(Other);
    FSim.FWindows.AdvanceTime(100);
    EXPECT_EQ(FSim.FWindows.Foreground(), Overlay.Handle());
    // In front already: the guard leaves it alone.
    const int Raised = Overlay.BringToFrontCount();
    FSim.FWindows.AdvanceTime(300);
    EXPECT_EQ(Overlay.BringToFrontCount(), Raised);
    EXPECT_TRUE(FSim.FWindows.WasHidden(FMain->Handle()));
}

TEST_F(MacroRecordingTest, QuittingWhileRecordingLeavesNoHookAndNoOverlay) {
    Toggle();
    FMain.reset();
    EXPECT_FALSE(FSim.FHooks.MouseHookEnabled());
    EXPECT_TRUE(FSim.FScenes.Windows().empty());
}

TEST_F(MacroRecordingTest, AMissingHookLibraryIsReportedOnceAndRecordingStillRuns) {
    FMain.reset();
    FSim.FHooks.SetAvailability(platform::THookLoadResult::NotFound);
    FMain = std::make_unique<TVantoMonExMain>(FSim.Platform(), FDM);
    // Shown once the form is wired, so that the box's own loop cannot run a timer into nothing.
    EXPECT_TRUE(FSim.FMessageBox.Shown().empty());
    FMain->FormCreate();
    EXPECT_THAT(FSim.FMessageBox.Shown(), ElementsAre(u"uiHook.dll can not be found!"));
    EXPECT_THAT(FSim.FMessageBox.Captions(), ElementsAre(u"Error"));
    Toggle();
    EXPECT_NE(FMain->RecordOverlay(), nullptr);
    Toggle();
    EXPECT_FALSE(FMain->FFlags.MacroRecording);
}

} // namespace
} // namespace vanto
