#include "app/VantoMonExMain.h"
#include "platform/sim/SimMouse.h"
#include "platform/sim/SimPlatform.h"
#include "shared/ButtonReports.h"
#include "shared/ConfigAppInterface.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace vanto {
namespace {

constexpr std::uint8_t CHINESE = 0;
constexpr std::uint8_t ENGLISH = 1;
constexpr std::uint8_t MUTE_KEY = 3;
// The factory profile's play and record buttons.
constexpr std::uint8_t PLAY_KEY = 6;
constexpr std::uint8_t RECORD_KEY = 7;

// The monitor's on-screen messages as the user meets them: pressed buttons, profile switches
// and recordings on a simulated machine, with the messages read off the simulated window.
class OnScreenMessageTest : public testing::Test {
protected:
    OnScreenMessageTest() { FMouse.PlugInto(FSim.FHid); }
    ~OnScreenMessageTest() override {
        FMain.reset();
        std::error_code Error;
        std::filesystem::remove_all(FRoot, Error);
    }

    void StartMonitor(std::uint8_t ALanguage = ENGLISH) {
        FDM.DataModuleCreate();
        FDM.EditCurrentProfileInfo().ConfigInfo.ButtonFuncInfo[MUTE_KEY].nFunctionType =
            FUNCTION_TYPE_MICROPHONE_MUTE;
        FMain = std::make_unique<TVantoMonExMain>(FSim.Platform(), FDM);
        FMain->FormCreate();
        // As the configuration application stores a language and tells the monitor.
        auto All = std::make_unique<TALLGAMESINFO>(FDM.AllProfileSettingInfo());
        All->CurrentLanguage = ALanguage;
        FSim.FRegistry.WriteBinaryValue(VANTO_REGISTRY_KEY, ALL_SETTING_VALUE_NAME, All.get(),
                                        sizeof(*All));
        FSim.FWindows.Send(FMain->Handle(), WM_CFG_SETTINGS_CHANGED, 0, 0);
        FSim.AdvanceTime(3000); // the mouse is open
    }
    void WriteConfigIni(const std::string& AText) {
        FSim.FFiles.WriteWholeFile(FSim.FShell.ExecutableFolder() + u"\\config.ini",
                                   reinterpret_cast<const std::uint8_t*>(AText.data()),
                                   AText.size());
    }
    void ButtonEvent(platform::TWParam AEvent) {
        FSim.FWindows.Post(FMain->Handle(), WM_BUTTON_EVENT, AEvent, 0);
        FSim.Settle();
    }
    void Click(std::uint32_t AMessage) { FSim.FHooks.MouseEvent(AMessage, 400, 300); }

    sim::TSimSceneWindow* WindowAt(platform::TScenePlacement APlacement) const {
        for (sim::TSimSceneWindow* Window : FSim.FScenes.Windows()) {
            if (Window->Placement() == APlacement) {
                return Window;
            }
        }
        return nullptr;
    }
    // The message window while one shows, else null.
    sim::TSimSceneWindow* MessageWindow() const {
        return WindowAt(platform::TScenePlacement::BottomCentreOfPointerScreen);
    }
    const std::vector<platform::TSceneItem>& OverlayItems() const {
        return WindowAt(platform::TScenePlacement::BottomCentreOfScreen)->Scene().Items;
    }
    std::u16string Shown() const {
        sim::TSimSceneWindow* Window = MessageWindow();
        return Window != nullptr && Window->IsVisible() ? Window->Scene().Items.back().FText
                                                        : std::u16string();
    }
    const platform::TSceneItem& OverlayCounter() const { return OverlayItems().back(); }

