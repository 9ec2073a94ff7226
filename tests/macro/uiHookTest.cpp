// TuiHook: loading the hook library, sharing it, and the mouse-macro recorder.
#include "macro/uiHook.h"

#include "platform/sim/SimAudio.h"
#include "platform/sim/SimClock.h"
#include "platform/sim/SimHookLibrary.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vanto {
namespace {

using platform::THookLoadResult;
using platform::TMSLLHOOKSTRUCT;
using testing::ElementsAre;
using testing::IsEmpty;

// The simulated library, with a log of what the component asked of it.
class TLoggedLibrary : public platform::IHookLibrary {
public:
    explicit TLoggedLibrary(sim::TSimHookLibrary& ALibrary) : FLibrary(ALibrary) {}
    THookLoadResult Load() override {
        FCalls.push_back("load");
        return FLibrary.Load();
    }
    void Unload() override {
        FCalls.push_back("unload");
        FLibrary.Unload();
    }
    void EnableKeyboardHook(platform::THookCallback ACallback, void* AContext) override {
        FCalls.push_back("enable keyboard");
        FLibrary.EnableKeyboardHook(ACallback, AContext);
    }
    void DisableKeyboardHook() override {
        FCalls.push_back("disable keyboard");
        FLibrary.DisableKeyboardHook();
    }
    void EnableMouseHook(platform::THookCallback ACallback, void* AContext) override {
        FCalls.push_back("enable mouse");
        FLibrary.EnableMouseHook(ACallback, AContext);
    }
    void DisableMouseHook() override {
        FCalls.push_back("disable mouse");
        FLibrary.DisableMouseHook();
    }
    bool KeyDown(std::uint32_t AVirtualKey) override { return FLibrary.KeyDown(AVirtualKey); }

    std::vector<std::string> FCalls;

private:
    sim::TSimHookLibrary& FLibrary;
};

// One OnRecordMouseMacroKey, as seen by the handler.
struct TMouseReport {
    std::int32_t MacroType;
    TMouseButtons Button;
    std::int32_t State;
    std::uint16_t X;
    std::uint16_t Y;
    double Time;
    std::u16string Text;
    std::u16string StateText;
    std::size_t ListCount;
};

std::string Describe(const TMouseReport& AReport) {
    std::string Text = std::to_string(AReport.MacroType) + " " +
                       std::to_string(static_cast<int>(AReport.Button)) + " " +
                       std::to_string(AReport.State) + " \"";
    for (char16_t C : AReport.Text) {
        Text += static_cast<char>(C);
    }
    Text += "\" ";
    for (char16_t C : AReport.StateText) {
        Text += static_cast<char>(C);
    }
    return Text;
}

class uiHookTest : public testing::Test {
protected:
    std::unique_ptr<TuiHook> Create() {
        auto Hook = std::make_unique<TuiHook>(FLogged, FMessages);
        return Hook;
    }

    // A TuiHook recording mouse macros into FReports.
    std::unique_ptr<TuiHook> Recording() {
        auto Hook = Create();
        Listen(*Hook);
        Hook->RecordMouseMacro();
        return Hook;
    }

    void Listen(TuiHook& AHook) {
        AHook.OnRecordMouseMacroKey =
            [this](std::int32_t MacroType, TMouseButtons AButton, std::int32_t AState,
                   std::uint16_t X, std::uint16_t Y, double Time,
                   const std::u16string& MacroKeyString, const std::u16string& MacroKeyStateString,
                   const TMouseMacroKeyList& MouseRecordList) {
                FReports.push_back({MacroType, AButton, AState, X, Y, Time, MacroKeyString,
                                    MacroKeyStateString, MouseRecordList.Count()});
            };
    }

    std::vector<std::string> Described() const {
        std::vector<std::string> Lines;
        for (const TMouseReport& Report : FReports) {
            Lines.push_back(Describe(Report));
        }
        return Lines;
    }

