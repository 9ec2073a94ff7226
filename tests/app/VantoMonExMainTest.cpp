#include "app/VantoMonExMain.h"

#include "app/AboutScene.h"
#include "i18n/Translate.h"
#include "platform/sim/SimMouse.h"
#include "platform/sim/SimPlatform.h"
#include "shared/ConfigAppInterface.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

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
using testing::ElementsAre;

std::vector<std::u16string> SceneTexts(const platform::TScene& AScene) {
    std::vector<std::u16string> Texts;
    for (const platform::TSceneItem& Item : AScene.Items) {
        if (Item.FKind == platform::TSceneItemKind::Text) {
            Texts.push_back(Item.FText);
        }
    }
    return Texts;
}

struct TMessage {
    TMessageId FMsg;
    TWParam FWParam;
    TLParam FLParam;
    friend bool operator==(const TMessage&, const TMessage&) = default;
};

class VantoMonExMainTest : public testing::Test {
protected:
    VantoMonExMainTest() {
        FMouse.PlugInto(FSim.FHid);
        FDM.DataModuleCreate();
        FMain = std::make_unique<TVantoMonExMain>(FSim.Platform(), FDM);
        FMain->uiLanguage1.OnLanguageChanged = [this](TuiLanguage&, const std::u16string& AId,
                                                      const std::u16string&) {
            FSelected.push_back(AId);
        };
        FMain->FormCreate();
    }
    ~VantoMonExMainTest() override {
        FMain.reset();
        std::error_code Error;
        std::filesystem::remove_all(FRoot, Error);
    }

    // The configuration application: it records what it gets and answers as told.
    void StartConfigApp() {
        FConfigApp = FSim.FWindows.CreateHiddenWindow(
            CONFIG_APP_WINDOW_CLASS, u"", [this](TMessageId AMsg, TWParam AW, TLParam AL) {
                FConfigAppGot.push_back({AMsg, AW, AL});
                if (FConfigAppAnswer) {
                    FConfigAppAnswer(AMsg, AW);
                }
                return platform::TMessageResult{0};
            });
    }

    std::size_t MouseOpens() { return FSim.FHid.ReadOpens(FMouse.VendorPath()); }

    void StoreLanguage(std::uint8_t ALanguage) {
        auto All = std::make_unique<TALLGAMESINFO>(FDM.AllProfileSettingInfo());
        All->CurrentLanguage = ALanguage;
        Store(u"VantoProfile.pfd", *All);
    }

    template <typename TRecord> void Store(const std::u16string& AName, const TRecord& ARecord) {
        FSim.FRegistry.WriteBinaryValue(VANTO_REGISTRY_KEY, AName, &ARecord, sizeof(ARecord));
    }

    std::filesystem::path FRoot = std::filesystem::temp_directory_path() /
                                  ("vanto-main-" + std::to_string(std::random_device{}()));
    sim::TSimPlatform FSim{FRoot};
    sim::TSimMouse FMouse;
    TDM FDM{FSim.FRegistry, FSim.FFiles, FSim.FShell, FSim.FIni, FSim.FLocale, FSim.FClock};
    std::unique_ptr<TVantoMonExMain> FMain;
    platform::TWindowHandle FConfigApp = 0;
    std::vector<TMessage> FConfigAppGot;
    std::function<void(TMessageId, TWParam)> FConfigAppAnswer;
    std::vector<std::u16string> FSelected;
};

TEST_F(VantoMonExMainTest, TheConfigAppFindsTheMonitorByItsClass) {
    EXPECT_EQ(FSim.FWindows.FindTopWindow(MONITOR_WINDOW_CLASS), FMain->Handle());
    EXPECT_TRUE(FSim.FTray.Visible());
    // A fresh English system stores language 0, the carried table's Chinese.
    EXPECT_EQ(FSim.FTray.Hint(), u"游戏鼠标驱动");
}

