#include "macro/MacroPlayback.h"

#include "macro/MacroSteps.h"
#include "platform/sim/SimClock.h"
#include "platform/sim/SimDebugOutput.h"
#include "platform/sim/SimInputSynthesis.h"
#include "profile/FactoryDefaults.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace vanto {
namespace {

using sim::TSimInputEvent;
using testing::ElementsAre;
using testing::IsEmpty;

// The simulated synthesis, with a look at the world each time something is sent.
class TWatchedInput : public sim::TSimInputSynthesis {
public:
    using TSimInputSynthesis::TSimInputSynthesis;
    std::function<void()> OnSend;

    void SendKey(std::uint8_t AVirtualKey, std::uint8_t AScanCode, bool AExtended,
                 bool AUp) override {
        if (OnSend) {
            OnSend();
        }
        TSimInputSynthesis::SendKey(AVirtualKey, AScanCode, AExtended, AUp);
    }
    void SendMouse(std::uint32_t AFlags, platform::TCursorPos APos, std::int32_t AData) override {
        if (OnSend) {
            OnSend();
        }
        TSimInputSynthesis::SendMouse(AFlags, APos, AData);
    }
};

// "t=6 mouse 0004 @5,7 0" or "t=0 key 41 scan 0 down": what was sent, when, and where.
std::string Describe(const TSimInputEvent& AEvent) {
    char Text[96];
    if (AEvent.Kind == TSimInputEvent::TKind::Key) {
        std::snprintf(Text, sizeof(Text), "t=%llu key %02X scan %u%s %s",
                      static_cast<unsigned long long>(AEvent.AtMs), AEvent.VirtualKey,
                      AEvent.ScanCode, AEvent.Extended ? " ext" : "", AEvent.Up ? "up" : "down");
    } else {
        std::snprintf(Text, sizeof(Text), "t=%llu mouse %04X @%d,%d %d",
                      static_cast<unsigned long long>(AEvent.AtMs), AEvent.Flags, AEvent.Pos.X,
                      AEvent.Pos.Y, AEvent.Data);
    }
    return Text;
}

TMACROKEY Step(std::uint16_t AType, std::uint16_t AState, std::uint8_t AValue1,
               std::uint8_t AValue2) {
    return TMACROKEY{AType, AState, AValue1, AValue2};
}

class MacroPlaybackTest : public testing::Test {
protected:
    MacroPlaybackTest() : FProfile(std::make_unique<TMouseProfileInfo>()) {
        FInput.SetCursorPos({5, 7});
    }

    void SetMacro(const std::vector<TMACROKEY>& ASteps) {
        TMACROKEYINFO& Macro = FProfile->MacroKeyInfoList.MacroInfos[0];
        Macro = TMACROKEYINFO{};
        for (const TMACROKEY& Each : ASteps) {
            Macro.MacroList[Macro.MacroListCount++] = Each;
        }
        FProfile->MacroKeyInfoList.nMacroInfoCount = 1;
    }

    std::vector<std::string> Play() {
        FPlayer.PlayCurrentMacro();
        FPlayer.WaitForEnd();
        return Sent();
    }

    std::vector<std::string> Sent() const {
        std::vector<std::string> Result;
        for (const TSimInputEvent& Event : FInput.Events()) {
            Result.push_back(Describe(Event));
        }
        return Result;
    }

