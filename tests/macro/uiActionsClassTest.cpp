#include "macro/uiActionsClass.h"

#include "MacroTestSupport.h"
#include "macro/uiMacroClass.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>

namespace vanto {
namespace {

using test::CodesOf;
using test::ListOf;
using test::MacroOf;

using Codes = std::vector<std::uint16_t>;

// A manager with one macro of delay steps 10, 20, 30 and its editor on it.
class uiActionsClassTest : public testing::Test {
protected:
    uiActionsClassTest()
        : FMacros(ListOf({MacroOf(u"M", {DelayStep(10), DelayStep(20), DelayStep(30)})})) {
        FMacros.SetMacroListIndex(0);
    }

    TuiActionsClass& Editor() { return *FMacros.CurrentMacroAction(); }
    Codes Stored() const { return CodesOf(FMacros.MacroAt(0)); }

    TuiMacroClass FMacros;
};

TEST_F(uiActionsClassTest, EmptyEditorTakesStepsOnlyByAppending) {
    TuiActionsClass Empty;
    EXPECT_EQ(Empty.ActionIndex(), -1);
    Empty.InsertAction(DelayStep(1), 0);
    EXPECT_TRUE(Empty.IsEmpty());
    Empty.InsertActionAfter(DelayStep(1), 1);
    EXPECT_TRUE(Empty.IsEmpty());
    Empty.InsertActionAfter(DelayStep(1), 0);
    EXPECT_EQ(CodesOf(Empty.Actions()), Codes{1});
    EXPECT_EQ(Empty.GetMacroKeyInfo().MacroListCount, 1);
}

TEST_F(uiActionsClassTest, InsertsKeepTheCurrentStepAndWriteBack) {
    Editor().SetActionIndex(1);
    Editor().InsertAction(DelayStep(15), 1);
    EXPECT_EQ(Editor().ActionIndex(), 2) << "still the step of 20 ms";
    Editor().InsertActionAfter(DelayStep(40), 3);
    Editor().InsertActionAfter(DelayStep(25), 2);
    EXPECT_EQ(Editor().ActionIndex(), 2);
    EXPECT_EQ(Stored(), (Codes{10, 15, 20, 25, 30, 40}));

    Editor().InsertAction(DelayStep(1), 6);
    Editor().SetActionIndex(6);
    EXPECT_EQ(Editor().ActionIndex(), 2);
    EXPECT_EQ(Stored().size(), 6u);
}

TEST_F(uiActionsClassTest, DeleteAndMovesKeepTheCurrentIndexMeaningful) {
    Editor().SetActionIndex(2);
    Editor().MoveUpAction(2);
    EXPECT_EQ(Editor().ActionIndex(), 1);
    Editor().MoveDownAction(0); // swaps with the current step
    EXPECT_EQ(Editor().ActionIndex(), 0);
    EXPECT_EQ(Stored(), (Codes{30, 10, 20}));
    Editor().MoveUpAction(0);
    Editor().MoveDownAction(2);
    EXPECT_EQ(Stored(), (Codes{30, 10, 20}));

    Editor().SetActionIndex(2);
    Editor().DeleteAction(2);
    EXPECT_EQ(Editor().ActionIndex(), 1);
    Editor().DeleteAction(0);
    Editor().DeleteAction(0);
    EXPECT_EQ(Editor().ActionIndex(), -1);
    EXPECT_EQ(FMacros.MacroAt(0).MacroListCount, 0);
}

TEST_F(uiActionsClassTest, CopiedStepPastesAgainCutStepOnlyOnce) {
    Editor().CopyAction(0);
    Editor().PasteAction(2);
    Editor().PasteAction(0);
    EXPECT_EQ(Stored(), (Codes{10, 10, 20, 10, 30}));
    EXPECT_FALSE(Editor().CutOperationFlag());

    Editor().CutAction(4);
    EXPECT_TRUE(Editor().CutOperationFlag());
    EXPECT_EQ(Stored(), (Codes{10, 10, 20, 10}));
    Editor().PasteAction(7); // not taken, yet the cut step is gone
    EXPECT_FALSE(Editor().CutOperationFlag());
    Editor().PasteAction(0);
    EXPECT_EQ(Stored(), (Codes{10, 10, 20, 10}));
}

TEST_F(uiActionsClassTest, FullMacroRefusesFurtherSteps) {
    while (!Editor().IsFull()) {
        Editor().InsertActionAfter(DelayStep(1), Editor().GetCount());
    }
    EXPECT_EQ(Editor().GetCount(), 128);
    Editor().InsertActionAfter(DelayStep(2), 128);
    Editor().InsertAction(DelayStep(2), 0);
    Editor().CopyAction(0);
    Editor().PasteAction(0);
    EXPECT_EQ(FMacros.MacroAt(0).MacroListCount, 128);
}

TEST_F(uiActionsClassTest, DelayValueIsTheTwoValueBytesOfAnyStep) {
    Editor().SetMacroKeyInfo(MacroOf(u"K", {KeyStep(0x41, true, true), DelayStep(300)}));
    EXPECT_EQ(Editor().GetDelayValue(0), 0x0141);
    EXPECT_EQ(Editor().GetDelayValue(2), 0);
    EXPECT_EQ(Editor().GetDelayValue(-1), 0);
    Editor().SetDelayValue(0, 0x1234);
    const TMACROKEY Written = FMacros.MacroAt(0).MacroList[0];
    EXPECT_EQ(Written.nKeyType, STEP_KEY);
    EXPECT_EQ(Written.Value1, 0x34);
    EXPECT_EQ(Written.Value2, 0x12);
    EXPECT_EQ(MacroNameOf(FMacros.MacroAt(0)), u"K");
}

TEST_F(uiActionsClassTest, SetMacroKeyInfoWithoutStepsLeavesNoCurrentStep) {
    Editor().SetActionIndex(2);
    Editor().SetMacroKeyInfo(MacroOf(u"none", {}));
    EXPECT_EQ(Editor().ActionIndex(), -1);
    EXPECT_EQ(FMacros.MacroAt(0).MacroListCount, 0);
}

TEST(uiActionsClassDelayTest, TotalDelayAddsOnlyDelaySteps) {
    TuiActionsClass Editor(MacroOf(u"", {DelayStep(10), MouseButtonStep(1, true), DelayStep(300),
                                         KeyStep(7, false, true)}),
                           nullptr, 0);
    EXPECT_EQ(Editor.TotalDelay(), 310u);
    TMACROKEYINFO Long{};
    Long.MacroListCount = 128;
    std::fill(std::begin(Long.MacroList), std::end(Long.MacroList), DelayStep(65535));
    EXPECT_EQ(TuiActionsClass(Long, nullptr, 0).GetTotalDelay(), 128u * 65535u);
}

struct TPairingCase {
    const char* FWhat;
    std::vector<TMACROKEY> FSteps;
    int FErrors;
};

class CheckErrorsTest : public testing::TestWithParam<TPairingCase> {};

TEST_P(CheckErrorsTest, CountsPairingErrorsIntoTheEntry) {
    TMACROKEYINFO Macro = MacroOf(u"P", {});
    for (const TMACROKEY& Step : GetParam().FSteps) {
        Macro.MacroList[Macro.MacroListCount++] = Step;
    }
    TuiMacroClass Macros(ListOf({MacroOf(u"other", {}), Macro}));
    Macros.SetMacroListIndex(1);
    EXPECT_EQ(Macros.CurrentMacroAction()->CheckErrors(), GetParam().FErrors);
    EXPECT_EQ(Macros.MacroAt(1).ErrorCount, GetParam().FErrors);
    EXPECT_EQ(Macros.MacroAt(1).HaveErrors, GetParam().FErrors > 0 ? 1 : 0);
    EXPECT_EQ(Macros.CurrentMacroAction()->SourceMacroKeyInfo().ErrorCount, 0);
    EXPECT_EQ(Macros.MacroAt(0).ErrorCount, 0);
}

const TMACROKEY PressA = KeyStep(0x41, false, true);
const TMACROKEY ReleaseA = KeyStep(0x41, false, false);

INSTANTIATE_TEST_SUITE_P(
    Pairs, CheckErrorsTest,
    testing::Values(
        TPairingCase{"button click with a pause",
                     {MouseButtonStep(1, true), DelayStep(50), MouseButtonStep(1, false)},
                     0},
        TPairingCase{"key pressed and never released", {PressA}, 1},
        TPairingCase{"extended key held", {KeyStep(0x2D, true, true)}, 1},
        TPairingCase{"extended and plain key are different codes",
                     {KeyStep(0x2D, true, true), KeyStep(0x2D, false, false)},
                     2},
        TPairingCase{"release twice", {PressA, ReleaseA, ReleaseA}, 1},
        TPairingCase{"press twice", {PressA, PressA}, 2},
        TPairingCase{"any other state releases", {PressA, TMACROKEY{STEP_KEY, 2, 0x41, 0}}, 0},
        TPairingCase{"button and media key may stay held",
                     {MouseButtonStep(2, true), MediaKeyStep(0xE9, true)},
                     0},
        TPairingCase{"media key released unpressed", {MediaKeyStep(0xE9, false)}, 1},
        TPairingCase{"wheel and delay are not paired", {WheelStep(true), DelayStep(1)}, 0}),
    [](const testing::TestParamInfo<TPairingCase>& AInfo) {
        std::string Name;
        for (const char* C = AInfo.param.FWhat; *C != '\0'; ++C) {
            Name += std::isalnum(static_cast<unsigned char>(*C)) ? *C : '_';
        }
        return Name;
    });

} // namespace
} // namespace vanto
