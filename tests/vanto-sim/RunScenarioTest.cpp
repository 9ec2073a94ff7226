#include "SimRunner.h"

#include "CtlRun.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace vanto::simrun {
namespace {

using testing::Contains;
using testing::HasSubstr;
using testing::IsEmpty;

struct TTraceLine {
    std::uint64_t FMs = 0;
    std::string FText;
};

// A finished run, with its trace split into stamped lines. Lines are looked up by their start,
// not compared whole: reader threads may put their lines a little earlier or later.
struct TRun {
    int FStatus = 0;
    std::string FErr;
    std::vector<TTraceLine> FLines;

    std::vector<TTraceLine> Starting(std::string_view APrefix) const {
        std::vector<TTraceLine> Found;
        std::copy_if(FLines.begin(), FLines.end(), std::back_inserter(Found),
                     [&](const TTraceLine& L) { return L.FText.starts_with(APrefix); });
        return Found;
    }
    // Position of the first line at or after AFrom that starts with APrefix; -1 when none.
    long IndexOf(std::string_view APrefix, long AFrom = 0) const {
        for (long I = std::max(AFrom, 0L); I < static_cast<long>(FLines.size()); ++I) {
            if (FLines[I].FText.starts_with(APrefix)) {
                return I;
            }
        }
        return -1;
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> Texts;
        for (const TTraceLine& Line : FLines) {
            Texts.push_back(Line.FText);
        }
        return Texts;
    }
};

TRun RunText(const std::string& AScenario, const TSimOptions& AOptions = {}) {
    std::istringstream In(AScenario);
    std::ostringstream Trace;
    std::ostringstream Err;
    TRun Result;
    Result.FStatus = RunScenario(In, Trace, Err, AOptions);
    Result.FErr = Err.str();
    std::istringstream Lines(Trace.str());
    for (std::string Line; std::getline(Lines, Line);) {
        unsigned long long Ms = 0;
        int Used = 0;
        if (std::sscanf(Line.c_str(), "[%llu ms] %n", &Ms, &Used) == 1 && Used > 0) {
            Result.FLines.push_back({Ms, Line.substr(static_cast<std::size_t>(Used))});
        } else {
            const std::size_t Text = Line.find_first_not_of(' ');
            const std::uint64_t Last = Result.FLines.empty() ? 0 : Result.FLines.back().FMs;
            Result.FLines.push_back({Last, Text == std::string::npos ? "" : Line.substr(Text)});
        }
    }
    return Result;
}

constexpr char MOUSE_OPENED[] = "mouse opened: ";
constexpr char PROFILE_FOLDER[] = "C:\\Users\\Ann\\Documents\\Vanto Gaming Mouse\\";

TEST(RunScenarioTest, AFirstStartCreatesTheFactoryProfilesAndOpensTheMouseAboutThreeSecondsIn) {
    const TRun Run1 = RunText("wait 2999\nwait 1\n");
    ASSERT_EQ(Run1.FStatus, 0) << Run1.FErr;
    for (int Profile = 1; Profile <= 5; ++Profile) {
        EXPECT_THAT(Run1.Texts(),
                    Contains(std::string("file write: ") + PROFILE_FOLDER + "VantoProfile" +
                             std::to_string(Profile) + ".pfd (109816 bytes)"));
    }
    // A fresh English system stores language 0: the carried table's Chinese.
    EXPECT_THAT(Run1.Texts(), Contains("tray: icon shown, hint \"游戏鼠标驱动\""));
    const auto Opened = Run1.Starting(MOUSE_OPENED);
    ASSERT_EQ(Opened.size(), 1u);
    EXPECT_THAT(Opened[0].FText, HasSubstr("col02")); // the vendor collection, not the pointer
    EXPECT_GE(Opened[0].FMs, 3000u);
    EXPECT_LE(Opened[0].FMs, 3100u);
    EXPECT_GT(Run1.IndexOf(MOUSE_OPENED), Run1.IndexOf("> wait 1"));
}

TEST(RunScenarioTest, ABurstOfArrivalsGivesOneReopenFifteenHundredMsAfterTheLast) {
    std::string Scenario = "wait 3000\n";
    for (int I = 0; I < 5; ++I) {
        Scenario += I == 0 ? "hid-arrival\n" : "wait 500\nhid-arrival\n";
    }
    Scenario += "wait 1499\nwait 1\nwait 5000\n";
    const TRun Burst = RunText(Scenario);
    ASSERT_EQ(Burst.FStatus, 0) << Burst.FErr;

    const auto Arrivals = Burst.Starting("> hid-arrival");
    ASSERT_EQ(Arrivals.size(), 5u);
    EXPECT_EQ(Arrivals[4].FMs - Arrivals[0].FMs, 2000u);
    const auto Opened = Burst.Starting(MOUSE_OPENED);
    ASSERT_EQ(Opened.size(), 2u); // the first open at start-up, then exactly one reopen
    EXPECT_GE(Opened[1].FMs, Arrivals[4].FMs + 1500);
    EXPECT_LE(Opened[1].FMs, Arrivals[4].FMs + 1600);
    const long LastMs = Burst.IndexOf("> wait 1", Burst.IndexOf("> wait 1499") + 1);
    EXPECT_GT(Burst.IndexOf(MOUSE_OPENED, Burst.IndexOf(MOUSE_OPENED) + 1), LastMs);
}

TEST(RunScenarioTest, AProfileSwitchOnTheMouseIsStoredSentAndTheAnswerReloads) {
    const TRun Switch = RunText("wait 3000\nprofile 1\ndump profile\n");
    ASSERT_EQ(Switch.FStatus, 0) << Switch.FErr;
    const long Stored = Switch.IndexOf("registry write: software\\VantoGamingMouse\\ProfileID = "
                                       "dword 1");
    const long Sent = Switch.IndexOf("cfg <- 7040 WM_PROFILE_SWITCH w=1 l=0");
    const long Answer = Switch.IndexOf("cfg -> 7035 WM_CFG_PROFILE_CHANGED w=0 l=1");
    const long Reload = Switch.IndexOf(
        "registry read: software\\VantoGamingMouse\\VantoProfileSettingGroup.pfd", Answer);
    ASSERT_GE(Stored, 0);
    EXPECT_LT(Stored, Sent);
    EXPECT_LT(Sent, Answer);
    EXPECT_LT(Answer, Reload);
    // The answer stores the profile ID it carries once more.
    EXPECT_GT(
        Switch.IndexOf("registry write: software\\VantoGamingMouse\\ProfileID = dword 1", Reload),
        Reload);
    EXPECT_THAT(Switch.Texts(), Contains("profile: group 1, game profile 1"));
}

TEST(RunScenarioTest, WithoutTheConfigAppASwitchIsStoredButNothingIsReloaded) {
    const TRun Switch = RunText("cfg-stop\nwait 3000\nprofile 0\ndump profile\n");
    ASSERT_EQ(Switch.FStatus, 0) << Switch.FErr;
    EXPECT_GE(Switch.IndexOf("registry write: software\\VantoGamingMouse\\ProfileID = dword 0"), 0);
    EXPECT_THAT(Switch.Starting("cfg <- "), IsEmpty());
    EXPECT_THAT(Switch.Texts(), Contains("profile: group 0, game profile 0"));
}

TEST(RunScenarioTest, SettingsChangedReappliesTheStoredLanguage) {
    const TRun Language =
        RunText("set-language 3\nwait 10\ncfg-send WM_CFG_SETTINGS_CHANGED 0 0\n");
    ASSERT_EQ(Language.FStatus, 0) << Language.FErr;
    const long Stored = Language.IndexOf("cfg: stored CurrentLanguage = 3 in VantoProfile.pfd");
    const long Notice = Language.IndexOf("cfg -> 7037 WM_CFG_SETTINGS_CHANGED w=0 l=0");
    // Position 3 is past the language list: an empty id, which keeps the table as it is.
    const long Selected = Language.IndexOf("language: selected \"\"");
    ASSERT_GE(Stored, 0);
    // Storing alone tells the monitor nothing; the notice makes it read and apply.
    EXPECT_LT(Stored, Notice);
    EXPECT_LT(Notice, Selected);
    EXPECT_GE(Language.IndexOf("tray: hint", Selected), 0);
}

TEST(RunScenarioTest, TheLanguageScenarioGoesFromChineseToEnglishWhileRecording) {
    std::ifstream Scenario(std::filesystem::path(VANTO_SCENARIOS) / "language.vsim");
    ASSERT_TRUE(Scenario.is_open());
    std::ostringstream Text;
    Text << Scenario.rdbuf();
    const TRun Run = RunText(Text.str());
    ASSERT_EQ(Run.FStatus, 0) << Run.FErr;

    // Choosing Chinese again selects nothing anew; English does.
    const auto Selections = Run.Starting("language: ");
    ASSERT_EQ(Selections.size(), 2u);
    EXPECT_EQ(Selections[0].FText, "language: selected \"CH\"");
    EXPECT_EQ(Selections[1].FText, "language: selected \"US\"");
    const auto Menus = Run.Starting("tray: menu ");
    ASSERT_EQ(Menus.size(), 3u);
    EXPECT_EQ(Menus[0].FText, "tray: menu 打开配置 | 关于软件 | 退出软件");
    EXPECT_EQ(Menus[1].FText, "tray: menu Config | About | Exit");
    const auto About = Run.Starting("about window shown");
    ASSERT_EQ(About.size(), 2u);
    EXPECT_THAT(About[0].FText,
                HasSubstr("硬件与软件信息： | 硬件版本：1.00.00 | 软件版本：1.00.00 | 确定"));
    EXPECT_THAT(About[1].FText, HasSubstr("Hardware & Software Information: | "
                                          "Hardware Core:1.00.00 | Software Core:1.00.00 | OK"));

    // The overlay, in Chinese until the notice, is drawn again in English at the notice.
    const long Notice = Run.IndexOf("cfg -> 7037", Run.IndexOf("> set-language 1"));
    const long Chinese = Run.IndexOf("record window shown (372x100): 录制中... | 左键按下 | "
                                     "60毫秒 | 左键放开");
    const long English = Run.IndexOf("record window shown (372x100): Recording... | "
                                     "Mouse ClickDown | 60ms | Mouse ClickUp",
                                     Notice);
    ASSERT_GE(Chinese, 0);
    EXPECT_LT(Chinese, Notice);
    EXPECT_GT(English, Notice);
    EXPECT_LT(English, Run.IndexOf("> click right"));
    EXPECT_EQ(Run.IndexOf("tray: hint \"Gaming Mouse Driver\"", Notice),
              Run.IndexOf("tray: hint", Notice));
}

TEST(RunScenarioTest, ALongPlaybackLeavesTheMonitorFreeAndEndsWithTheSession) {
    std::ifstream Scenario(std::filesystem::path(VANTO_SCENARIOS) / "long-playback.vsim");
    ASSERT_TRUE(Scenario.is_open());
    std::ostringstream Text;
    Text << Scenario.rdbuf();
    const TRun Run = RunText(Text.str());
    ASSERT_EQ(Run.FStatus, 0) << Run.FErr;

    EXPECT_GE(Run.IndexOf("debug: play macro refused: a recording is running"), 0);
    // The recorded seven seconds are cut at the end of the session, three seconds in.
    const auto Inputs = Run.Starting("input at ");
    ASSERT_EQ(Inputs.size(), 2u);
    EXPECT_EQ(Inputs[0].FText, "input at 10050 ms: mouse left down");
    EXPECT_EQ(Inputs[1].FText, "input at 13050 ms: mouse left up");
    const long Down = Run.IndexOf(Inputs[0].FText);
    const long Up = Run.IndexOf(Inputs[1].FText);
    // Meanwhile the loop handled the mute button, the second play press and the About window.
    for (const char* During :
         {"action: microphone mute, the microphone is now muted",
          "debug: play macro ignored: a playback is running", "about window hidden"}) {
        const long At = Run.IndexOf(During);
        EXPECT_GT(At, Down) << During;
        EXPECT_LT(At, Up) << During;
    }
    EXPECT_EQ(Run.Starting("debug: play macro").size(), 4u); // refused, played, ignored, stopped
    EXPECT_EQ(Run.IndexOf("debug: play macro stopped"), Up + 1);
    EXPECT_EQ(Run.IndexOf("session: the monitor agrees"), Up + 2);
}

TEST(RunScenarioTest, ThePressedButtonsActionIsWhatTheDispatcherIsAskedFor) {
    const TRun Presses = RunText("wait 3000\npress 6\npress 7\npress 0\npress 21\nclick left\n");
    ASSERT_EQ(Presses.FStatus, 0) << Presses.FErr;
    const long Play = Presses.IndexOf("debug: KeyIndex = 6 postmessage record!");
    EXPECT_EQ(Presses.IndexOf("action: "), Play + 1);
    EXPECT_EQ(Presses.FLines[Play + 1].FText, "action: play macro");
    // The factory double click: down, 6 ms, up, 15 ms, down, 6 ms, up.
    EXPECT_GE(Presses.IndexOf("input at 3050 ms: mouse left down"), 0);
    EXPECT_GE(Presses.IndexOf("input at 3056 ms: mouse left up"), 0);
    EXPECT_GE(Presses.IndexOf("input at 3071 ms: mouse left down"), 0);
    EXPECT_GE(Presses.IndexOf("input at 3077 ms: mouse left up"), 0);
    EXPECT_THAT(Presses.Texts(), Contains("action: toggle macro recording for button 7, start"));
    // Button 0 is an ordinary button: the mouse does it, the monitor only logs the key.
    const long Plain = Presses.IndexOf("debug: KeyIndex = 0 postmessage record!");
    EXPECT_EQ(Presses.FLines[Plain + 1].FText, "> press 21");
    // Key index 21 selects profile 0 just as a profile report would.
    EXPECT_GE(Presses.IndexOf("cfg <- 7040 WM_PROFILE_SWITCH w=0 l=0"), 0);
    EXPECT_THAT(Presses.Texts(), Contains("user: left button down (recording)"));
}

TEST(RunScenarioTest, ARecordingIsListedStoredUploadedAnnouncedAndPlayedBack) {
    // In English, where the overlay's lines are their source strings.
    const TRun Run = RunText("set-language 1\ncfg-send WM_CFG_SETTINGS_CHANGED 0 0\n"
                             "cfg-start\nwait 3000\npress 7\nwait 400\nclick left\nwait 250\n"
                             "wheel down\nwait 100\npress 7\npress 6\n");
    ASSERT_EQ(Run.FStatus, 0) << Run.FErr;
    // The overlay keeps its newest four lines in view.
    EXPECT_GE(Run.IndexOf("record window shown (372x100): Recording... | Mouse ClickDown | 60ms | "
                          "Mouse ClickUp | 250ms"),
              0);
    EXPECT_GE(Run.IndexOf("record window shown (372x100): Recording... | 60ms | Mouse ClickUp | "
                          "250ms | Wheel Down(Mouse)"),
              0);
    // Stored, sent to the mouse, stored as the last recording, and only then announced.
    const long Profile =
        Run.IndexOf("registry write: software\\VantoGamingMouse\\VantoProfile1.pfd");
    const long Upload = Run.IndexOf("mouse <- feature report 3: write memory bank 0 @209 15 bytes "
                                    "(macro slot 0): 5 steps: button 1 down, delay 60 ms, "
                                    "button 1 up, delay 250 ms, wheel 1");
    const long Last = Run.IndexOf("registry write: software\\VantoGamingMouse\\RecordRPROFILE.pfd");
    const long Told = Run.IndexOf("cfg <- 7038 WM_MACRO_RECORDED w=0 l=0");
    ASSERT_GE(Profile, 0);
    EXPECT_LT(Profile, Upload);
    EXPECT_LT(Upload, Last);
    EXPECT_LT(Last, Told);
    EXPECT_GE(Run.IndexOf("record window hidden"), 0);
    // The play button replays it with the user's pauses.
    const auto Inputs = Run.Starting("input at ");
    ASSERT_EQ(Inputs.size(), 3u);
    const unsigned Start = std::stoul(Inputs[0].FText.substr(9));
    EXPECT_EQ(Inputs[1].FText, "input at " + std::to_string(Start + 60) + " ms: mouse left up");
    EXPECT_EQ(Inputs[2].FText, "input at " + std::to_string(Start + 310) + " ms: mouse wheel down");
}

TEST(RunScenarioTest, UnplugAndPlugOpenTheMouseAgain) {
    const TRun Replug = RunText("wait 3000\nunplug\npress 6\nplug\nwait 1500\nwait 100\npress 6\n");
    ASSERT_EQ(Replug.FStatus, 0) << Replug.FErr;
    const long Unplug = Replug.IndexOf("> unplug");
    EXPECT_EQ(Replug.IndexOf("debug: ERROR_DEVICE_NOT_CONNECTED"), Unplug + 1);
    EXPECT_THAT(Replug.Texts(), Contains("mouse: nobody reads the mouse, the press is lost"));
    const auto Plugged = Replug.Starting("> plug");
    const auto Opened = Replug.Starting(MOUSE_OPENED);
    ASSERT_EQ(Opened.size(), 2u);
    EXPECT_GE(Opened[1].FMs, Plugged[0].FMs + 1500);
    EXPECT_LE(Opened[1].FMs, Plugged[0].FMs + 1600);
    EXPECT_EQ(Replug.Starting("action: play macro").size(), 1u);
}

TEST(RunScenarioTest, AMouseThatKeepsFailingIsRestedGivenUpAndOpenedAgainAtTheNextArrival) {
    std::ifstream Scenario(std::filesystem::path(VANTO_SCENARIOS) / "failing-reads.vsim");
    ASSERT_TRUE(Scenario.is_open());
    std::ostringstream Text;
    Text << Scenario.rdbuf();
    const TRun Run = RunText(Text.str());
    ASSERT_EQ(Run.FStatus, 0) << Run.FErr;

    // Each failed read but the tenth is followed by a rest twice as long as the one before.
    const long Failing = Run.IndexOf("> mouse-read-error 31");
    const long Gone = Run.IndexOf("debug: ERROR_DEVICE_NOT_CONNECTED", Failing);
    ASSERT_GT(Gone, Failing);
    std::vector<std::string> Expected;
    for (unsigned Ms = 1; Ms <= 256; Ms *= 2) {
        Expected.push_back("mouse read failed: error 31");
        Expected.push_back("mouse reader rests " + std::to_string(Ms) + " ms");
    }
    Expected.push_back("mouse read failed: error 31");
    const std::vector<std::string> Texts = Run.Texts();
    EXPECT_EQ(std::vector<std::string>(Texts.begin() + Failing + 1, Texts.begin() + Gone),
              Expected);
    // Two reads took the first press and its release, the third is the first that failed.
    EXPECT_EQ(Run.FLines[Gone + 1].FText, "> dump mouse");
    EXPECT_EQ(Run.FLines[Gone + 2].FText,
              "mouse: plugged, 0 reader(s), 0 upload(s), 0 rejected report(s)");
    EXPECT_EQ(Run.FLines[Gone + 3].FText, "12 reads attempted");
    EXPECT_THAT(Texts, Contains("mouse: nobody reads the mouse, the press is lost"));

    const auto Opened = Run.Starting(MOUSE_OPENED);
    ASSERT_EQ(Opened.size(), 2u);
    const std::uint64_t Arrival = Run.Starting("> hid-arrival")[0].FMs;
    EXPECT_GE(Opened[1].FMs, Arrival + 1500);
    EXPECT_LE(Opened[1].FMs, Arrival + 1600);
    EXPECT_EQ(Run.Starting("action: play macro").size(), 2u);
    EXPECT_THAT(Texts, Contains("15 reads attempted"));
}

TEST(RunScenarioTest, ExitTellsTheConfigAppAndNothingMayFollow) {
    const TRun Exit = RunText("menu Exit\n");
    EXPECT_EQ(Exit.FStatus, 0) << Exit.FErr;
    const long Told = Exit.IndexOf("cfg <- 7036 WM_MONITOR_EXIT w=0 l=0");
    ASSERT_GE(Told, 0);
    EXPECT_GT(Exit.IndexOf("message loop ended, exit code 0"), Told);

    const TRun After = RunText("menu Exit\n\npress 1\n");
    EXPECT_EQ(After.FStatus, EXIT_SCENARIO_ERROR);
    EXPECT_EQ(After.FErr, "scenario:3: the monitor has exited; no command can follow 'menu "
                          "Exit'\n");
    EXPECT_THAT(After.Starting("> press"), IsEmpty());
}

TEST(RunScenarioTest, ConfigStartsTheConfigAppOnlyWhenItIsNotRunning) {
    const TRun Config = RunText("menu Config\ncfg-stop\ntray-click\n");
    ASSERT_EQ(Config.FStatus, 0) << Config.FErr;
    const auto Started = Config.Starting("shell: started ");
    ASSERT_EQ(Started.size(), 1u);
    EXPECT_EQ(Started[0].FText, "shell: started C:\\Program Files\\Vanto\\VantoCfg.exe in "
                                "C:\\Program Files\\Vanto");
    EXPECT_GT(Config.IndexOf("shell: started "), Config.IndexOf("> tray-click"));
}

TEST(RunScenarioTest, MistakesAreReportedByLineAndNothingRunsForABadLine) {
    const TRun Bad = RunText("wait 10\nprss 7\n");
    EXPECT_EQ(Bad.FStatus, EXIT_SCENARIO_ERROR);
    EXPECT_EQ(Bad.FErr, "scenario:2: unknown command 'prss'\n");
    EXPECT_THAT(Bad.FLines, IsEmpty());

    const TRun Stopped = RunText("cfg-stop\ncfg-send WM_CFG_SETTINGS_CHANGED 0 0\nwait 10\n");
    EXPECT_EQ(Stopped.FStatus, EXIT_SCENARIO_ERROR);
    EXPECT_THAT(Stopped.FErr, HasSubstr("scenario:2: cfg-send: the configuration application is "
                                        "not running"));
    EXPECT_THAT(Stopped.Starting("> wait"), IsEmpty());
}

TEST(RunScenarioTest, DumpsShowTheStoredValuesAndAnUntouchedMouse) {
    const TRun Dumps = RunText("dump registry\ndump mouse\nwait 3000\ndump mouse\n");
    ASSERT_EQ(Dumps.FStatus, 0) << Dumps.FErr;
    EXPECT_THAT(Dumps.Texts(), Contains("registry: software\\VantoGamingMouse, 2 values"));
    EXPECT_THAT(Dumps.Texts(), Contains("VantoProfile.pfd  REG_BINARY, 30954 bytes"));
    EXPECT_THAT(Dumps.Texts(), Contains("VantoProfileSettingGroup.pfd  REG_BINARY, 30964 bytes"));
    const auto Mouse = Dumps.Starting("mouse: plugged");
    ASSERT_EQ(Mouse.size(), 2u);
    EXPECT_EQ(Mouse[0].FText, "mouse: plugged, 0 reader(s), 0 upload(s), 0 rejected report(s)");
    EXPECT_EQ(Mouse[1].FText, "mouse: plugged, 1 reader(s), 0 upload(s), 0 rejected report(s)");
    EXPECT_EQ(Dumps.Starting("bank 0: no button table written").size(), 2u);
}

TEST(RunScenarioTest, AKeptMachineStaysOnDiskAndASecondRunStartsFromIt) {
    const std::filesystem::path Folder =
        std::filesystem::temp_directory_path() /
        ("vanto-sim-test-" + std::to_string(std::random_device{}()));
    TSimOptions Options;
    Options.FKeepFolder = Folder;
    const TRun First = RunText("wait 3000\nprofile 1\n", Options);
    ASSERT_EQ(First.FStatus, 0) << First.FErr;
    EXPECT_TRUE(std::filesystem::exists(Folder / "registry" / "software" / "VantoGamingMouse" /
                                        "VantoProfile.pfd.REG_BINARY"));
    EXPECT_TRUE(std::filesystem::exists(Folder / "files" / "C" / "Users" / "Ann" / "Documents" /
                                        "Vanto Gaming Mouse" / "VantoProfile1.pfd"));

    const TRun Second = RunText("dump profile\n", Options);
    EXPECT_EQ(Second.FStatus, 0) << Second.FErr;
    EXPECT_THAT(Second.Starting("file write: "), IsEmpty());
    EXPECT_THAT(Second.Texts(), Contains("profile: group 1, game profile 1"));
    std::filesystem::remove_all(Folder);
}

// An import reaches the running monitor: refused while the configuration application runs, then
// stored, and the monitor reloads the profile and carries out the button's new function.
TEST(RunScenarioTest, AnImportedProfileIsReloadedByTheRunningMonitor) {
    const std::string File = VANTO_SCENARIOS "/import-profile.vsim";
    std::ifstream Scenario(File);
    std::ostringstream Text;
    Text << Scenario.rdbuf();
    TSimOptions Options;
    Options.FScenarioName = File;
    const TRun Run = RunText(Text.str(), Options);
    ASSERT_EQ(Run.FStatus, 0) << Run.FErr;
    const long Refused = Run.IndexOf("vantoctl: import refused: the configuration application is "
                                     "running");
    const long Stopped = Run.IndexOf("cfg: stopped");
    const long Import = Run.IndexOf("> import", Stopped);
    const long Stored = Run.IndexOf("vantoctl: stored game profile 1 in the registry and in " +
                                        std::string(PROFILE_FOLDER) +
                                        "VantoProfile1.pfd; told the "
                                        "monitor: 7035 "
                                        "WM_CFG_PROFILE_CHANGED l=0",
                                    Import);
    // The message is posted: the monitor reloads once the import has stored the profile.
    const long Reload =
        Run.IndexOf("registry read: software\\VantoGamingMouse\\VantoProfile1.pfd", Stored);
    ASSERT_GE(Refused, 0);
    EXPECT_LT(Refused, Stopped);
    EXPECT_LT(Import, Stored);
    ASSERT_GT(Reload, Stored);
    // Button 3 was a key, which the monitor leaves to the mouse; now it is the microphone mute.
    const auto Mutes = Run.Starting("action: microphone mute");
    ASSERT_EQ(Mutes.size(), 1u);
    EXPECT_GT(Run.IndexOf("action: microphone mute"), Reload);
}

// A record the monitor stores after a recording goes through dump and load --base unchanged.
TEST(RunScenarioTest, AProfileStoredAfterARecordingSurvivesDumpAndLoad) {
    const std::filesystem::path Folder =
        std::filesystem::temp_directory_path() /
        ("vanto-sim-text-" + std::to_string(std::random_device{}()));
    TSimOptions Options;
    Options.FKeepFolder = Folder;
    const TRun Run = RunText("cfg-start\nwait 3000\npress 7\nwait 400\nclick left\nwait 250\n"
                             "wheel down\nwait 100\npress 7\n",
                             Options);
    ASSERT_EQ(Run.FStatus, 0) << Run.FErr;
    const std::string Stored =
        (Folder / "registry" / "software" / "VantoGamingMouse" / "VantoProfile1.pfd.REG_BINARY")
            .string();
    const ctl::test::TRun Dump = ctl::test::RunCtl({"dump", Stored});
    ASSERT_EQ(Dump.FExit, 0) << Dump.FErr;
    EXPECT_THAT(Dump.FOut, HasSubstr("\"MacroListCount\": 5"));
    const std::string Json = (Folder / "recorded.json").string();
    std::ofstream(Json) << Dump.FOut;
    const ctl::test::TRun Load = ctl::test::RunCtl({"load", Json, "--base", Stored});
    ASSERT_EQ(Load.FExit, 0) << Load.FErr;
    std::ifstream In(Stored, std::ios::binary);
    std::ostringstream Bytes;
    Bytes << In.rdbuf();
    EXPECT_EQ(Load.FOut, Bytes.str());
    std::filesystem::remove_all(Folder);
}

// The icon shows the microphone only while a button mutes it, and then follows every change:
// the mouse's button, another program, the microphone unplugged and plugged in again.
TEST(RunScenarioTest, TheTrayIconFollowsTheMicrophoneWhileAButtonMutesIt) {
    const TRun Run = RunText("wait 3000\nmic-mute on\ncfg-button 3 mute\npress 3\n"
                             "mic-mute on\nmic-unplug\npress 3\nmic-plug\n"
                             "cfg-button 3 play\nmic-mute off\nmenu Exit\n");
    ASSERT_EQ(Run.FStatus, 0) << Run.FErr;
    std::vector<std::string> States;
    for (const TTraceLine& Line : Run.FLines) {
        if (Line.FText.starts_with("> ") || Line.FText.starts_with("tray: microphone") ||
            Line.FText == "tray: no microphone" || Line.FText == "tray: plain icon") {
            States.push_back(Line.FText);
        }
    }
    // Before the profile has a mute button, another program's mute shows nothing; a change to
    // the state already shown shows nothing either.
    EXPECT_THAT(States,
                testing::ElementsAre("> wait 3000", "> mic-mute on", "> cfg-button 3 mute",
                                     "tray: microphone muted", "> press 3", "tray: microphone on",
                                     "> mic-mute on", "tray: microphone muted", "> mic-unplug",
                                     "tray: no microphone", "> press 3", "> mic-plug",
                                     "tray: microphone muted", "> cfg-button 3 play",
                                     "tray: plain icon", "> mic-mute off", "> menu Exit"));
    // The machine runs in Chinese: the hint says "No microphone found" in its language.
    EXPECT_THAT(Run.Texts(), Contains(HasSubstr("未找到麦克风")));
}

// What the monitor shows of itself, in the order the user meets it: the tray follows every change
// of the microphone while a button mutes it, and each event has its message.
TEST(RunScenarioTest, TheFeedbackScenarioShowsEachStateAndMessage) {
    const std::string File = VANTO_SCENARIOS "/feedback.vsim";
    std::ifstream Scenario(File);
    std::ostringstream Text;
    Text << Scenario.rdbuf();
    const TRun Run = RunText(Text.str());
    ASSERT_EQ(Run.FStatus, 0) << Run.FErr;
    std::vector<std::string> Shown;
    for (const TTraceLine& Line : Run.FLines) {
        if (Line.FText.starts_with("osd: ") || Line.FText.starts_with("tray: microphone") ||
            Line.FText == "tray: no microphone" || Line.FText == "tray: plain icon") {
            Shown.push_back(Line.FText);
        }
    }
    EXPECT_THAT(Shown, testing::ElementsAre(
                           "tray: microphone on", "tray: microphone muted", "osd: Microphone muted",
                           "tray: microphone on", "tray: no microphone", "osd: No microphone found",
                           "tray: microphone on", "tray: plain icon", "osd: Profile 2",
                           "tray: microphone on", "osd: Profile 1", "osd: Macro recorded: 7 steps",
                           "osd: The active window runs as administrator: the macro cannot "
                           "reach it"));
    EXPECT_THAT(Run.Texts(), Contains(HasSubstr("Mouse Right ClickUp | 7 / 127")));
    // The warning does not stop the macro: it plays after it.
    const long Warning = Run.IndexOf("osd: The active window runs as administrator");
    ASSERT_GE(Warning, 0);
    EXPECT_TRUE(std::any_of(Run.FLines.begin() + Warning, Run.FLines.end(), [](const auto& ALine) {
        return ALine.FText.starts_with("input at") && ALine.FText.ends_with("mouse right up");
    }));
}

} // namespace
} // namespace vanto::simrun
