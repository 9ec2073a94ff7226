// TRecordingSession: the mouse recorder's events become the steps of a playable macro and the
// lines of the overlay. The events come through the input hook as the monitor wires it.
#include "macro/RecordingSession.h"

#include "MacroTestSupport.h"
#include "macro/MacroSteps.h"
#include "platform/sim/SimPlatform.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <random>
#include <vector>

namespace vanto {
namespace {

using testing::ElementsAre;

constexpr std::uintptr_t GUARD_TIMER_ID = 2;

using test::Steps;
using test::TStep;

class RecordingSessionTest : public testing::Test {
protected:
    RecordingSessionTest() {
        FOwner = FSim.FWindows.CreateHiddenWindow(
            u"Owner", u"", [](platform::TMessageId, platform::TWParam, platform::TLParam) {
                return platform::TMessageResult{0};
            });
        FSession.SetOwnerWindow(FOwner);
        FHook.OnRecordEvent = [this](const TRecordEvent& AEvent) { FSession.Take(AEvent); };
    }
    ~RecordingSessionTest() override {
        FSession.CloseRecordOverlay();
        FSim.FWindows.DestroyHiddenWindow(FOwner);
        std::error_code Error;
        std::filesystem::remove_all(FRoot, Error);
    }

    void Start() {
        FHook.RecordMouseMacro();
        FSession.Start();
    }
    std::optional<TMACROKEYINFO> Stop() {
        FHook.StopRecordMouseMacro();
        return FSession.Stop();
    }
    // The recorder's event in its positional form, as the hook's other slot reports it.
    void Report(std::int32_t AMacroType, TMouseButtons AButton, std::int32_t AState,
                const std::u16string& AText) {
        FSession.Take(RecordEventOf(AMacroType, AButton, AState, AText));
    }
    void Click(std::uint32_t AMessage) { FSim.FHooks.MouseEvent(AMessage, 400, 300); }
    void Wait(std::uint64_t AMs) { FSim.FClock.AdvanceBy(AMs); }
    std::vector<std::u16string> OverlayLines() const {
        return FSession.RecordOverlay() != nullptr ? FSession.RecordOverlay()->Lines()
                                                   : std::vector<std::u16string>{};
    }