TEST_F(VantoMonExMainTest, TheMouseOpensThreeSecondsAfterStartUpAndItsPressesAreDispatched) {
    FSim.FWindows.AdvanceTime(2999);
    EXPECT_EQ(MouseOpens(), 0u);
    FSim.FWindows.AdvanceTime(1);
    EXPECT_GT(MouseOpens(), 0u);
    EXPECT_EQ(FSim.FHid.OpenReadHandles(FMouse.VendorPath()), 1u);
    EXPECT_EQ(FSim.FHid.OpenReadHandles(FMouse.SystemMousePath()), 0u);

    // The factory profile has the record button at 7: its press reaches the dispatcher.
    int Toggles = 0;
    FMain->OnButtonAction = [&](const TButtonAction& AAction) {
        Toggles += AAction == TButtonAction{EButtonAction::ToggleMacroRecording, 7};
    };
    FMouse.PressButton(7);
    FSim.Settle();
    EXPECT_EQ(Toggles, 1);
    EXPECT_THAT(FSim.FDebug.Lines(), testing::Contains(u"KeyIndex = 7 postmessage record!"));
}

TEST_F(VantoMonExMainTest, ThePlayButtonReplaysMacroZeroAndTheMuteButtonTogglesTheMicrophone) {
    FSim.FWindows.AdvanceTime(3000);
    FMouse.PressButton(6); // the factory play-macro button
    FSim.Settle();
    ASSERT_EQ(FSim.FInput.Events().size(), 4u);
    EXPECT_EQ(FSim.FInput.Events()[3].AtMs - FSim.FInput.Events()[0].AtMs, 27u);
    EXPECT_FALSE(FMain->FFlags.MacroPlaying);

    FDM.EditCurrentProfileInfo().ConfigInfo.ButtonFuncInfo[2].nFunctionType =
        FUNCTION_TYPE_MICROPHONE_MUTE;
    const bool Before = FSim.FAudio.MicrophoneMuted();
    FMouse.PressButton(2);
    FSim.Settle();
    EXPECT_NE(FSim.FAudio.MicrophoneMuted(), Before);
}

// The factory profile has no mute button, and then the monitor holds no audio object at all. A
// profile with one brings the microphone's state to the icon, which follows a new default
// microphone too; a profile without one lets everything go again.
TEST_F(VantoMonExMainTest, TheMicrophoneIsWatchedOnlyWhileTheProfileHasAMuteButton) {
    using platform::TTrayIconVariant;
    EXPECT_EQ(FSim.FAudio.EnumeratorsCreated(), 0u);
    EXPECT_EQ(FSim.FTray.Variant(), TTrayIconVariant::Plain);
    const auto Factory = std::make_unique<TMouseProfileInfo>(FDM.CurrentProfileInfo());
    auto WithMute = std::make_unique<TMouseProfileInfo>(*Factory);
    WithMute->ConfigInfo.ButtonFuncInfo[4].nFunctionType = FUNCTION_TYPE_MICROPHONE_MUTE;
    Store(u"VantoProfile1.pfd", *WithMute);
    FSim.FWindows.Send(FMain->Handle(), WM_CFG_PROFILE_CHANGED, 0, 0);
    EXPECT_EQ(FSim.FTray.Variant(), TTrayIconVariant::MicrophoneLive);
    EXPECT_EQ(FSim.FTray.Hint(), FMain->TrayHint() + u"\n" + Translate(u"Microphone on"));

    // A headset becomes the default; muting it from elsewhere reaches the icon only when the
    // monitor moved its listener to the headset.
    FSim.FAudio.SetDefaultMicrophone(FSim.FAudio.AddMicrophone());
    FSim.Settle();
    FSim.FAudio.SetMicrophoneMuted(true);
    FSim.Settle();
    EXPECT_EQ(FSim.FTray.Variant(), TTrayIconVariant::MicrophoneMuted);
    EXPECT_FALSE(FSim.FAudio.MicrophoneMuted(0));

    Store(u"VantoProfile1.pfd", *Factory);
    FSim.FWindows.Send(FMain->Handle(), WM_CFG_PROFILE_CHANGED, 0, 0);
    EXPECT_EQ(FSim.FTray.Variant(), TTrayIconVariant::Plain);
    EXPECT_EQ(FSim.FTray.Hint(), FMain->TrayHint());
    EXPECT_EQ(FSim.FAudio.RegisteredCallbacks(), 0u);
    EXPECT_EQ(FSim.FAudio.RegisteredDeviceCallbacks(), 0u);
}

