#include "macro/uiMacroClass.h"

#include "MacroTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <memory>
#include <stdexcept>

namespace vanto {
namespace {

using test::CodesOf;
using test::ListOf;
using test::MacroOf;

using Codes = std::vector<std::uint16_t>;

TMACROKEYINFOLIST ThreeMacros() {
    return ListOf({MacroOf(u"A", {DelayStep(1), DelayStep(2)}), MacroOf(u"B", {DelayStep(3)}),
                   MacroOf(u"C", {})});
}

std::u16string NameAt(const TuiMacroClass& AMacros, int AIndex) {
    return MacroNameOf(AMacros.MacroAt(AIndex));
}

void ExpectNumbered(const TuiMacroClass& AMacros) {
    for (int I = 0; I < AMacros.MacroListCount(); ++I) {
        EXPECT_EQ(AMacros.MacroAt(I).nMacroIndex, I) << "entry " << I;
    }
}

TEST(uiMacroClassTest, CtlCreateTakesValidEntriesAndSelectsTheFirstWithoutEditor) {
    TuiMacroClass Empty(TMACROKEYINFOLIST{});
    EXPECT_TRUE(Empty.IsEmpty());
    EXPECT_EQ(Empty.MacroListIndex(), -1);
    TMACROKEYINFO Untouched = MacroOf(u"keep", {});
    Empty.GetCurrentMacroKeyItem(Untouched);
    EXPECT_EQ(MacroNameOf(Untouched), u"keep");

    auto Macros = TuiMacroClass::CtlCreate(ThreeMacros());
    EXPECT_EQ(Macros->MacroListCount(), 3);
    EXPECT_EQ(Macros->MacroListIndex(), 0);
    EXPECT_EQ(Macros->CurrentMacroAction(), nullptr);

    Macros->SetMacroKeyInfoList(ListOf({MacroOf(u"D", {})}));
    EXPECT_EQ(Macros->MacroListCount(), 4);
    EXPECT_EQ(NameAt(*Macros, 3), u"D");
}

TEST(uiMacroClassTest, CountsBeyondTheRecordsAreClampedWhereRecordsComeIn) {
    TMACROKEYINFOLIST Stored = ThreeMacros();
    Stored.nMacroInfoCount = 60000;
    Stored.MacroInfos[0].MacroListCount = 100000;
    Stored.MacroInfos[1].MacroListCount = -7;
    TuiMacroClass Macros(Stored);
    EXPECT_EQ(Macros.MacroListCount(), static_cast<int>(MACRO_COUNT));

    Macros.SetMacroListIndex(0);
    EXPECT_EQ(Macros.CurrentMacroAction()->GetCount(), static_cast<int>(MACRO_STEP_COUNT));
    Macros.SetMacroListIndex(1);
    EXPECT_TRUE(Macros.CurrentMacroAction()->IsEmpty());
    EXPECT_EQ(Macros.CurrentMacroAction()->ActionIndex(), -1);
    Macros.CurrentMacroAction()->InsertActionAfter(DelayStep(9), 0);
    EXPECT_EQ(Macros.MacroAt(1).MacroListCount, 1) << "the write-back repairs the count";

    // Only 21 slots in a record: a longer list is cut, never written past the end.
    while (Macros.MacroListCount() < 25) {
        Macros.CreateNewMacro(u"extra");
    }
    auto Out = std::make_unique<TMACROKEYINFOLIST>();
    Macros.GetMacroKeyInfoList(*Out);
    EXPECT_EQ(Out->nMacroInfoCount, MACRO_COUNT);
    EXPECT_EQ(Out->MacroInfos[20].nMacroIndex, 20);
}

TEST(uiMacroClassTest, CreateNewMacroAppendsAnEmptyCurrentMacroButKeepsTheEditor) {
    TuiMacroClass Macros(ThreeMacros());
    Macros.SetMacroListIndex(1);
    TuiActionsClass* Editor = Macros.CurrentMacroAction();
    Macros.CreateNewMacro(u"New");
    EXPECT_EQ(Macros.MacroListIndex(), 3);
    const TMACROKEYINFO& Made = Macros.MacroAt(3);
    EXPECT_EQ(Made.nMacroIndex, 3);
    EXPECT_EQ(Made.MacroListCount, 0);
    EXPECT_EQ(Made.Version, 0u);
    EXPECT_FALSE(TuiMacroClass::IsValidMacroVersion(Made));
    EXPECT_EQ(Macros.CurrentMacroAction(), Editor);
    EXPECT_EQ(Editor->MacroIndex(), 1);

    Macros.CreateNewMacro(std::u16string(80, u'x'));
    EXPECT_EQ(NameAt(Macros, 4), std::u16string(49, u'x'));
}

TEST(uiMacroClassTest, FullFromTwentyYetStillAppends) {
    TuiMacroClass Macros;
    for (int I = 0; I < 19; ++I) {
        Macros.CreateNewMacro(u"m");
    }
    EXPECT_FALSE(Macros.IsFull());
    Macros.CreateNewMacro(u"m");
    EXPECT_TRUE(Macros.IsFull());
    Macros.CreateNewMacro(u"m");
    EXPECT_EQ(Macros.MacroListCount(), 21);
}

TEST(uiMacroClassTest, MovesRenumberAndTheCurrentMacroTravels) {
    TuiMacroClass Macros(ThreeMacros());
    Macros.SetMacroListIndex(2);
    Macros.MoveUpMacro(2);
    EXPECT_EQ(NameAt(Macros, 1), u"C");
    EXPECT_EQ(Macros.MacroListIndex(), 1);
    ExpectNumbered(Macros);

    Macros.MoveDownMacro(0); // A swaps with the current C: the selection stays on C
    EXPECT_EQ(NameAt(Macros, 1), u"A");
    EXPECT_EQ(Macros.MacroListIndex(), 0);
    ExpectNumbered(Macros);

    Macros.MoveUpMacro(0);
    Macros.MoveDownMacro(2);
    Macros.MoveUpMacro(3);
    EXPECT_EQ(NameAt(Macros, 0) + NameAt(Macros, 1) + NameAt(Macros, 2), u"CAB");
}

TEST(uiMacroClassTest, DeleteKeepsTheIndexInsideTheList) {
    TuiMacroClass Macros(ThreeMacros());
    Macros.SetMacroListIndex(2);
    Macros.DeleteMacro(2);
    EXPECT_EQ(Macros.MacroListIndex(), 1);

    Macros.DeleteMacro(0); // an earlier macro goes: index 1 is kept, past the end, so clamped
    EXPECT_EQ(Macros.MacroListIndex(), 0);
    EXPECT_EQ(NameAt(Macros, 0), u"B");
    ExpectNumbered(Macros);

    Macros.DeleteMacro(5);
    Macros.DeleteMacro(u"b"); // names match case included
    EXPECT_EQ(Macros.MacroListCount(), 1);
    Macros.DeleteMacro(u"B");
    EXPECT_TRUE(Macros.IsEmpty());
    EXPECT_EQ(Macros.MacroListIndex(), -1);
    EXPECT_FALSE(Macros.CurrentMacroKeyInfo());
}

TEST(uiMacroClassTest, DeletingAnEarlierMacroLeavesTheIndexOnTheFollower) {
    TuiMacroClass Macros(ThreeMacros());
    Macros.SetMacroListIndex(1);
    Macros.DeleteMacro(0);
    EXPECT_EQ(Macros.MacroListIndex(), 1);
    EXPECT_EQ(MacroNameOf(*Macros.CurrentMacroKeyInfo()), u"C");
}

TEST(uiMacroClassTest, DirectEntryAccessRaisesTheRangeErrorAndChangesNothing) {
    TuiMacroClass Macros(ThreeMacros());
    EXPECT_THROW(Macros.ReNameMacro(u"X", 3), std::out_of_range);
    EXPECT_THROW(Macros.SetMacroLoopValue(-1, 5), std::out_of_range);
    EXPECT_EQ(NameAt(Macros, 0) + NameAt(Macros, 1) + NameAt(Macros, 2), u"ABC");

    Macros.SetMacroListIndex(1);
    Macros.SetMacroLoopValue(1, 65535);
    EXPECT_EQ(Macros.CurrentMacroAction()->SourceMacroKeyInfo().nLoopCount, 65535);
}

TEST(uiMacroClassTest, EditorWritesTheWholeEntryBackAndOverwritesOtherRoutes) {
    TuiMacroClass Macros(ThreeMacros());
    Macros.SetMacroListIndex(0);
    TuiActionsClass& Editor = *Macros.CurrentMacroAction();
    Macros.ReNameMacro(u"Renamed", 0);

    Editor.DeleteAction(0);
    EXPECT_EQ(CodesOf(Macros.MacroAt(0)), Codes{2});
    EXPECT_EQ(NameAt(Macros, 0), u"A") << "the editor's copy wins over the rename";
    EXPECT_EQ(std::memcmp(&Editor.SourceMacroKeyInfo(), &Macros.MacroAt(0), MACRO_BLOCK_SIZE), 0);

    Macros.ReNameMacro(u"Renamed", 0);
    Macros.SetMacroListIndex(0); // rebuilt: now it carries the new name
    Macros.CurrentMacroAction()->InsertActionAfter(DelayStep(7), 0);
    EXPECT_EQ(NameAt(Macros, 0), u"Renamed");
    EXPECT_EQ(CodesOf(Macros.MacroAt(0)), (Codes{2, 7}));
}

TEST(uiMacroClassTest, SaveBackCurrentReplacesTheEntryAndRebuildsTheEditor) {
    TuiMacroClass Macros(ThreeMacros());
    Macros.SaveBackCurrentMacroKeyInfo(MacroOf(u"X", {DelayStep(5)}));
    EXPECT_EQ(NameAt(Macros, 0), u"X");
    ASSERT_NE(Macros.CurrentMacroAction(), nullptr);
    EXPECT_EQ(CodesOf(Macros.CurrentMacroAction()->Actions()), Codes{5});

    TuiMacroClass Empty;
    Empty.SaveBackCurrentMacroKeyInfo(MacroOf(u"X", {}));
    EXPECT_TRUE(Empty.IsEmpty());
}

TEST(uiMacroClassTest, InsertMacroPlacesStepsBeforeOrAfterInOrder) {
    TuiMacroClass Macros(ListOf({MacroOf(u"T", {DelayStep(1), DelayStep(2)})}));
    const TMACROKEYINFO Source = MacroOf(u"S", {DelayStep(8), DelayStep(9)});
    Macros.InsertMacro(Source, 0); // no editor yet: nothing
    EXPECT_EQ(CodesOf(Macros.MacroAt(0)), (Codes{1, 2}));

    Macros.SetMacroListIndex(0);
    Macros.InsertMacro(Source, 1);
    EXPECT_EQ(CodesOf(Macros.MacroAt(0)), (Codes{1, 8, 9, 2}));
    Macros.InsertMacro(Source, std::numeric_limits<int>::max());
    Macros.InsertMacroAfter(Source, std::numeric_limits<int>::max() - 1);
    Macros.InsertMacroAfter(Source, 3);
    EXPECT_EQ(CodesOf(Macros.MacroAt(0)), (Codes{1, 8, 9, 2, 8, 9}));
    EXPECT_EQ(CodesOf(Macros.CurrentMacroAction()->Actions()), CodesOf(Macros.MacroAt(0)));

    // The macro inserted into itself: its own steps as they were before the insertion.
    Macros.InsertMacro(Macros.MacroAt(0), 0);
    EXPECT_EQ(CodesOf(Macros.MacroAt(0)), (Codes{1, 8, 9, 2, 8, 9, 1, 8, 9, 2, 8, 9}));
}

TEST(uiMacroClassTest, InsertMacroStopsWhenTheMacroIsFull) {
    TuiMacroClass Macros(ListOf({MacroOf(u"T", {})}));
    Macros.SetMacroListIndex(0);
    TMACROKEYINFO Big{};
    Big.MacroListCount = 100;
    Macros.InsertMacroAfter(Big, 0);
    Macros.InsertMacroAfter(Big, 100);
    EXPECT_EQ(Macros.MacroAt(0).MacroListCount, static_cast<int>(MACRO_STEP_COUNT));
}

TEST(uiMacroClassTest, CheckAllErrorsCountsEveryEntry) {
    TuiMacroClass Macros(
        ListOf({MacroOf(u"ok", {KeyStep(0x41, false, true), KeyStep(0x41, false, false)}),
                MacroOf(u"held", {KeyStep(0x41, false, true)})}));
    Macros.CheckAllErrors();
    EXPECT_EQ(Macros.MacroAt(0).HaveErrors, 0);
    EXPECT_EQ(Macros.MacroAt(1).HaveErrors, 1);
    EXPECT_EQ(Macros.MacroAt(1).ErrorCount, 1);
}

TEST(uiMacroClassTest, EditorOfADeletedMacroNoLongerReachesTheList) {
    TuiMacroClass Macros(ThreeMacros());
    Macros.SetMacroListIndex(2);
    Macros.DeleteMacro(2);
    TuiActionsClass& Stale = *Macros.CurrentMacroAction();
    Stale.InsertActionAfter(DelayStep(4), 0);
    Stale.CheckErrors();
    EXPECT_EQ(Macros.MacroListCount(), 2);
    EXPECT_EQ(CodesOf(Macros.MacroAt(1)), Codes{3});
    EXPECT_EQ(CodesOf(Stale.GetMacroKeyInfo()), Codes{4});
}

} // namespace
} // namespace vanto