    // A mouse record with its own stamp.
    bool MouseAt(std::uint32_t ATime, std::uint32_t AMessage, std::int32_t AX = 1,
                 std::int32_t AY = 2, std::int16_t AData = 0) {
        TMSLLHOOKSTRUCT Record;
        Record.X = AX;
        Record.Y = AY;
        Record.mouseData = static_cast<std::uint32_t>(static_cast<std::uint16_t>(AData)) << 16;
        Record.time = ATime;
        return FLibrary.MouseRecord(AMessage, Record);
    }

    sim::TSimClock FClock;
    sim::TSimHookLibrary FLibrary{FClock};
    TLoggedLibrary FLogged{FLibrary};
    sim::TSimMessageBox FMessages;
    std::vector<TMouseReport> FReports;
};

// --- loading ---------------------------------------------------------------------------------

TEST_F(uiHookTest, ALoadedLibraryShowsNothingAndIsUnloadedWithTheComponent) {
    auto Hook = Create();
    EXPECT_TRUE(Hook->DLLLoaded());
    EXPECT_TRUE(FLibrary.Loaded());
    EXPECT_THAT(FMessages.Shown(), IsEmpty());
    EXPECT_EQ(Hook->LastTimeMouseMacro(), std::nullopt);
    Hook.reset();
    EXPECT_FALSE(FLibrary.Loaded());
    EXPECT_THAT(FLogged.FCalls, ElementsAre("load", "unload"));
}

TEST_F(uiHookTest, AMissingLibraryShowsTheErrorOnceAndEveryOperationStillRunsItsOwnSteps) {
    FLibrary.SetAvailability(THookLoadResult::NotFound);
    auto Hook = Create();
    EXPECT_FALSE(Hook->DLLLoaded());
    EXPECT_THAT(FMessages.Shown(), ElementsAre(u"uiHook.dll can not be found!"));
    EXPECT_THAT(FMessages.Captions(), ElementsAre(u"Error"));

    Listen(*Hook);
    int MouseStops = 0;
    int KeyboardStops = 0;
    Hook->OnStopRecordMouseMacroKey = [&](const TMouseMacroKeyList& AList) {
        EXPECT_TRUE(AList.Empty());
        ++MouseStops;
    };
    Hook->OnStopRecordKeyboardMacroKey = [&](const TMacroKeyList& AList) {
        EXPECT_TRUE(AList.Empty());
        ++KeyboardStops;
    };
    Hook->OnRecordKeyboardMacroKey = [&](auto&&...) { ADD_FAILURE() << "keyboard event"; };
    Hook->OnHookMouseAllButton = [&](auto&&...) { ADD_FAILURE() << "mouse event"; };

    Hook->RecordMouseMacro();
    EXPECT_FALSE(FLibrary.MouseEvent(platform::WM_LBUTTONDOWN_MSG, 1, 1));
    Hook->StopRecordMouseMacro();
    Hook->RecordKeyboardMacroKey();
    EXPECT_FALSE(FLibrary.KeyEvent(0x41, 0x1E, false, false));
    Hook->StopRecordKeyboardMacroKey();
    Hook->RecordKeyboardMacroKeyEx();
    Hook->StopRecordKeyboardMacroKeyEx();
    Hook->RecordKeyboardComboKey();
    Hook->StopRecordKeyboardComboKey();
    Hook->RecordKeyboardSingleKey();
    Hook->StopRecordKeyboardSingleKey();
    Hook->StartHookKeyboard();
    Hook->StopHookKeyboard();
    Hook->StartHookMouse();
    EXPECT_FALSE(FLibrary.MouseEvent(platform::WM_RBUTTONDOWN_MSG, 1, 1));
    Hook->StopHookMouse();
    Hook->AddKeyboardHookObject(std::make_unique<TKeyBoardHookDetailObject>());
    Hook->AddMouseHookObject(std::make_unique<TMouseHookDetailObject>());
    EXPECT_EQ(Hook->KeyboardHookObjectList().Count(), 1u);
    EXPECT_EQ(Hook->MouseHookObjectList().Count(), 1u);
    Hook->RemoveAllKeyboardHookObject();
    Hook->RemoveAllMouseHookObject();
    EXPECT_TRUE(Hook->KeyboardHookObjectList().Empty());
    EXPECT_TRUE(Hook->MouseHookObjectList().Empty());

    EXPECT_EQ(MouseStops, 1);
    EXPECT_EQ(KeyboardStops, 2);
    EXPECT_THAT(FReports, IsEmpty());
    Hook.reset();
    // Nothing but the one attempt to load reached the library, and the box came once.
    EXPECT_THAT(FLogged.FCalls, ElementsAre("load"));
    EXPECT_EQ(FMessages.Shown().size(), 1u);
}

TEST_F(uiHookTest, AnIncompleteLibraryShowsNothingAndLeavesDLLLoadedFalse) {
    FLibrary.SetAvailability(THookLoadResult::Incomplete);
    auto Hook = Create();
    EXPECT_FALSE(Hook->DLLLoaded());
    EXPECT_FALSE(FLibrary.Loaded());
    EXPECT_THAT(FMessages.Shown(), IsEmpty());
    Hook->RecordMouseMacro();
    Hook->StartHookKeyboard();
    EXPECT_THAT(FLogged.FCalls, ElementsAre("load"));
}

TEST_F(uiHookTest, EveryEnableIsPrecededByTheMatchingDisable) {
    auto Hook = Create();
    Hook->RecordMouseMacro();
    Hook->StopRecordMouseMacro();
    Hook->StartHookKeyboard();
    Hook->StopHookKeyboard();
    EXPECT_THAT(FLogged.FCalls, ElementsAre("load", "disable mouse", "enable mouse",
                                            "disable mouse", "disable keyboard",
                                            "enable keyboard", "disable keyboard"));
}

TEST_F(uiHookTest, InstancesShareTheLibraryUntilTheLastOneGoes) {
    auto First = Create();
    auto Second = Create();
    EXPECT_EQ(FLibrary.LoadAttempts(), 1);
    Listen(*Second);
    Second->RecordMouseMacro();

    // The first goes: the library stays for the second, whose recording goes on.
    First.reset();
    EXPECT_TRUE(FLibrary.Loaded());
    EXPECT_TRUE(FLibrary.MouseHookEnabled());
    FLibrary.MouseEvent(platform::WM_LBUTTONDOWN_MSG, 1, 1);
    EXPECT_EQ(FReports.size(), 1u);

    // A component that goes while its hook is enabled takes the hook with it, so that the
    // library never calls into it afterwards.
    auto Third = Create();
    Third->StartHookKeyboard();
    Third->OnHookKeyboardAllKey = [](auto...) { ADD_FAILURE() << "called after destruction"; };
    Third.reset();
    EXPECT_TRUE(FLibrary.Loaded());
    EXPECT_FALSE(FLibrary.KeyboardHookEnabled());
    EXPECT_TRUE(FLibrary.MouseHookEnabled());
    FLibrary.KeyEvent(0x41, 0x1E, false, false);

    Second.reset();
    EXPECT_FALSE(FLibrary.Loaded());
    EXPECT_FALSE(FLibrary.MouseHookEnabled());
}

TEST_F(uiHookTest, AComponentWhoseHookWasReplacedLeavesTheOtherOnesHookAlone) {
    auto First = Create();
    auto Second = Create();
    First->RecordMouseMacro();
    Listen(*Second);
    Second->RecordMouseMacro();
    First.reset();
    EXPECT_TRUE(FLibrary.MouseHookEnabled());
    FLibrary.MouseEvent(platform::WM_LBUTTONDOWN_MSG, 1, 1);
    EXPECT_EQ(FReports.size(), 1u);
}

TEST(uiHookTables, MouseButtonStringsHaveSevenRowsAndOtherCodesGiveTheEmptyString) {
    EXPECT_EQ(MouseButtonStrings.size(), 7u);
    EXPECT_EQ(MouseButtonDescription(TMouseButtons::LCLICK), u"Mouse Click");
    EXPECT_EQ(MouseButtonDescription(TMouseButtons::RCLICK), u"Mouse Right Click");
    EXPECT_EQ(MouseButtonDescription(TMouseButtons::MCLICK), u"Mouse Middle Click");
    EXPECT_EQ(MouseButtonDescription(TMouseButtons::XCLICK4), u"Backward(Mouse) ");
    EXPECT_EQ(MouseButtonDescription(TMouseButtons::XCLICK5), u"Forward(Mouse)");
    EXPECT_EQ(MouseButtonDescription(TMouseButtons::WHEELUP), u"Wheel up(Mouse)");
    EXPECT_EQ(MouseButtonDescription(TMouseButtons::WHEELDOWN), u"Wheel Down(Mouse)");
    EXPECT_EQ(MouseButtonDescription(TMouseButtons::BUTTON_NONE), u"");
    EXPECT_EQ(MouseButtonDescription(TMouseButtons::BUTTONX3), u"");
    EXPECT_EQ(MouseButtonDescription(static_cast<TMouseButtons>(200)), u"");
}

TEST(uiHookTables, MouseButtonStateSetHoldsMessagesFrom0x200To0x20FOnly) {
    TMouseButtonStateSet Set{TMouseButtonStates::MOUSEMOVE, TMouseButtonStates::OTHERFUNCTION};
    EXPECT_EQ(Set.Bits(), 0x8001);
    EXPECT_TRUE(Set.ContainsMessage(0x200));
    EXPECT_TRUE(Set.ContainsMessage(0x20F));
    EXPECT_FALSE(Set.ContainsMessage(0x201));
    EXPECT_FALSE(Set.ContainsMessage(0x210));
    EXPECT_FALSE(Set.ContainsMessage(0x1FF));
    Set.Exclude(TMouseButtonStates::MOUSEMOVE);
    EXPECT_FALSE(Set.Contains(TMouseButtonStates::MOUSEMOVE));
}

// --- the mouse-macro recorder: time and delays -----------------------------------------------

TEST_F(uiHookTest, TheFirstEventHasNoDelayAndEveryLaterOneADelayAlsoForMovementAndZero) {
    auto Hook = Recording();
    FClock.AdvanceTo(1000);
    FLibrary.MouseEvent(platform::WM_LBUTTONDOWN_MSG, 10, 20);
    FClock.AdvanceBy(120);
    FLibrary.MouseEvent(platform::WM_MOUSEMOVE_MSG, 11, 21);
    FLibrary.MouseEvent(platform::WM_LBUTTONUP_MSG, 11, 21);
    EXPECT_THAT(Described(), ElementsAre("1 1 1 \"Mouse Click\" Down", "0 0 0 \"120\" ms",
                                         "0 0 0 \"0\" ms", "1 1 0 \"Mouse Click\" Up"));
    EXPECT_EQ(FReports[0].Time, 1000.0);
    EXPECT_EQ(FReports[1].Time, 1120.0);
    EXPECT_EQ(FReports[1].X, 11);
    EXPECT_EQ(FReports[1].Y, 21);
    EXPECT_EQ(Hook->LastTimeMouseMacro(), 1120u);
}

TEST_F(uiHookTest, AStampOfZeroIsAStampLikeAnyOther) {
    auto Hook = Recording();
    FLibrary.MouseEvent(platform::WM_LBUTTONDOWN_MSG, 1, 1); // at 0 ms
    FClock.AdvanceBy(5);
    FLibrary.MouseEvent(platform::WM_LBUTTONUP_MSG, 1, 1);
    EXPECT_THAT(Described(), ElementsAre("1 1 1 \"Mouse Click\" Down", "0 0 0 \"5\" ms",
                                         "1 1 0 \"Mouse Click\" Up"));
}

TEST_F(uiHookTest, AnEarlierStampRestartsTheTimingWithoutADelayButKeepsTheButton) {
    auto Hook = Recording();
    MouseAt(1000, platform::WM_LBUTTONDOWN_MSG);
    MouseAt(900, platform::WM_LBUTTONUP_MSG);
    EXPECT_EQ(Hook->LastTimeMouseMacro(), 900u);
    MouseAt(950, platform::WM_MOUSEMOVE_MSG);
    EXPECT_THAT(Described(), ElementsAre("1 1 1 \"Mouse Click\" Down", "1 1 0 \"Mouse Click\" Up",
                                         "0 0 0 \"50\" ms"));
}

TEST_F(uiHookTest, TheDelayIsRightAcrossTheWrapOfTheStamp) {
    auto Hook = Recording();
    MouseAt(0xFFFFFFF0u, platform::WM_RBUTTONDOWN_MSG);
    MouseAt(0x10u, platform::WM_RBUTTONUP_MSG);
    EXPECT_THAT(Described(), ElementsAre("1 2 1 \"Mouse Right Click\" Down", "0 0 0 \"32\" ms",
                                         "1 2 0 \"Mouse Right Click\" Up"));
}

TEST_F(uiHookTest, ADelayBeyond16BitsIsReportedWholeAndFiledAs65535) {
    auto Hook = Recording();
    MouseAt(1000, platform::WM_LBUTTONDOWN_MSG);
    MouseAt(71000, platform::WM_LBUTTONUP_MSG);
    ASSERT_EQ(FReports.size(), 3u);
    EXPECT_EQ(FReports[1].Text, u"70000");
    EXPECT_EQ(Hook->MouseMacroKeyList().Object(1).FMOUSEMacroKey.TimeValue, 65535);
}

TEST_F(uiHookTest, InjectedEventsAndEventsWithoutAHandlerLeaveNoTrace) {
    auto Hook = Create();
    Hook->RecordMouseMacro();
    FClock.AdvanceTo(100);
    FLibrary.MouseEvent(platform::WM_LBUTTONDOWN_MSG, 1, 1); // no handler yet
    EXPECT_EQ(Hook->LastTimeMouseMacro(), std::nullopt);
    Listen(*Hook);
    FClock.AdvanceTo(200);
    FLibrary.MouseEvent(platform::WM_LBUTTONDOWN_MSG, 1, 1, 0, true);
    FLibrary.MouseEvent(platform::WM_MOUSEMOVE_MSG, 1, 1, 0, true);
    EXPECT_THAT(FReports, IsEmpty());
    EXPECT_EQ(Hook->LastTimeMouseMacro(), std::nullopt);
    EXPECT_TRUE(Hook->MouseMacroKeyList().Empty());
    // The next real event is still the first.
    FClock.AdvanceTo(300);
    FLibrary.MouseEvent(platform::WM_LBUTTONUP_MSG, 1, 1);
    EXPECT_THAT(Described(), ElementsAre("1 1 0 \"Mouse Click\" Up"));
}

// --- the mouse-macro recorder: buttons -------------------------------------------------------

TEST_F(uiHookTest, WheelNotchesAreButtonPressesSixTowardTheUserAndSevenAway) {
    auto Hook = Recording();
    FLibrary.MouseEvent(platform::WM_MOUSEWHEEL_MSG, 1, 1, -120);
    FLibrary.MouseEvent(platform::WM_MOUSEWHEEL_MSG, 1, 1, 120);
    FLibrary.MouseEvent(platform::WM_MOUSEWHEEL_MSG, 1, 1, 0);
    FLibrary.MouseEvent(platform::WM_MOUSEHWHEEL_MSG, 1, 1, 120);
    EXPECT_THAT(Described(),
                ElementsAre("1 6 1 \"Wheel up(Mouse)\" Down", "0 0 0 \"0\" ms",
                            "1 7 1 \"Wheel Down(Mouse)\" Down", "0 0 0 \"0\" ms", "0 0 0 \"0\" ms"));
}

TEST_F(uiHookTest, XButtonsAreFourAndFiveAndTheOtherButtonsOneToThree) {
    auto Hook = Recording();
    const std::uint32_t Messages[] = {platform::WM_XBUTTONDOWN_MSG, platform::WM_XBUTTONUP_MSG};
    for (std::int16_t Number : {1, 2, 3}) {
        for (std::uint32_t Message : Messages) {
            MouseAt(0, Message, 1, 1, Number);
        }
    }
    MouseAt(0, platform::WM_MBUTTONDOWN_MSG);
    MouseAt(0, platform::WM_MBUTTONUP_MSG);
    MouseAt(0, platform::WM_RBUTTONDOWN_MSG);
    std::vector<std::string> Buttons;
    for (const TMouseReport& Report : FReports) {
        if (Report.MacroType == 1) {
            Buttons.push_back(Describe(Report));
        }
    }
    EXPECT_THAT(Buttons,
                ElementsAre("1 4 1 \"Backward(Mouse) \" Down", "1 4 0 \"Backward(Mouse) \" Up",
                            "1 5 1 \"Forward(Mouse)\" Down", "1 5 0 \"Forward(Mouse)\" Up",
                            "1 3 1 \"Mouse Middle Click\" Down", "1 3 0 \"Mouse Middle Click\" Up",
                            "1 2 1 \"Mouse Right Click\" Down"));
}

TEST_F(uiHookTest, PositionsAreCarriedAsTheirLow16Bits) {
    auto Hook = Recording();
    FLibrary.MouseEvent(platform::WM_LBUTTONDOWN_MSG, 70000, -1);
    ASSERT_EQ(FReports.size(), 1u);
    EXPECT_EQ(FReports[0].X, 4464);
    EXPECT_EQ(FReports[0].Y, 65535);
    EXPECT_EQ(Hook->MouseMacroKeyList().Object(0).FMOUSEMacroKey.X, 4464);
    EXPECT_EQ(Hook->MouseMacroKeyList().Object(0).FMOUSEMacroKey.Y, 65535);
}

TEST_F(uiHookTest, RecordedInputStillReachesOtherApplications) {
    auto Hook = Recording();
    EXPECT_FALSE(FLibrary.MouseEvent(platform::WM_LBUTTONDOWN_MSG, 1, 1));
    EXPECT_FALSE(FLibrary.MouseEvent(platform::WM_MOUSEWHEEL_MSG, 1, 1, 120));
    EXPECT_FALSE(FLibrary.MouseEvent(platform::WM_MOUSEMOVE_MSG, 1, 1));
}

// --- the mouse-macro recorder: the list ------------------------------------------------------

TEST_F(uiHookTest, EntriesAreFiledUnderTheirPositionWithoutTimeOrTexts) {
    auto Hook = Recording();
    FClock.AdvanceTo(50);
    FLibrary.MouseEvent(platform::WM_LBUTTONDOWN_MSG, 3, 4);
    FClock.AdvanceBy(7);
    FLibrary.MouseEvent(platform::WM_LBUTTONUP_MSG, 5, 6);
    const TMouseMacroKeyList& List = Hook->MouseMacroKeyList();
    ASSERT_EQ(List.Count(), 3u);
    // Each event sees the list with its own entry already filed.
    EXPECT_EQ(FReports[0].ListCount, 1u);
    EXPECT_EQ(FReports[1].ListCount, 2u);
    EXPECT_EQ(FReports[2].ListCount, 3u);
    for (std::size_t I = 0; I < List.Count(); ++I) {
        EXPECT_EQ(List.Name(I), std::u16string(1, static_cast<char16_t>(u'0' + I)));
        const TMOUSEMACROKEY& Entry = List.Object(I).FMOUSEMacroKey;
        EXPECT_EQ(Entry.Time, 0.0);
        EXPECT_TRUE(Entry.MacroKeyString.empty());
        EXPECT_TRUE(Entry.MacroKeyStateString.empty());
    }
    const TMOUSEMACROKEY& Press = List.Object(0).FMOUSEMacroKey;
    EXPECT_EQ(Press.nKeyType, 1);
    EXPECT_EQ(Press.nKeyState, 1);
    EXPECT_EQ(Press.MouseButton, TMouseButtons::LCLICK);
    EXPECT_EQ(Press.X, 3);
    EXPECT_EQ(Press.Y, 4);
    EXPECT_EQ(Press.TimeValue, 0);
    const TMOUSEMACROKEY& Delay = List.Object(1).FMOUSEMacroKey;
    EXPECT_EQ(Delay.nKeyType, 0);
    EXPECT_EQ(Delay.nKeyState, 0);
    EXPECT_EQ(Delay.MouseButton, TMouseButtons::BUTTON_NONE);
    EXPECT_EQ(Delay.X, 5);
    EXPECT_EQ(Delay.TimeValue, 7);
    const TMOUSEMACROKEY& Release = List.Object(2).FMOUSEMacroKey;
    EXPECT_EQ(Release.nKeyState, 0);
    EXPECT_EQ(Release.MouseButton, TMouseButtons::LCLICK);
    EXPECT_EQ(List.IndexOf(u"2"), 2);
    EXPECT_EQ(List.Find(u"3"), nullptr);
}

TEST_F(uiHookTest, AFullListStopsFilingButEventsStillArrive) {
    auto Hook = Recording();
    for (std::size_t Move = 0; Move < MOUSE_MACRO_LIST_LIMIT; ++Move) {
        FLibrary.MouseEvent(platform::WM_MOUSEMOVE_MSG, 1, 1);
    }
    EXPECT_EQ(Hook->MouseMacroKeyList().Count(), MOUSE_MACRO_LIST_LIMIT - 1);
    FReports.clear();
    FLibrary.MouseEvent(platform::WM_LBUTTONDOWN_MSG, 1, 1);
    FLibrary.MouseEvent(platform::WM_LBUTTONUP_MSG, 1, 1);
    EXPECT_EQ(Hook->MouseMacroKeyList().Count(), MOUSE_MACRO_LIST_LIMIT);
    ASSERT_EQ(FReports.size(), 4u);
    EXPECT_EQ(FReports[3].Button, TMouseButtons::LCLICK);
    Hook->RecordMouseMacro();
    EXPECT_EQ(Hook->MouseMacroKeyList().Count(), 0u);
}

TEST_F(uiHookTest, StopHandsOverTheListKeepsItAndRecordEmptiesItAndRestartsTheTiming) {
    auto Hook = Recording();
    const TMouseMacroKeyList* Handed = nullptr;
    std::size_t HandedCount = 0;
    Hook->OnStopRecordMouseMacroKey = [&](const TMouseMacroKeyList& AList) {
        Handed = &AList;
        HandedCount = AList.Count();
    };
    FLibrary.MouseEvent(platform::WM_LBUTTONDOWN_MSG, 1, 1);
    FClock.AdvanceBy(10);
    FLibrary.MouseEvent(platform::WM_LBUTTONUP_MSG, 1, 1);
    Hook->StopRecordMouseMacro();
    EXPECT_FALSE(FLibrary.MouseHookEnabled());
    EXPECT_EQ(Handed, &Hook->MouseMacroKeyList());
    EXPECT_EQ(HandedCount, 3u);
    EXPECT_EQ(Hook->MouseMacroKeyList().Count(), 3u);

    // Stopped: nothing more arrives.
    FReports.clear();
    FLibrary.MouseEvent(platform::WM_LBUTTONDOWN_MSG, 1, 1);
    EXPECT_THAT(FReports, IsEmpty());

    Hook->RecordMouseMacro();
    EXPECT_TRUE(Hook->MouseMacroKeyList().Empty());
    EXPECT_EQ(Hook->LastTimeMouseMacro(), std::nullopt);
    FClock.AdvanceBy(500);
    FLibrary.MouseEvent(platform::WM_LBUTTONDOWN_MSG, 1, 1);
    EXPECT_THAT(Described(), ElementsAre("1 1 1 \"Mouse Click\" Down"));
    EXPECT_EQ(Hook->MouseMacroKeyList().Name(0), u"0");
}

TEST_F(uiHookTest, TheRecorderAndTheGeneralMouseHookExcludeEachOther) {
    auto Hook = Recording();
    int General = 0;
    Hook->OnHookMouseAllButton = [&](auto&&...) { ++General; };
    Hook->StartHookMouse();
    FLibrary.MouseEvent(platform::WM_LBUTTONDOWN_MSG, 1, 1);
    EXPECT_THAT(FReports, IsEmpty());
    EXPECT_EQ(General, 1);
    Hook->RecordMouseMacro();
    FLibrary.MouseEvent(platform::WM_LBUTTONDOWN_MSG, 1, 1);
    EXPECT_EQ(FReports.size(), 1u);
    EXPECT_EQ(General, 1);
}

TEST_F(uiHookTest, AHandlerMayStopOrRestartTheRecordingFromInsideAnEvent) {
    auto Hook = Create();
    int Calls = 0;
    Hook->OnRecordMouseMacroKey = [&](std::int32_t MacroType, auto&&...) {
        ++Calls;
        if (MacroType == 0) {
            // Restart from inside the delay event: the list is emptied under the recorder.
            Hook->RecordMouseMacro();
        }
    };
    Hook->RecordMouseMacro();
    FLibrary.MouseEvent(platform::WM_LBUTTONDOWN_MSG, 1, 1);
    FClock.AdvanceBy(3);
    FLibrary.MouseEvent(platform::WM_LBUTTONUP_MSG, 1, 1);
    EXPECT_EQ(Calls, 3);
    ASSERT_EQ(Hook->MouseMacroKeyList().Count(), 1u);
    EXPECT_EQ(Hook->MouseMacroKeyList().Name(0), u"0");

    // A handler that clears its slot in the delay event gets no button event after it.
    Hook->OnRecordMouseMacroKey = [&](std::int32_t MacroType, auto&&...) {
        ++Calls;
        if (MacroType == 0) {
            Hook->OnRecordMouseMacroKey = nullptr; // the last thing the handler does
        }
    };
    FClock.AdvanceBy(3);
    FLibrary.MouseEvent(platform::WM_LBUTTONDOWN_MSG, 1, 1);
    EXPECT_EQ(Calls, 4);
    FClock.AdvanceBy(3);
    FLibrary.MouseEvent(platform::WM_LBUTTONUP_MSG, 1, 1);
    EXPECT_EQ(Calls, 5);
    EXPECT_FALSE(Hook->OnRecordMouseMacroKey);
}

TEST_F(uiHookTest, DestroyingARecordingComponentDisablesItsHookAndUnloads) {
    auto Hook = Recording();
    Hook->StartHookKeyboard();
    Hook.reset();
    EXPECT_FALSE(FLibrary.MouseHookEnabled());
    EXPECT_FALSE(FLibrary.KeyboardHookEnabled());
    EXPECT_FALSE(FLibrary.Loaded());
    EXPECT_FALSE(FLibrary.MouseEvent(platform::WM_LBUTTONDOWN_MSG, 1, 1));
}

} // namespace
} // namespace vanto