TEST_F(VantoMonExMainTest, ABurstOfArrivalsGivesOneReopenAfterTheLast) {
    FSim.FWindows.AdvanceTime(3000);
    const std::size_t Opened = MouseOpens();
    for (int I = 0; I < 5; ++I) {
        sim::TSimMouse Other(sim::TSimMouseIdentity{
            {u"HID\\VID_1234&PID_0001"}, u"other" + std::u16string(1, char16_t(u'0' + I))});
        Other.PlugInto(FSim.FHid);
        Other.Unplug();
        FSim.FWindows.AdvanceTime(I < 4 ? 500 : 0);
    }
    FSim.FWindows.AdvanceTime(1499);
    EXPECT_EQ(MouseOpens(), Opened);
    FSim.FWindows.AdvanceTime(1);
    EXPECT_GT(MouseOpens(), Opened);
    const std::size_t Reopened = MouseOpens();
    FSim.FWindows.AdvanceTime(10000);
    EXPECT_EQ(MouseOpens(), Reopened);
    EXPECT_EQ(FSim.FHid.OpenReadHandles(FMouse.VendorPath()), 1u);
}

TEST_F(VantoMonExMainTest, UnplugAndPlugOpenTheMouseAgain) {
    FSim.FWindows.AdvanceTime(3000);
    FMouse.Unplug();
    FSim.Settle();
    const std::size_t Opened = MouseOpens();
    FMouse.PlugInto(FSim.FHid);
    FSim.FWindows.AdvanceTime(1500);
    EXPECT_GT(MouseOpens(), Opened);
    EXPECT_EQ(FSim.FHid.OpenReadHandles(FMouse.VendorPath()), 1u);
}

TEST_F(VantoMonExMainTest, AProfileSwitchOnTheMouseIsStoredAndTheConfigAppsAnswerReloads) {
    StartConfigApp();
    // The configuration application carries out the switch, then tells the monitor.
    FConfigAppAnswer = [this](TMessageId AMsg, TWParam AW) {
        if (AMsg != WM_PROFILE_SWITCH) {
            return;
        }
        auto Group = std::make_unique<TProfileSettingGroup>(FDM.ProfileSettingGroup());
        Group->CurrentProfileGroup = static_cast<std::int32_t>(AW);
        Group->ProfileIndexOfProfileGroup[1] = 3;
        Store(u"VantoProfileSettingGroup.pfd", *Group);
        auto Profile = std::make_unique<TMouseProfileInfo>();
        Profile->ConfigInfo.ButtonFuncInfo[2].nFunctionType = FUNCTION_TYPE_MICROPHONE_MUTE;
        Store(u"VantoProfile4.pfd", *Profile);
        FSim.FWindows.Send(FMain->Handle(), WM_CFG_PROFILE_CHANGED, 0, static_cast<TLParam>(AW));
    };
    FSim.FWindows.AdvanceTime(3000);
    FMouse.SwitchProfile(1);
    FSim.Settle();

    EXPECT_THAT(FConfigAppGot, ElementsAre(TMessage{WM_PROFILE_SWITCH, 1, 0}));
    EXPECT_EQ(FDM.ProfileGroupIndex(), 1);
    EXPECT_EQ(FDM.ProfileIndex(), 3);
    auto ProfileID = FSim.FRegistry.ReadValue(VANTO_REGISTRY_KEY, PROFILE_ID_VALUE_NAME);
    ASSERT_TRUE(ProfileID);
    EXPECT_EQ(ProfileID->FData[0], 1);
    // Any program can send the answer: a profile the mouse does not have is not stored.
    for (TLParam Wrong : {TLParam{-5}, TLParam{2}}) {
        FSim.FWindows.Send(FMain->Handle(), WM_CFG_PROFILE_CHANGED, 0, Wrong);
        EXPECT_EQ(FSim.FRegistry.ReadValue(VANTO_REGISTRY_KEY, PROFILE_ID_VALUE_NAME)->FData,
                  ProfileID->FData);
    }
    // The next press is dispatched by the profile just loaded.
    int Mutes = 0;
    FMain->OnButtonAction = [&](const TButtonAction& AAction) {
        Mutes += AAction.FKind == EButtonAction::MicrophoneMute;
    };
    FMouse.PressButton(2);
    FSim.Settle();
    EXPECT_EQ(Mutes, 1);
}

