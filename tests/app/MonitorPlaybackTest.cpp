// A macro that holds a key and a button through a minute-long delay, played by the monitor with
// waits that follow the simulated clock: the loop stays free for the other buttons, and each way
// the monitor ends, and a recording that starts, stops the playback at once with both released.

#include "app/VantoMonExMain.h"

#include "macro/MacroSteps.h"
#include "platform/sim/SimMouse.h"
#include "platform/sim/SimPlatform.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace vanto {
namespace {

using testing::ElementsAre;

constexpr unsigned PLAY_KEY = 6; // the factory play-macro button
constexpr unsigned MUTE_KEY = 2;
constexpr unsigned RECORD_KEY = 7;

// What ends the playback: the monitor's end, or a recording, which never runs beside one.
enum class TEnding { Exit, SessionEnd, Destruction, RecordingStart };
constexpr const char* ENDING_NAMES[] = {"Exit", "SessionEnd", "Destruction", "RecordingStart"};

// "3050 key 65 down", "4050 mouse 16": when, and what.
std::vector<std::string> Described(const std::vector<sim::TSimInputEvent>& AEvents) {
    std::vector<std::string> Texts;
    for (const sim::TSimInputEvent& Event : AEvents) {
        const bool IsKey = Event.Kind == sim::TSimInputEvent::TKind::Key;
        Texts.push_back(
            std::to_string(Event.AtMs) +
            (IsKey ? " key " + std::to_string(Event.VirtualKey) + (Event.Up ? " up" : " down")
                   : " mouse " + std::to_string(Event.Flags)));
    }
    return Texts;
}

class MonitorPlaybackTest : public testing::TestWithParam<TEnding> {
protected:
    MonitorPlaybackTest() {
        FMouse.PlugInto(FSim.FHid);
        FDM.DataModuleCreate();
        TMouseProfileInfo& Profile = FDM.EditCurrentProfileInfo();
        Profile.ConfigInfo.ButtonFuncInfo[MUTE_KEY].nFunctionType = FUNCTION_TYPE_MICROPHONE_MUTE;
        TMACROKEYINFO& Macro = Profile.MacroKeyInfoList.MacroInfos[0];
        Macro = TMACROKEYINFO{};
        for (const TMACROKEY& Step :
             {KeyStep(0x41, false, true), MouseButtonStep(2, true), DelayStep(60000),
              MouseButtonStep(2, false), KeyStep(0x41, false, false)}) {
            Macro.MacroList[Macro.MacroListCount++] = Step;
        }
        FSim.FInput.SetWaitMode(sim::TSimWaitMode::FollowClock);
        FMain = std::make_unique<TVantoMonExMain>(FSim.Platform(), FDM);
        FMain->FormCreate();
        FSim.AdvanceTime(3000); // the mouse is open
    }
    ~MonitorPlaybackTest() override {
        FMain.reset();
        std::error_code Error;
        std::filesystem::remove_all(FRoot, Error);
    }

    void Press(unsigned AKey) {
        FMouse.PressButton(AKey);
        FSim.Settle();
    }

    std::filesystem::path FRoot = std::filesystem::temp_directory_path() /
                                  ("vanto-playback-" + std::to_string(std::random_device{}()));
    sim::TSimPlatform FSim{FRoot};
    sim::TSimMouse FMouse;
    TDM FDM{FSim.FRegistry, FSim.FFiles, FSim.FShell, FSim.FIni, FSim.FLocale, FSim.FClock};
    std::unique_ptr<TVantoMonExMain> FMain;
};

TEST_P(MonitorPlaybackTest, TheLoopStaysFreeAndWhatEndsThePlaybackReleasesWhatItHolds) {
    const std::uint64_t Start = FSim.FClock.NowMs();
    Press(PLAY_KEY);
    FSim.AdvanceTime(1000);
    EXPECT_TRUE(FMain->FFlags.MacroPlaying);
    Press(MUTE_KEY);
    EXPECT_TRUE(FSim.FAudio.MicrophoneMuted());
    Press(PLAY_KEY);
    EXPECT_THAT(FSim.FDebug.Lines(),
                testing::Contains(u"play macro ignored: a playback is running"));
    const std::uint64_t End = Start + 1000;
    ASSERT_EQ(FSim.FClock.NowMs(), End);

    switch (GetParam()) {
    case TEnding::Exit:
        FSim.FWindows.Post(FMain->Handle(), platform::WM_COMMAND_MESSAGE, EXIT_COMMAND, 0);
        EXPECT_FALSE(FSim.FWindows.ProcessPendingMessages());
        break;
    case TEnding::SessionEnd:
        EXPECT_EQ(FSim.FWindows.Send(FMain->Handle(), platform::WM_QUERYENDSESSION_MESSAGE, 0, 0),
                  1);
        FSim.FWindows.Send(FMain->Handle(), platform::WM_ENDSESSION_MESSAGE, 1, 0);
        break;
    case TEnding::Destruction:
        FMain.reset();
        break;
    case TEnding::RecordingStart:
        Press(RECORD_KEY);
        EXPECT_TRUE(FMain->FFlags.MacroRecording);
        break;
    }
    // Released at once, in the reverse order of pressing; the rest of the minute never passes.
    EXPECT_THAT(Described(FSim.FInput.Events()),
                ElementsAre(std::to_string(Start) + " key 65 down",
                            std::to_string(Start) + " mouse 8", std::to_string(End) + " mouse 16",
                            std::to_string(End) + " key 65 up"));
    EXPECT_EQ(FSim.FClock.NowMs(), End);
    EXPECT_EQ(FSim.FInput.OpenPlaybacks(), 0);
    if (FMain) {
        EXPECT_FALSE(FMain->FFlags.MacroPlaying);
    }
}

INSTANTIATE_TEST_SUITE_P(Endings, MonitorPlaybackTest,
                         testing::Values(TEnding::Exit, TEnding::SessionEnd, TEnding::Destruction,
                                         TEnding::RecordingStart),
                         [](const testing::TestParamInfo<TEnding>& AInfo) {
                             return ENDING_NAMES[static_cast<int>(AInfo.param)];
                         });

} // namespace
} // namespace vanto