    std::filesystem::path FRoot = std::filesystem::temp_directory_path() /
                                  ("vanto-session-" + std::to_string(std::random_device{}()));
    sim::TSimPlatform FSim{FRoot};
    TMonitorFlags FFlags;
    TuiHook FHook{FSim.FHooks, FSim.FMessageBox};
    TRecordingSession FSession{FSim.Platform(), FFlags, GUARD_TIMER_ID};
    platform::TWindowHandle FOwner = 0;
};

TEST_F(RecordingSessionTest, APressAPauseAndAReleaseBecomeThreeStepsAndThreeLines) {
    Start();
    ASSERT_TRUE(FFlags.MacroRecording);
    ASSERT_NE(FSession.RecordOverlay(), nullptr);
    // Time before the first click is not kept.
    Wait(900);
    Click(platform::WM_MOUSEMOVE_MSG);
    Wait(50);
    Click(platform::WM_LBUTTONDOWN_MSG);
    Wait(200);
    Click(platform::WM_LBUTTONUP_MSG);

    EXPECT_THAT(Steps(FSession.FMacroInfo),
                ElementsAre(TStep{1, 1, 0x01, 1}, TStep{6, 0, 200, 0}, TStep{1, 0, 0x01, 1}));
    EXPECT_THAT(OverlayLines(), ElementsAre(u"Mouse ClickDown", u"200ms", u"Mouse ClickUp"));
    // The overlay shows the lines it holds.
    auto& Window = *FSim.FScenes.Windows().back();
    EXPECT_TRUE(Window.IsVisible());
    EXPECT_EQ(Window.Style().FTitle, u"FrmRecord");
    EXPECT_TRUE(Window.Style().FTopMost);
    EXPECT_EQ(Window.Placement(), platform::TScenePlacement::BottomCentreOfScreen);
    // The newest line, then the step counter in the corner.
    const auto& Items = Window.Scene().Items;
    ASSERT_GE(Items.size(), 2u);
    EXPECT_EQ(Items.end()[-2].FText, u"Mouse ClickUp");
    EXPECT_EQ(Items.back().FText, u"3 / 127");
}

TEST_F(RecordingSessionTest, PausesAddUpAndStartAgainFromZeroPast8000Ms) {
    Start();
    Click(platform::WM_LBUTTONDOWN_MSG);
    for (std::uint64_t Ms : {5000, 3100, 700}) {
        Wait(Ms);
        Click(platform::WM_MOUSEMOVE_MSG);
    }
    EXPECT_EQ(FSession.PendingDelay(), 700);
    Click(platform::WM_LBUTTONUP_MSG);
    EXPECT_THAT(
        Steps(FSession.FMacroInfo),
        ElementsAre(TStep{1, 1, 1, 1}, TStep{6, 0, 700 & 0xFF, 700 >> 8}, TStep{1, 0, 1, 1}));
    EXPECT_EQ(OverlayLines()[1], u"700ms");
}

TEST_F(RecordingSessionTest, TimeReportsThatAreNotNumbersOrHugeAddNothingHarmful) {
    Start();
    Report(1, TMouseButtons::RCLICK, 1, u"");
    Report(0, TMouseButtons::BUTTON_NONE, 0, u"12ab");
    EXPECT_EQ(FSession.PendingDelay(), 0);
    Report(0, TMouseButtons::BUTTON_NONE, 0, u"30");
    Report(0, TMouseButtons::BUTTON_NONE, 0, u"99999999999999");
    EXPECT_EQ(FSession.PendingDelay(), 0);
    // A code without a step (an extra button) records nothing and arms nothing.
    Report(1, TMouseButtons::BUTTONX1, 1, u"");
    EXPECT_EQ(FSession.FMacroInfo.MacroListCount, 1);
}

TEST_F(RecordingSessionTest, WheelNotchesAndSideButtonsTakeTheirStepCodes) {
    Start();
    FSim.FHooks.MouseEvent(platform::WM_MOUSEWHEEL_MSG, 0, 0, -120); // toward the user
    FSim.FHooks.MouseEvent(platform::WM_MOUSEWHEEL_MSG, 0, 0, 120);
    FSim.FHooks.MouseEvent(platform::WM_XBUTTONDOWN_MSG, 0, 0, 2);
    FSim.FHooks.MouseEvent(platform::WM_RBUTTONUP_MSG, 0, 0);
    EXPECT_THAT(Steps(FSession.FMacroInfo),
                ElementsAre(TStep{3, 0, 1, 6}, TStep{3, 0, 255, 7}, TStep{1, 1, 0x10, 5},
                            TStep{1, 0, 0x02, 2}));
    EXPECT_THAT(OverlayLines(), ElementsAre(u"Wheel Down(Mouse)", u"Wheel up(Mouse)",
                                            u"Forward(Mouse)Down", u"Mouse Right ClickUp"));
}

TEST_F(RecordingSessionTest, ARecordingCountsAtMost127Steps) {
    Start();
    for (int Click = 0; Click < 63; ++Click) {
        Report(1, TMouseButtons::LCLICK, 1, u"");
        Report(0, TMouseButtons::BUTTON_NONE, 0, u"5");
    }
    // 63 presses and 62 pauses: 125 steps. A pause, then a press: the pause takes index 125.
    Report(1, TMouseButtons::LCLICK, 0, u"");
    EXPECT_EQ(FSession.FMacroInfo.MacroListCount, 127);
    EXPECT_EQ(OverlayLines().size(), 127u);
    // Full: further events are ignored and show no line.
    Report(0, TMouseButtons::BUTTON_NONE, 0, u"5");
    Report(1, TMouseButtons::RCLICK, 1, u"");
    EXPECT_EQ(FSession.FMacroInfo.MacroListCount, 127);
    EXPECT_EQ(OverlayLines().size(), 127u);
    EXPECT_EQ(FSession.FMacroInfo.MacroList[127].nKeyType, 0);
}

TEST_F(RecordingSessionTest, APressAfterADelayAtIndex126IsWrittenButNotCounted) {
    Start();
    for (int Click = 0; Click < 126; ++Click) {
        Report(1, TMouseButtons::LCLICK, Click % 2, u"");
    }
    Report(0, TMouseButtons::BUTTON_NONE, 0, u"40");
    Report(1, TMouseButtons::MCLICK, 1, u"");
    EXPECT_EQ(FSession.FMacroInfo.MacroListCount, 127);
    EXPECT_EQ((TStep{6, 0, 40, 0}), (TStep{FSession.FMacroInfo.MacroList[126].nKeyType, 0,
                                           FSession.FMacroInfo.MacroList[126].Value1, 0}));
    EXPECT_EQ(FSession.FMacroInfo.MacroList[127].Value2, 3);
}

TEST_F(RecordingSessionTest, InjectedClicksAndClicksAfterStopAreNotRecorded) {
    Start();
    FSim.FHooks.MouseEvent(platform::WM_LBUTTONDOWN_MSG, 1, 1, 0, true);
    EXPECT_EQ(FSession.FMacroInfo.MacroListCount, 0);
    Click(platform::WM_LBUTTONDOWN_MSG);
    Stop();
    Click(platform::WM_LBUTTONUP_MSG);
    EXPECT_EQ(FSession.FMacroInfo.MacroListCount, 1);
}

// What a stop hands over is what the owner stores: named, in slot 0, or nothing at all.
TEST_F(RecordingSessionTest, StopHandsOverTheNamedMacroOrNothingAndEndsTheOverlay) {
    Start();
    Wait(300);
    Click(platform::WM_MOUSEMOVE_MSG);
    EXPECT_FALSE(Stop().has_value());
    EXPECT_FALSE(FFlags.MacroRecording);
    EXPECT_TRUE(FSim.FScenes.Windows().empty());

    Start();
    Click(platform::WM_RBUTTONDOWN_MSG);
    const std::optional<TMACROKEYINFO> Macro = Stop();
    ASSERT_TRUE(Macro.has_value());
    EXPECT_EQ(ReadRecordText(Macro->szMacroName), u"User Recorded");
    EXPECT_EQ(Macro->nMacroIndex, 0);
    EXPECT_EQ(Macro->nAutoAddDelay, 1);
    EXPECT_THAT(Steps(*Macro), ElementsAre(TStep{1, 1, 0x02, 2}));
    EXPECT_EQ(FSession.RecordOverlay(), nullptr);
    EXPECT_TRUE(FSim.FScenes.Windows().empty());
}

} // namespace
} // namespace vanto