TEST_F(VantoMonExMainTest, StartUpAndSettingsChangedApplyTheStoredLanguage) {
    EXPECT_THAT(FSelected, ElementsAre(u"CH"));
    EXPECT_THAT(FMain->MenuCaptions(), ElementsAre(u"打开配置", u"关于软件", u"退出软件"));
    EXPECT_EQ(FMain->ApplicationTitle(), u"Gaming Mouse Monitor");

    StoreLanguage(1);
    FSim.FWindows.Send(FMain->Handle(), WM_CFG_SETTINGS_CHANGED, 0, 0);
    EXPECT_THAT(FSelected, ElementsAre(u"CH", u"US"));
    EXPECT_EQ(FDM.AllProfileSettingInfo().CurrentLanguage, 1);
    EXPECT_EQ(FSim.FTray.Hint(), u"Gaming Mouse Driver");
    EXPECT_THAT(FMain->MenuCaptions(), ElementsAre(u"Config", u"About", u"Exit"));
    FSim.FTray.Click(platform::TRAY_RIGHT_BUTTON_UP);
    ASSERT_EQ(FSim.FTray.LastMenu().size(), 3u);
    EXPECT_EQ(FSim.FTray.LastMenu()[2].FCaption, u"Exit");

    // The same choice again selects nothing anew.
    FSim.FWindows.Send(FMain->Handle(), WM_CFG_SETTINGS_CHANGED, 0, 0);
    EXPECT_EQ(FSelected.size(), 2u);

    // A position past the list gives an empty id, which leaves the English table active.
    StoreLanguage(2);
    FSim.FWindows.Send(FMain->Handle(), WM_CFG_SETTINGS_CHANGED, 0, 0);
    EXPECT_THAT(FSelected, ElementsAre(u"CH", u"US", u""));
    EXPECT_EQ(FDM.AllProfileSettingInfo().CurrentLanguage, 2);
    EXPECT_EQ(Translate(u"Lock PC"), u"Lock Computer");
}

TEST_F(VantoMonExMainTest, TheAboutWindowShowsAndFollowsTheLanguage) {
    ASSERT_TRUE(FSim.FTray.ChooseMenuItem(u"关于软件"));
    FSim.FWindows.ProcessPendingMessages();
    sim::TSimSceneWindow& About = *FSim.FScenes.Windows()[0];
    EXPECT_THAT(SceneTexts(About.Scene()), ElementsAre(u"硬件与软件信息：", u"硬件版本：1.00.00",
                                                       u"软件版本：1.00.00", u"确定"));

    // Shown while the language changes, it is drawn again at once.
    StoreLanguage(1);
    FSim.FWindows.Send(FMain->Handle(), WM_CFG_SETTINGS_CHANGED, 0, 0);
    EXPECT_THAT(SceneTexts(About.Scene()),
                ElementsAre(u"Hardware & Software Information:", u"Hardware Core:1.00.00",
                            u"Software Core:1.00.00", u"OK"));
}

TEST_F(VantoMonExMainTest, AWrongTypedStoredValueDoesNotStopTheMonitor) {
    FSim.FRegistry.WriteRawValue(VANTO_REGISTRY_KEY, u"VantoProfile.pfd",
                                 {platform::TRegValueType::String, {'x', 0}});
    EXPECT_NO_THROW(FSim.FWindows.Send(FMain->Handle(), WM_CFG_SETTINGS_CHANGED, 0, 0));
    EXPECT_NO_THROW(FSim.FWindows.Send(FMain->Handle(), WM_CFG_PROFILE_CHANGED, 0, 1));
    EXPECT_EQ(FSim.FRegistry.ReadValue(VANTO_REGISTRY_KEY, PROFILE_ID_VALUE_NAME)->FData[0], 1);
}