    std::filesystem::path FRoot = std::filesystem::temp_directory_path() /
                                  ("vanto-osd-" + std::to_string(std::random_device{}()));
    sim::TSimPlatform FSim{FRoot};
    sim::TSimMouse FMouse;
    TDM FDM{FSim.FRegistry, FSim.FFiles, FSim.FShell, FSim.FIni, FSim.FLocale, FSim.FClock};
    std::unique_ptr<TVantoMonExMain> FMain;
};

TEST_F(OnScreenMessageTest, ButtonsAndProfileSwitchesAreToldOneMessageAtATimeThenFade) {
    StartMonitor();
    EXPECT_EQ(MessageWindow(), nullptr) << "no window before the first message";

    ButtonEvent(PROFILE_1_SELECTED);
    EXPECT_EQ(Shown(), u"Profile 2");
    const sim::TSimSceneWindow* Window = MessageWindow();
    ASSERT_NE(Window, nullptr);
    EXPECT_TRUE(Window->Style().FClickThrough);
    EXPECT_TRUE(Window->Style().FTopMost);
    EXPECT_EQ(Window->BringToFrontCount(), 0);

    // Each press replaces the message on screen in the same window.
    ButtonEvent(MUTE_KEY);
    EXPECT_EQ(Shown(), u"Microphone muted");
    EXPECT_TRUE(FSim.FAudio.MicrophoneMuted());
    ButtonEvent(MUTE_KEY);
    EXPECT_EQ(Shown(), u"Microphone on");
    FSim.FAudio.SetMicrophonePresent(false);
    ButtonEvent(MUTE_KEY);
    EXPECT_EQ(Shown(), u"No microphone found");
    EXPECT_EQ(MessageWindow(), Window);

    // Fully shown for 1.5 s from the last message, then faded and gone with its window.
    FSim.AdvanceTime(MESSAGE_SHOWN_MS - 10);
    EXPECT_EQ(Window->Opacity(), 255);
    FSim.AdvanceTime(10 + 3 * MESSAGE_FADE_STEP_MS);
    ASSERT_EQ(MessageWindow(), Window);
    EXPECT_LT(Window->Opacity(), 255);
    EXPECT_GT(Window->Opacity(), 0);
    FSim.AdvanceTime(MESSAGE_FADE_STEPS * MESSAGE_FADE_STEP_MS);
    EXPECT_EQ(MessageWindow(), nullptr);

    // A playback into an elevated window is warned of, and runs all the same.
    FSim.FWindows.SetForegroundElevated(true);
    ButtonEvent(PLAY_KEY);
    EXPECT_EQ(Shown(), u"The active window runs as administrator: the macro cannot reach it");
    FSim.Settle();
    EXPECT_FALSE(FSim.FInput.Events().empty()) << "the playback did not run";
}

TEST_F(OnScreenMessageTest, MessagesFollowTheLanguageAndConfigIniCanTurnThemOff) {
    StartMonitor(CHINESE);
    ButtonEvent(PROFILE_0_SELECTED);
    EXPECT_EQ(Shown(), u"已切换到方案 1");
    ButtonEvent(MUTE_KEY);
    EXPECT_EQ(Shown(), u"麦克风已静音");
    FMain.reset();

    WriteConfigIni("[Monitor]\r\nOnScreenMessages=0\r\n");
    StartMonitor(ENGLISH);
    ButtonEvent(PROFILE_1_SELECTED);
    ButtonEvent(MUTE_KEY);
    EXPECT_EQ(MessageWindow(), nullptr);
    EXPECT_FALSE(FSim.FAudio.MicrophoneMuted()) << "only the message is off, not the button";
}

// The other switch of config.ini: the button still mutes and says so, but the icon stays plain
// and nothing follows the default microphone.
TEST_F(OnScreenMessageTest, WithTheTrayStateOffTheIconStaysPlainWhateverTheMicrophoneDoes) {
    WriteConfigIni("[Monitor]\r\nTrayMicrophoneState=0\r\n");
    StartMonitor();
    ButtonEvent(MUTE_KEY);
    EXPECT_EQ(Shown(), u"Microphone muted");
    FSim.FAudio.SetMicrophoneMuted(false);
    FSim.FAudio.SetMicrophonePresent(false);
    FSim.Settle();
    EXPECT_EQ(FSim.FTray.Variant(), platform::TTrayIconVariant::Plain);
    EXPECT_EQ(FSim.FTray.Hint(), FMain->TrayHint());
    EXPECT_EQ(FSim.FAudio.RegisteredDeviceCallbacks(), 0u);
}

TEST_F(OnScreenMessageTest, ARecordingCountsItsStepsSaysWhenFullAndTellsHowTheUploadWent) {
    StartMonitor();
    ButtonEvent(RECORD_KEY);
    EXPECT_EQ(OverlayCounter().FText, u"0 / 127");
    for (int Step = 1; Step <= 117; ++Step) {
        Click(Step % 2 == 1 ? platform::WM_LBUTTONDOWN_MSG : platform::WM_LBUTTONUP_MSG);
    }
    const platform::TSceneItem Before = OverlayCounter();
    EXPECT_EQ(Before.FText, u"117 / 127");
    Click(platform::WM_RBUTTONDOWN_MSG);
    EXPECT_EQ(OverlayCounter().FText, u"118 / 127");
    EXPECT_NE(OverlayCounter().FFill, Before.FFill) << "the last ten steps warn";
    EXPECT_EQ(MessageWindow(), nullptr);

    for (int Step = 119; Step <= 130; ++Step) {
        Click(Step % 2 == 1 ? platform::WM_RBUTTONDOWN_MSG : platform::WM_RBUTTONUP_MSG);
    }
    EXPECT_EQ(FMain->FMacroInfo.MacroListCount, 127);
    EXPECT_EQ(FMain->RecordOverlay()->Lines().size(), 127u) << "nothing past the limit is listed";
    EXPECT_EQ(OverlayItems().end()[-2].FText, u"Recording full: 127 steps");
    EXPECT_EQ(Shown(), u"Recording full: 127 steps");

    ButtonEvent(RECORD_KEY);
    EXPECT_EQ(Shown(), u"Macro recorded: 127 steps");

    // The mouse is gone when the next recording is stored: it is kept, but not in the mouse.
    ButtonEvent(RECORD_KEY);
    Click(platform::WM_LBUTTONDOWN_MSG);
    FMouse.Unplug();
    ButtonEvent(RECORD_KEY);
    EXPECT_EQ(Shown(), u"Macro recorded, but the mouse could not be updated");
}

} // namespace
} // namespace vanto