    sim::TSimClock FClock;
    TWatchedInput FInput{FClock};
    sim::TSimDebugOutput FDebug;
    TMonitorFlags FFlags;
    std::unique_ptr<TMouseProfileInfo> FProfile;
    TMacroPlayer FPlayer{FInput, FDebug, FFlags, *FProfile};
};

// --- Timing ---------------------------------------------------------------------------------

TEST_F(MacroPlaybackTest, FactoryDoubleClickLandsAtExactSimulatedTimes) {
    RestoreGameProfileDefaults(*FProfile, 46023.0, u"User Recorded");
    FClock.AdvanceTo(1000);
    EXPECT_THAT(Play(), ElementsAre("t=1000 mouse 0002 @5,7 0", "t=1006 mouse 0004 @5,7 0",
                                    "t=1021 mouse 0002 @5,7 0", "t=1027 mouse 0004 @5,7 0"));
    EXPECT_THAT(FInput.Waits(), ElementsAre(6u, 15u, 6u));
    EXPECT_EQ(FClock.NowMs(), 1027u);
}

TEST_F(MacroPlaybackTest, DelayIsHighByteTimes256PlusLowByte) {
    SetMacro({Step(STEP_DELAY, 0, 0x2C, 0x01), KeyStep(0x41, false, true),
              Step(STEP_DELAY, 0, 0xFF, 0xFF), KeyStep(0x41, false, false),
              Step(STEP_DELAY, 0, 0, 0), KeyStep(0x42, false, true), KeyStep(0x42, false, false)});
    EXPECT_THAT(Play(), ElementsAre("t=300 key 41 scan 0 down", "t=65835 key 41 scan 0 up",
                                    "t=65835 key 42 scan 0 down", "t=65835 key 42 scan 0 up"));
    // Waits come only from delay steps: nothing passes between the other steps.
    EXPECT_THAT(FInput.Waits(), ElementsAre(300u, 65535u, 0u));
}

// --- Step kinds -----------------------------------------------------------------------------

TEST_F(MacroPlaybackTest, MouseButtonsGoByTheirNumberAndFourAndFiveAsBrowserKeys) {
    SetMacro({MouseButtonStep(1, true), MouseButtonStep(1, false), MouseButtonStep(2, true),
              MouseButtonStep(2, false), MouseButtonStep(3, true), MouseButtonStep(3, false),
              MouseButtonStep(4, true), MouseButtonStep(4, false), MouseButtonStep(5, true),
              MouseButtonStep(5, false)});
    EXPECT_THAT(Play(), ElementsAre("t=0 mouse 0002 @5,7 0", "t=0 mouse 0004 @5,7 0",
                                    "t=0 mouse 0008 @5,7 0", "t=0 mouse 0010 @5,7 0",
                                    "t=0 mouse 0020 @5,7 0", "t=0 mouse 0040 @5,7 0",
                                    "t=0 key A6 scan 0 ext down", "t=0 key A6 scan 0 ext up",
                                    "t=0 key A7 scan 0 ext down", "t=0 key A7 scan 0 ext up"));
}

TEST_F(MacroPlaybackTest, MouseButtonBitIsNotTrustedAndUnknownButtonsOrStatesSendNothing) {
    SetMacro({Step(STEP_MOUSE_BUTTON, 1, MOUSE_BIT_RIGHT, 0), // bit says right, number says none
              Step(STEP_MOUSE_BUTTON, 1, MOUSE_BIT_LEFT, 6), Step(STEP_MOUSE_BUTTON, 2, 1, 1),
              Step(STEP_MOUSE_BUTTON, 1, MOUSE_BIT_LEFT, 2), // number says right
              Step(STEP_MOUSE_BUTTON, 0, MOUSE_BIT_LEFT, 2)});
    EXPECT_THAT(Play(), ElementsAre("t=0 mouse 0008 @5,7 0", "t=0 mouse 0010 @5,7 0"));
}

TEST_F(MacroPlaybackTest, KeysGoWithoutExtendedFlagAndScanCodeZero) {
    SetMacro({KeyStep(0x41, true, true), KeyStep(0x41, true, false), KeyStep(0x2E, false, true),
              KeyStep(0x2E, false, false), Step(STEP_KEY, 2, 0x43, 0), Step(STEP_KEY, 7, 0x43, 1)});
    EXPECT_THAT(Play(), ElementsAre("t=0 key 41 scan 0 down", "t=0 key 41 scan 0 up",
                                    "t=0 key 2E scan 0 down", "t=0 key 2E scan 0 up"));
}

TEST_F(MacroPlaybackTest, WheelGoesByIndexOneNotchEach) {
    SetMacro({WheelStep(false), WheelStep(true),
              Step(STEP_WHEEL, 0, WHEEL_VALUE_UP, WHEEL_INDEX_DOWN), // value is not read
              Step(STEP_WHEEL, 0, 1, 5), Step(STEP_WHEEL, 0, 1, 0)});
    EXPECT_THAT(Play(), ElementsAre("t=0 mouse 0800 @5,7 -120", "t=0 mouse 0800 @5,7 120",
                                    "t=0 mouse 0800 @5,7 -120"));
}

TEST_F(MacroPlaybackTest, MovesMediaKeysLoopsAndUnknownTypesAreSkippedAtOnce) {
    SetMacro({Step(STEP_MOUSE_MOVE, 0, 10, 20), MediaKeyStep(0x00CD, true),
              MediaKeyStep(0x00CD, false), Step(STEP_LOOP, 0, 3, 0), Step(0, 1, 0x41, 0),
              Step(8, 0, 100, 0), Step(0xFFFF, 1, 0x41, 0), MouseButtonStep(1, true),
              MouseButtonStep(1, false)});
    EXPECT_THAT(Play(), ElementsAre("t=0 mouse 0002 @5,7 0", "t=0 mouse 0004 @5,7 0"));
    EXPECT_THAT(FInput.Waits(), IsEmpty());
}

// --- Which steps ----------------------------------------------------------------------------

TEST_F(MacroPlaybackTest, PlaysSlotZeroOnceWhateverLoopCountOrListCount) {
    SetMacro({KeyStep(0x41, false, true), KeyStep(0x41, false, false)});
    FProfile->MacroKeyInfoList.MacroInfos[0].nLoopCount = 5;
    FProfile->MacroKeyInfoList.MacroInfos[1].MacroList[0] = KeyStep(0x5A, false, true);
    FProfile->MacroKeyInfoList.MacroInfos[1].MacroListCount = 1;
    // The list count is not consulted: slot 0 is where the last recording went.
    FProfile->MacroKeyInfoList.nMacroInfoCount = 0;
    EXPECT_THAT(Play(), ElementsAre("t=0 key 41 scan 0 down", "t=0 key 41 scan 0 up"));
}

TEST_F(MacroPlaybackTest, PlaysAll128StepsAndNoMoreThanTheRecordHolds) {
    std::vector<TMACROKEY> Steps;
    for (int Pair = 0; Pair < 64; ++Pair) {
        Steps.push_back(KeyStep(static_cast<std::uint8_t>(0x30 + Pair), false, true));
        Steps.push_back(KeyStep(static_cast<std::uint8_t>(0x30 + Pair), false, false));
    }
    SetMacro(Steps);
    ASSERT_EQ(Play().size(), 128u);
    EXPECT_EQ(FInput.Events().back().VirtualKey, 0x30 + 63);
    EXPECT_TRUE(FInput.Events().back().Up);

    // A count written beyond the array by another program reaches no further than step 128.
    FProfile->MacroKeyInfoList.MacroInfos[0].MacroListCount = 100000;
    EXPECT_EQ(Play().size(), 256u);
    FProfile->MacroKeyInfoList.MacroInfos[0].MacroListCount = -1;
    EXPECT_EQ(Play().size(), 256u);
}

TEST_F(MacroPlaybackTest, PlaysTheMacroAsItWasWhenThePlaybackStarted) {
    SetMacro({MouseButtonStep(1, true), Step(STEP_DELAY, 0, 10, 0), MouseButtonStep(1, false),
              MouseButtonStep(2, true), MouseButtonStep(2, false)});
    FInput.OnSend = [this] {
        // A reload of the profile meanwhile, and the user moving the pointer.
        FProfile->MacroKeyInfoList.MacroInfos[0].MacroList[3] = KeyStep(0x41, false, true);
        FProfile->MacroKeyInfoList.MacroInfos[0].MacroListCount = 1;
        FInput.SetCursorPos({300, 400});
    };
    EXPECT_THAT(Play(), ElementsAre("t=0 mouse 0002 @5,7 0", "t=10 mouse 0004 @5,7 0",
                                    "t=10 mouse 0008 @5,7 0", "t=10 mouse 0010 @5,7 0"));
}

// --- Flag, debug line, timer period ---------------------------------------------------------

TEST_F(MacroPlaybackTest, HoldsMacroPlayingDuringThePlayOnlyAndWritesTheDebugLine) {
    RestoreGameProfileDefaults(*FProfile, 46023.0, u"User Recorded");
    std::vector<bool> Seen;
    FInput.OnSend = [&] { Seen.push_back(FFlags.MacroPlaying); };
    Play();
    EXPECT_THAT(Seen, ElementsAre(true, true, true, true));
    EXPECT_FALSE(FFlags.MacroPlaying);
    EXPECT_THAT(FDebug.Lines(), ElementsAre(u"play macro"));
    // The finer timer period is held for the waits and given back after.
    EXPECT_FALSE(FInput.WaitedOutsidePlayback());
    EXPECT_EQ(FInput.OpenPlaybacks(), 0);
}

TEST_F(MacroPlaybackTest, EmptyMacroOnlyWritesTheDebugLine) {
    SetMacro({});
    EXPECT_THAT(Play(), IsEmpty());
    EXPECT_FALSE(FFlags.MacroPlaying);
    EXPECT_THAT(FDebug.Lines(), ElementsAre(u"play macro"));
    EXPECT_EQ(FInput.OpenPlaybacks(), 0);
}

// --- What a playback leaves pressed ---------------------------------------------------------

TEST_F(MacroPlaybackTest, ReleasesWhatItLeftPressedInReverseOrder) {
    SetMacro({KeyStep(0x41, false, true), MouseButtonStep(1, true), MouseButtonStep(4, true),
              Step(STEP_DELAY, 0, 20, 0), MouseButtonStep(2, true), MouseButtonStep(1, false)});
    EXPECT_THAT(Play(), ElementsAre("t=0 key 41 scan 0 down", "t=0 mouse 0002 @5,7 0",
                                    "t=0 key A6 scan 0 ext down", "t=20 mouse 0008 @5,7 0",
                                    "t=20 mouse 0004 @5,7 0",
                                    // what the macro never released, last pressed first
                                    "t=20 mouse 0010 @5,7 0", "t=20 key A6 scan 0 ext up",
                                    "t=20 key 41 scan 0 up"));
}

TEST_F(MacroPlaybackTest, AKeyIsHeldFromItsFirstPressToItsFirstRelease) {
    // Pressed twice, released once: the system holds one state per key, so it is up.
    // Browser back pressed as a key and released as mouse button 4 is the same key.
    SetMacro({KeyStep(0x41, false, true), KeyStep(0x41, false, true), KeyStep(0x41, false, false),
              KeyStep(0xA6, false, true), MouseButtonStep(4, false), MouseButtonStep(3, false)});
    EXPECT_THAT(Play(), ElementsAre("t=0 key 41 scan 0 down", "t=0 key 41 scan 0 down",
                                    "t=0 key 41 scan 0 up", "t=0 key A6 scan 0 down",
                                    "t=0 key A6 scan 0 ext up", "t=0 mouse 0040 @5,7 0"));
}

TEST_F(MacroPlaybackTest, ARecordingCutAtTheStepLimitDoesNotLeaveTheButtonDown) {
    std::vector<TMACROKEY> Steps;
    while (Steps.size() < 126) {
        Steps.push_back(MouseButtonStep(1, true));
        Steps.push_back(MouseButtonStep(1, false));
    }
    Steps.push_back(Step(STEP_DELAY, 0, 50, 0));
    Steps.push_back(MouseButtonStep(2, true)); // step 128; its release did not fit
    SetMacro(Steps);
    const std::vector<std::string> Events = Play();
    ASSERT_EQ(Events.size(), 128u);
    EXPECT_EQ(Events.back(), "t=50 mouse 0010 @5,7 0");
}

TEST_F(MacroPlaybackTest, AFailedSendStillReleasesAndClearsTheFlag) {
    SetMacro({KeyStep(0x41, false, true), MouseButtonStep(1, true), Step(STEP_DELAY, 0, 10, 0),
              MouseButtonStep(1, false), KeyStep(0x41, false, false)});
    FInput.FailAtEvent(2); // the left release
    Play();
    EXPECT_THAT(
        FDebug.Lines(),
        ElementsAre(u"play macro", u"play macro failed: simulated input synthesis failure"));
    EXPECT_FALSE(FFlags.MacroPlaying);
    EXPECT_EQ(FInput.OpenPlaybacks(), 0);
    EXPECT_THAT(Sent(), ElementsAre("t=0 key 41 scan 0 down", "t=0 mouse 0002 @5,7 0",
                                    "t=10 mouse 0004 @5,7 0", "t=10 key 41 scan 0 up"));
    // The next playback starts with nothing held over.
    SetMacro({});
    Play();
    EXPECT_EQ(FInput.Events().size(), 4u);
}

// --- On a thread of its own ---------------------------------------------------------------

TEST_F(MacroPlaybackTest, AStopInTheMiddleOfALongWaitEndsItAtOnceAndReleasesWhatIsHeld) {
    FInput.SetWaitMode(sim::TSimWaitMode::FollowClock);
    SetMacro({KeyStep(0x41, false, true), MouseButtonStep(2, true), Step(STEP_DELAY, 0, 0xFF, 0xFF),
              MouseButtonStep(2, false), KeyStep(0x41, false, false), KeyStep(0x42, false, true)});
    FPlayer.PlayCurrentMacro();
    // The call came back while the playback waits out its 65535 ms.
    ASSERT_TRUE(FInput.WaitUntilQuiet(5000));
    EXPECT_TRUE(FFlags.MacroPlaying);
    EXPECT_EQ(FInput.WaitDeadline(), 65535u);
    FClock.AdvanceBy(1000);
    ASSERT_TRUE(FInput.WaitUntilQuiet(5000));
    FPlayer.StopPlayback();
    EXPECT_THAT(Sent(), ElementsAre("t=0 key 41 scan 0 down", "t=0 mouse 0008 @5,7 0",
                                    "t=1000 mouse 0010 @5,7 0", "t=1000 key 41 scan 0 up"));
    EXPECT_EQ(FClock.NowMs(), 1000u);
    EXPECT_FALSE(FFlags.MacroPlaying);
    EXPECT_EQ(FInput.OpenPlaybacks(), 0);
    EXPECT_THAT(FDebug.Lines(), ElementsAre(u"play macro", u"play macro stopped"));

    // The next playback waits in full again.
    SetMacro({Step(STEP_DELAY, 0, 10, 0), KeyStep(0x43, false, true)});
    FPlayer.PlayCurrentMacro();
    ASSERT_TRUE(FInput.WaitUntilQuiet(5000));
    FClock.AdvanceBy(10);
    ASSERT_TRUE(FInput.WaitUntilQuiet(5000));
    FPlayer.WaitForEnd();
    EXPECT_EQ(Sent().back(), "t=1010 key 43 scan 0 up");
}

TEST_F(MacroPlaybackTest, IsRefusedWhileARecordingRuns) {
    RestoreGameProfileDefaults(*FProfile, 46023.0, u"User Recorded");
    FFlags.MacroRecording = true;
    EXPECT_THAT(Play(), IsEmpty());
    EXPECT_FALSE(FFlags.MacroPlaying);
    EXPECT_THAT(FDebug.Lines(), ElementsAre(u"play macro refused: a recording is running"));
}

} // namespace
} // namespace vanto