TEST_F(VantoMonExMainTest, ExitTellsTheConfigAppAndEndsTheLoop) {
    StartConfigApp();
    EXPECT_TRUE(FSim.FTray.ChooseMenuItem(u"退出软件"));
    EXPECT_EQ(FSim.FWindows.RunMessageLoop(), 0);
    EXPECT_THAT(FConfigAppGot, ElementsAre(TMessage{WM_MONITOR_EXIT, 0, 0}));
}

TEST_F(VantoMonExMainTest, ConfigBringsTheRunningAppForwardOrStartsItByItsFullPath) {
    // A double click starts it once; a click long after a start that never showed a window
    // tries again.
    FSim.FTray.Click(platform::TRAY_LEFT_BUTTON_UP);
    FSim.FTray.Click(platform::TRAY_LEFT_BUTTON_UP);
    ASSERT_EQ(FSim.FShell.Started().size(), 1u);
    EXPECT_EQ(FSim.FShell.Started()[0].FFile, u"C:\\Program Files\\Vanto\\VantoCfg.exe");
    EXPECT_EQ(FSim.FShell.Started()[0].FWorkingFolder, u"C:\\Program Files\\Vanto");
    FSim.FWindows.AdvanceTime(CONFIG_APP_START_MS);
    FSim.FTray.Click(platform::TRAY_LEFT_BUTTON_UP);
    EXPECT_EQ(FSim.FShell.Started().size(), 2u);

    StartConfigApp();
    FSim.FWindows.Send(FMain->Handle(), platform::WM_COMMAND_MESSAGE, CONFIG_COMMAND, 0);
    EXPECT_EQ(FSim.FShell.Started().size(), 2u);
    EXPECT_EQ(FSim.FWindows.Foreground(), FConfigApp);
}

TEST_F(VantoMonExMainTest, AboutShowsTheWindowAndOkHidesIt) {
    ASSERT_TRUE(FSim.FTray.ChooseMenuItem(u"关于软件"));
    FSim.FWindows.ProcessPendingMessages();
    ASSERT_EQ(FSim.FScenes.Windows().size(), 1u);
    sim::TSimSceneWindow& About = *FSim.FScenes.Windows()[0];
    EXPECT_TRUE(About.IsVisible());
    EXPECT_EQ(About.Scene().Width, 504);
    EXPECT_EQ(About.Scene().Height, 335);
    FSim.FWindows.AdvanceTime(ABOUT_FRONT_DELAY_MS);
    EXPECT_EQ(FSim.FWindows.Foreground(), About.Handle());

    ASSERT_TRUE(About.ClickAt(ABOUT_OK_BUTTON.X + 40, ABOUT_OK_BUTTON.Y + 13));
    FSim.FWindows.ProcessPendingMessages();
    EXPECT_FALSE(FMain->AboutVisible());
}

TEST_F(VantoMonExMainTest, TheIconComesBackWhenTheTaskbarIsCreatedAgain) {
    FSim.FWindows.Send(FMain->Handle(), sim::TSimTrayIcon::TASKBAR_CREATED, 0, 0);
    EXPECT_EQ(FSim.FTray.AddCount(), 2);
    EXPECT_TRUE(FSim.FTray.Visible());
}

TEST_F(VantoMonExMainTest, ResumingFromSleepOpensTheMouseAgain) {
    FSim.FWindows.AdvanceTime(3000);
    const std::size_t Opened = MouseOpens();
    FSim.FWindows.Send(FMain->Handle(), platform::WM_POWERBROADCAST_MESSAGE,
                       platform::PBT_APMRESUMEAUTOMATIC_EVENT, 0);
    FSim.FWindows.AdvanceTime(1500);
    EXPECT_GT(MouseOpens(), Opened);
}

} // namespace
} // namespace vanto
